cmake_minimum_required(VERSION 3.25)
# Every tag the kernel and the standard plug-ins read or write (a four-character literal of
# capitals, digits and '_') stands in fuzz/tags.dict, so the fuzzers know it.
#   cmake -DSOURCE_DIR=<repository> -P CheckTagDictionary.cmake
# Literals of that shape that are no tags.
set(not_tags PATH)

file(READ ${SOURCE_DIR}/fuzz/tags.dict dictionary)
file(GLOB_RECURSE sources
  ${SOURCE_DIR}/format/*.cpp ${SOURCE_DIR}/format/*.h ${SOURCE_DIR}/project/*.cpp ${SOURCE_DIR}/project/*.h
  ${SOURCE_DIR}/foundation/*.cpp ${SOURCE_DIR}/foundation/*.h ${SOURCE_DIR}/engine/*.cpp ${SOURCE_DIR}/engine/*.h
  ${SOURCE_DIR}/channel/*.cpp ${SOURCE_DIR}/channel/*.h ${SOURCE_DIR}/group/*.cpp ${SOURCE_DIR}/group/*.h
  ${SOURCE_DIR}/plugins/*.cpp ${SOURCE_DIR}/plugins/*.h ${SOURCE_DIR}/include/*.h)
set(missing "")
foreach(source ${sources})
  file(STRINGS ${source} lines REGEX "\"[A-Z_][A-Z0-9_][A-Z0-9_][A-Z0-9_]\"")
  foreach(line ${lines})
    string(REGEX MATCHALL "\"[A-Z_][A-Z0-9_][A-Z0-9_][A-Z0-9_]\"" literals "${line}")
    foreach(literal ${literals})
      string(REPLACE "\"" "" tag "${literal}")
      if(tag IN_LIST not_tags)
        continue()
      endif()
      string(FIND "${dictionary}" "\n${literal}\n" at)
      if(at EQUAL -1 AND NOT "${missing}" MATCHES "${tag}")
        file(RELATIVE_PATH where ${SOURCE_DIR} ${source})
        string(APPEND missing "  ${literal} (${where})\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(missing)
  message(FATAL_ERROR "fuzz/tags.dict lacks tags the code uses; add a line for each:\n${missing}")
endif()
message(STATUS "fuzz/tags.dict holds every tag of the code")
