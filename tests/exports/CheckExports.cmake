# Inputs: NM (the nm program), LIBRARY (libTarnwell.so).
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  RESULT_VARIABLE result OUTPUT_VARIABLE symbols ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm failed: ${errors}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] (.+)$")
    list(APPEND names "${CMAKE_MATCH_1}")
  endif()
endforeach()

set(failures "")
# The plain function, the four globals and the host hooks must be reachable by name.
foreach(required GetEngineControlInstance debugOutPut globalEngine globalDllInstance channelInternal
    TevSetMessageBoxHandler TevSetTraceHandler TevTraceClock TevTraceSpan TevCheckProject
    TevOpenFileForReading)
  if(NOT required IN_LIST names)
    string(APPEND failures "missing export: ${required}\n")
  endif()
endforeach()
# The internal Engine class (members, vtable, typeinfo) and the platform layer stay hidden.
foreach(name IN LISTS names)
  if(name MATCHES "^_Z(N|TV|TI|TS)6Engine" OR name MATCHES "^_ZN8platform" OR name MATCHES "^_ZN(K)?6Engine")
    string(APPEND failures "internal symbol exported: ${name}\n")
  endif()
endforeach()
list(LENGTH names count)
if(failures)
  message(FATAL_ERROR "${failures}(${count} defined dynamic symbols)")
endif()
message(STATUS "${count} exported symbols, interface present, internals hidden")
