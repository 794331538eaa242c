# Installs the kernel into a temporary prefix, builds the sample plug-in out of tree against
cmake_minimum_required(VERSION 3.25)
# it with find_package(Tarnwell) and loads the result.
# Inputs: BUILD_DIR WORK_DIR SAMPLE_DIR GENERATOR CXX_COMPILER EXTRA_FLAGS LIBDIR CHECKER
function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${out}")
  endif()
  message(STATUS "${what}: ok")
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
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
