# Inputs: HEADER (include/ChannelPlugin.h), SOVERSION (the kernel's soname version, major.minor).
# The class layout plug-ins are stamped with is the soname's minor number: the loader tells a
# user which layout a plug-in asking for another soname was built for by that rule alone.
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${HEADER} lines REGEX "^#define TARNWELL_CLASS_LAYOUT [0-9]+$")
list(LENGTH lines count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${HEADER} must define TARNWELL_CLASS_LAYOUT once, as a number")
endif()
string(REGEX REPLACE "^#define TARNWELL_CLASS_LAYOUT " "" layout "${lines}")
string(REGEX REPLACE "^[0-9]+\\." "" minor "${SOVERSION}")
if(NOT layout EQUAL minor)
  message(FATAL_ERROR "class layout ${layout} is not the soname's minor number (libTarnwell.so.${SOVERSION}): "
    "change both together")
endif()
message(STATUS "class layout ${layout} matches libTarnwell.so.${SOVERSION}")
