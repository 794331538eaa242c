# Inputs: LIBRARY (libTarnwell.so or Tarnwell.dll), and NM (nm, for an ELF library: its dynamic
# symbol table) or OBJDUMP (objdump, for a DLL: its export table).
cmake_minimum_required(VERSION 3.25)
if(OBJDUMP)
  set(command ${OBJDUMP} -p ${LIBRARY})
  # "\t[  12] name" in the export name table.
  set(pattern "^[ \t]*\\[ *[0-9]+\\] (.+)$")
else()
  set(command ${NM} -D --defined-only ${LIBRARY})
  set(pattern "^[0-9a-fA-F]* *[A-Za-z] (.+)$")
endif()
execute_process(COMMAND ${command} RESULT_VARIABLE result OUTPUT_VARIABLE symbols ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${command} failed: ${errors}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
  if(line MATCHES "${pattern}")
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
