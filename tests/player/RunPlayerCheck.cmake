# Inputs: PLAYER (vantor-player), EMULATOR (';'-separated, empty natively), ENGINE_DIR (the
# build's engine directory), TEST_CHANNELS (the test plug-ins), DATA (tests/data/linux-written),
# WORK (a directory of the test's own).
# The player checks the project the Linux build wrote, in an install of the standard and the test
# plug-ins: on every system it finds the start group, its channel types and their plug-ins.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/install/channels ${WORK}/install/3rd ${WORK}/project ${WORK}/registry)
file(GLOB standard ${ENGINE_DIR}/channels/*.dll)
file(COPY ${standard} ${TEST_CHANNELS}/testroot.dll ${TEST_CHANNELS}/testderived.dll
  ${TEST_CHANNELS}/testcounter.dll DESTINATION ${WORK}/install/channels)
file(COPY ${DATA}/project.vtr ${DATA}/start.cgr DESTINATION ${WORK}/project)

set(ENV{TARNWELL_REGISTRY_DIR} ${WORK}/registry)
execute_process(COMMAND ${EMULATOR} ${PLAYER} --check --install-dir ${WORK}/install ${WORK}/project/project.vtr
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
set(failures "")
if(NOT result EQUAL 0)
  string(APPEND failures "exit status ${result}, not 0\n")
endif()
foreach(expected "group        ok" "start group, pool \"No Name Instance\", 4 channels" "Test Counter"
    "a run loads everything as installed")
  string(FIND "${output}${errors}" "${expected}" at)
  if(at EQUAL -1)
    string(APPEND failures "missing: ${expected}\n")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures}--- output:\n${output}\n--- errors:\n${errors}")
endif()
message(STATUS "the player checked the project written on Linux")
