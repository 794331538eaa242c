# Inputs: SOURCE_DIR (the source tree), HEADERS (the installed header list, ';'-separated).
# include/ holds exactly the installed headers, and no kernel folder includes a private
# header of a folder above it (platform < format < foundation < channel < group < project < engine);
# plug-ins reach no private header but format/. No kernel source asks which system it is built
# for: that is the platform layer's implementations' business (platform/<system>/).
cmake_minimum_required(VERSION 3.25)
set(failures "")

file(GLOB present RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/include/*.h)
foreach(header IN LISTS present)
  if(NOT header IN_LIST HEADERS)
    string(APPEND failures "${header} is in include/ but not installed\n")
  endif()
endforeach()
foreach(header IN LISTS HEADERS)
  if(NOT header IN_LIST present)
    string(APPEND failures "${header} is installed but not in include/\n")
  endif()
endforeach()

set(layers platform format foundation channel group project engine)
foreach(from IN LISTS layers)
  list(FIND layers ${from} from_rank)
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${from}/*.h ${SOURCE_DIR}/${from}/*.cpp)
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
    file(STRINGS ${source} system_tests
      REGEX "^#[ \t]*(if|ifdef|ifndef|elif).*(_WIN32|WIN32|__linux__|__unix__|__APPLE__|_MSC_VER|__MINGW)")
    if(system_tests AND NOT name MATCHES "^platform/(posix|win32)/")
      string(APPEND failures "${name} asks which system it is built for: ${system_tests}\n")
    endif()
    file(STRINGS ${source} includes REGEX "^#include \"[a-z]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z]+)/.*$" "\\1" to "${line}")
      list(FIND layers ${to} to_rank)
      if(to_rank GREATER from_rank)
        string(APPEND failures "${name} reaches up: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

# The standard plug-ins build as an outside author's would: public headers, their own shared
# folder, and of the kernel's private headers only format/ (the demo not even that).
foreach(tree plugins demo)
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${tree}/*.h ${SOURCE_DIR}/${tree}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^#include \"[a-z]+/")
    foreach(line IN LISTS includes)
      if(tree STREQUAL "plugins" AND line MATCHES "^#include \"format/")
        continue()
      endif()
      file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
      string(APPEND failures "${name} reaches into the kernel: ${line}\n")
    endforeach()
  endforeach()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message(STATUS "installed headers and include layers as they should be")
