# Installs the kernel into a temporary prefix, builds the sample plug-in out of tree against
cmake_minimum_required(VERSION 3.25)
# it with find_package(Tarnwell) and loads the result; then checks it with vantor-plugin, and
# does the same for a plug-in scaffolded by `vantor-plugin new`, whose own test runs it in a
# group of the installed engine (saved, loaded, linked). The installed tool and the scaffold's
# test find that engine directory by themselves.
# Inputs: BUILD_DIR WORK_DIR SAMPLE_DIR GENERATOR CXX_COMPILER EXTRA_FLAGS LIBDIR CHECKER
function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${out}")
  endif()
  message(STATUS "${what}: ok")
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
# The engines started below keep their registry values here, not in the user's.
set(ENV{TARNWELL_REGISTRY_DIR} ${WORK_DIR}/registry)
set(prefix ${WORK_DIR}/prefix)
set(installed_tool ${prefix}/bin/vantor-plugin)
run_step("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(expected include/Tarnwell/Tarnwell.h include/Tarnwell/Tev_Channel.h ${LIBDIR}/libTarnwell.so
    ${LIBDIR}/cmake/Tarnwell/TarnwellConfig.cmake ${LIBDIR}/cmake/Tarnwell/TarnwellPlugin.cmake)
  if(NOT EXISTS ${prefix}/${expected})
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()

run_step("configure sample" ${CMAKE_COMMAND} -S ${SAMPLE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  "-DCMAKE_CXX_FLAGS=${EXTRA_FLAGS}" "-DCMAKE_MODULE_LINKER_FLAGS=${EXTRA_FLAGS}")
run_step("build sample" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
if(NOT EXISTS ${WORK_DIR}/build/sample.dll)
  message(FATAL_ERROR "the plug-in was not built as sample.dll")
endif()
run_step("load sample" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR}
  ${CHECKER} ${WORK_DIR}/build/sample.dll)
run_step("check sample" ${installed_tool} check ${WORK_DIR}/build/sample.dll)

set(scaffold ${WORK_DIR}/gauge)
run_step("scaffold" ${installed_tool} new Gauge ${scaffold})
run_step("configure scaffold" ${CMAKE_COMMAND} -S ${scaffold} -B ${scaffold}/build -G ${GENERATOR}
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  "-DCMAKE_CXX_FLAGS=${EXTRA_FLAGS}" "-DCMAKE_MODULE_LINKER_FLAGS=${EXTRA_FLAGS}"
  "-DCMAKE_EXE_LINKER_FLAGS=${EXTRA_FLAGS}")
run_step("build scaffold" ${CMAKE_COMMAND} --build ${scaffold}/build)
run_step("check scaffold" ${installed_tool} check ${scaffold}/build/Gauge.dll)
run_step("run scaffold in a group" ${CMAKE_CTEST_COMMAND} --test-dir ${scaffold}/build --output-on-failure)
