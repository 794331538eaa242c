# Installs the kernel into a temporary prefix, builds the sample plug-in out of tree against
# it with find_package(Tarnwell) and loads the result; then checks it with vantor-plugin, and
# does the same for a plug-in scaffolded by `vantor-plugin new`, whose own test runs it in a
# group of the installed engine (saved, loaded, linked). The installed tool and the scaffold's
# test find that engine directory by themselves. A Windows build is cross-built with its
# toolchain file and run under the emulator (WINE_RUN) in the installed engine directory.
# Inputs: BUILD_DIR WORK_DIR SAMPLE_DIR GENERATOR CXX_COMPILER TOOLCHAIN EXTRA_FLAGS LIBDIR
# ENGINE_SUBDIR KERNEL_FILES EXE_SUFFIX WINE_RUN CHECKER
cmake_minimum_required(VERSION 3.25)
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
set(engine ${prefix}/${ENGINE_SUBDIR})
set(installed_tool ${prefix}/bin/vantor-plugin${EXE_SUFFIX})
# How an installed program or the checker runs: natively, or under the emulator with the
# installed engine directory (not the build's) on the DLL search path.
set(run)
if(WINE_RUN)
  set(run ${WINE_RUN} ${engine})
endif()
run_step("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(expected include/Tarnwell/Tarnwell.h include/Tarnwell/Tev_Channel.h ${KERNEL_FILES}
    ${LIBDIR}/cmake/Tarnwell/TarnwellConfig.cmake ${LIBDIR}/cmake/Tarnwell/TarnwellPlugin.cmake)
  if(NOT EXISTS ${prefix}/${expected})
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()

# What an author passes: the prefix, and for a cross build the toolchain file instead of a compiler.
set(author_args -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix})
if(TOOLCHAIN)
  list(APPEND author_args -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
else()
  list(APPEND author_args -DCMAKE_CXX_COMPILER=${CXX_COMPILER})
endif()
run_step("configure sample" ${CMAKE_COMMAND} -S ${SAMPLE_DIR} -B ${WORK_DIR}/build ${author_args}
  "-DCMAKE_CXX_FLAGS=${EXTRA_FLAGS}" "-DCMAKE_MODULE_LINKER_FLAGS=${EXTRA_FLAGS}")
run_step("build sample" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
if(NOT EXISTS ${WORK_DIR}/build/sample.dll)
  message(FATAL_ERROR "the plug-in was not built as sample.dll")
endif()
run_step("load sample" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR}
  ${run} ${CHECKER} ${WORK_DIR}/build/sample.dll)
run_step("check sample" ${run} ${installed_tool} check ${WORK_DIR}/build/sample.dll)
set(scaffold ${WORK_DIR}/gauge)
run_step("scaffold" ${run} ${installed_tool} new Gauge ${scaffold})
run_step("configure scaffold" ${CMAKE_COMMAND} -S ${scaffold} -B ${scaffold}/build ${author_args}
  "-DCMAKE_CXX_FLAGS=${EXTRA_FLAGS}" "-DCMAKE_MODULE_LINKER_FLAGS=${EXTRA_FLAGS}"
  "-DCMAKE_EXE_LINKER_FLAGS=${EXTRA_FLAGS}")
run_step("build scaffold" ${CMAKE_COMMAND} --build ${scaffold}/build)
run_step("check scaffold" ${run} ${installed_tool} check ${scaffold}/build/Gauge.dll)
# The scaffold's test program finds Tarnwell.dll as a Windows user's program does: the engine
# directory is on the search path.
set(scaffold_env)
if(WINE_RUN)
  string(REPLACE "/" "\\" native_engine "Z:${engine}")
  set(scaffold_env WINEPATH=${native_engine})
endif()
run_step("run scaffold in a group" ${CMAKE_COMMAND} -E env ${scaffold_env} ${CMAKE_CTEST_COMMAND} --test-dir ${scaffold}/build --output-on-failure)
