# What the install tests check in an installed prefix, whether `cmake --install` or the Debian
# packages made it. Inputs (as -D): BUILD_DIR WORK_DIR LIBDIR BINDIR ENGINE_SUBDIR WINDOWS
# WINE_RUN SOVERSION DEMO CXX_COMPILER EXTRA_FLAGS HOST_SOURCE. On Windows the engine directory
# is bin/ itself, and the programs run under the emulator WINE_RUN.

# install_run(<output variable> <what> COMMAND...): runs it in WORK_DIR, fails the test unless
# it exits 0; answers standard output and error together.
function(install_run output what)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK_DIR}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${out}")
  endif()
  message(STATUS "${what}: ok")
  set(${output} "${out}" PARENT_SCOPE)
endfunction()

# install_require(<failure text> <condition>...): fails the test unless the condition holds.
function(install_require failure)
  if(${ARGN})
  else()
    message(FATAL_ERROR "${failure}")
  endif()
endfunction()

# The programs of the build's engine directory (player and tools), by name.
function(install_built_programs output)
  file(GLOB programs RELATIVE ${BUILD_DIR}/vantor ${BUILD_DIR}/vantor/vantor-*)
  install_require("no programs in ${BUILD_DIR}/vantor" programs)
  set(${output} ${programs} PARENT_SCOPE)
endfunction()

# The engine directory holds every program, the kernel's link and, byte for byte, every plug-in
# and demo file of the build's engine directory; bin/ holds relative links to the programs.
function(install_check_layout prefix)
  set(engine ${prefix}/${ENGINE_SUBDIR})
  install_built_programs(programs)
  foreach(program ${programs})
    install_require("not installed: ${engine}/${program}" EXISTS ${engine}/${program})
    if(WINDOWS)
      continue()  # the engine directory is bin/
    endif()
    set(link ${prefix}/${BINDIR}/${program})
    install_require("not a link: ${link}" IS_SYMLINK ${link})
    file(READ_SYMLINK ${link} target)
    install_require("${link} names an absolute path: ${target}" NOT IS_ABSOLUTE ${target})
    file(REAL_PATH ${link} resolved)
    file(REAL_PATH ${engine}/${program} expected)
    install_require("${link} leads to ${resolved}" resolved STREQUAL expected)
  endforeach()
  if(WINDOWS)
    install_require("no import library ${prefix}/${LIBDIR}/libTarnwell.dll.a" EXISTS ${prefix}/${LIBDIR}/libTarnwell.dll.a)
  else()
    set(kernel libTarnwell.so.${SOVERSION})
    file(REAL_PATH ${engine}/${kernel} engine_kernel)
    file(REAL_PATH ${prefix}/${LIBDIR}/${kernel} installed_kernel)
    install_require("${engine}/${kernel} is not the installed kernel"
      IS_SYMLINK ${engine}/${kernel} AND engine_kernel STREQUAL installed_kernel)
  endif()
  install_require("no directory ${engine}/3rd" IS_DIRECTORY ${engine}/3rd)
  # Windows: the kernel and the MinGW runtime lie beside the programs, as in the build.
  file(GLOB built RELATIVE ${BUILD_DIR}/vantor ${BUILD_DIR}/vantor/channels/*.dll ${BUILD_DIR}/vantor/demo/*
    ${BUILD_DIR}/vantor/*.dll)
  if(NOT DEMO)
    # What an earlier build with the demo left in the build's engine directory is not installed.
    list(FILTER built EXCLUDE REGEX "^(channels/demo[^/]*\\.dll|demo/.*)$")
  endif()
  install_require("no plug-ins in ${BUILD_DIR}/vantor/channels" built)
  foreach(file ${built})
    install_require("not installed: ${engine}/${file}" EXISTS ${engine}/${file})
    file(SHA256 ${BUILD_DIR}/vantor/${file} built_hash)
    file(SHA256 ${engine}/${file} installed_hash)
    install_require("${engine}/${file} differs from the built file" built_hash STREQUAL installed_hash)
  endforeach()
  message(STATUS "layout of ${prefix}: ok")
endfunction()

# Every RUNPATH installed is relative to the file: nothing reaches back into the build tree.
function(install_check_runpaths prefix)
  find_program(READELF readelf REQUIRED)
  set(engine ${prefix}/${ENGINE_SUBDIR})
  file(GLOB elves ${engine}/vantor-* ${engine}/channels/*.dll ${prefix}/${LIBDIR}/libTarnwell.so.*.*.*)
  foreach(elf ${elves})
    install_run(dynamic "readelf ${elf}" ${READELF} -d ${elf})
    string(REGEX MATCHALL "\\((RUNPATH|RPATH)\\)[^\n]*\\[[^]\n]*\\]" entries "${dynamic}")
    foreach(entry ${entries})
      string(REGEX REPLACE ".*\\[([^]]*)\\]" "\\1" paths "${entry}")
      string(REPLACE ":" ";" paths "${paths}")
      foreach(path ${paths})
        install_require("${elf} has the RUNPATH entry ${path}" path MATCHES "^\\$ORIGIN(/|$)")
      endforeach()
    endforeach()
  endforeach()
endfunction()

# The installed player runs frames (of the installed demo, where there is one: then vantor-cgr
# draws its start group too) and vantor-plugin lists every installed plug-in, all started from
# bin/ with no directory given; the kernel is mapped once, and nothing is written into bin/.
function(install_run_programs prefix)
  set(engine ${prefix}/${ENGINE_SUBDIR})
  set(env ${CMAKE_COMMAND} -E env --unset=VANTOR_DEMO_OUTPUT TARNWELL_REGISTRY_DIR=${WORK_DIR}/registry)
  set(suffix "")
  if(WINDOWS)
    # The emulator's DLL search path holds the installed engine directory only, not the build's.
    list(APPEND env ${WINE_RUN} ${engine})
    set(suffix .exe)
  endif()
  install_run(out "installed player" ${env} ${prefix}/${BINDIR}/vantor-player${suffix} --frames 3 --fps 0)
  install_run(listed "installed vantor-plugin list" ${env} ${prefix}/${BINDIR}/vantor-plugin${suffix} list)
  file(GLOB installed_plugins RELATIVE ${engine}/channels ${engine}/channels/*.dll)
  foreach(plugin ${installed_plugins})
    install_require("vantor-plugin list does not name ${plugin}:\n${listed}" listed MATCHES "[/\\\\]${plugin}\r?\n")
  endforeach()
  if(WINDOWS)
    return()  # no demo in the Windows build, and bin/ is the engine directory
  endif()
  if(DEMO)
    install_run(out "installed player on the demo" ${env} LD_DEBUG=files
      ${prefix}/${BINDIR}/vantor-player --frames 3 --fps 0 ${engine}/demo/demo.vtr)
    # The loader's lines hold ";", which a CMake list would split on.
    string(REPLACE ";" "," lines "${out}")
    string(REGEX MATCHALL "file=libTarnwell[^ \t]*[ \t]+\\[[0-9]+\\],[ \t]+generating link map" maps "${lines}")
    list(LENGTH maps kernels)
    install_require("the kernel was mapped ${kernels} times:\n${out}" kernels EQUAL 1)
    install_run(dot "installed vantor-cgr dot" ${env} ${prefix}/${BINDIR}/vantor-cgr dot ${engine}/demo/scene.cgr)
    install_require("vantor-cgr dot drew no graph:\n${dot}" dot MATCHES "digraph")
  else()
    message(STATUS "no demo installed (TARNWELL_DEMO=OFF): the player and vantor-cgr runs are skipped")
  endif()
  install_built_programs(programs)
  file(GLOB bin_entries RELATIVE ${prefix}/${BINDIR} ${prefix}/${BINDIR}/*)
  list(SORT bin_entries)
  list(SORT programs)
  install_require("bin/ holds ${bin_entries}, not only the links ${programs}" bin_entries STREQUAL programs)
endfunction()

# A host compiled and linked with nothing but what pkg-config says starts an engine in the
# installed engine directory.
function(install_check_pkg_config prefix)
  find_program(PKG_CONFIG pkg-config REQUIRED)
  install_run(flags "pkg-config tarnwell" ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/${LIBDIR}/pkgconfig
    ${PKG_CONFIG} --cflags --libs tarnwell)
  string(STRIP "${flags}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  separate_arguments(extra UNIX_COMMAND "${EXTRA_FLAGS}")
  set(host ${WORK_DIR}/pkgconfig_host)
  install_run(out "build a host with pkg-config" ${CXX_COMPILER} -std=c++17 ${extra} ${HOST_SOURCE} -o ${host}
    ${flags} -Wl,-rpath,${prefix}/${LIBDIR})
  install_run(out "run that host" ${CMAKE_COMMAND} -E env TARNWELL_REGISTRY_DIR=${WORK_DIR}/registry
    ${host} ${prefix}/${LIBDIR}/vantor)
endfunction()
