# The installed engine directory mirrors the build's vantor/: the player and the tools sit in
# <prefix>/<libdir>/vantor beside channels/, 3rd/ and a link to the kernel, so the directory of the
# running program is the install directory they start the engine in. <prefix>/<bindir> holds
# relative links to them; the loader resolves /proc/self/exe through the link, so a program
# started from bin/ still finds its engine directory (and never writes into bin/).
# On Windows the engine directory is <prefix>/<bindir> itself: a program finds its DLLs only beside
# it or on PATH, never through a link, so Tarnwell.dll, the MinGW runtime, the programs, channels/
# and 3rd/ lie together where a user puts PATH.
# Included by every folder that installs a program; it only sets variables and functions.
if(WIN32)
  set(VANTOR_INSTALL_DIR ${CMAKE_INSTALL_BINDIR})
else()
  set(VANTOR_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/vantor)
endif()
set(VANTOR_INSTALL_LINKS_DIR ${CMAKE_BINARY_DIR}/install-links)

# vantor_install_link(<link name> <target path relative to the link> <destination>)
# A symbolic link made in the build tree and installed as a link (it dangles until installed).
function(vantor_install_link name target destination)
  set(link ${VANTOR_INSTALL_LINKS_DIR}/${destination}/${name})
  get_filename_component(link_dir ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${link_dir})
  file(CREATE_LINK ${target} ${link} SYMBOLIC)
  install(FILES ${link} DESTINATION ${destination} COMPONENT runtime)
endfunction()

# vantor_install_program(<target>): a program of the engine directory, with its link in bin/.
function(vantor_install_program target)
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} RUNTIME DESTINATION ${VANTOR_INSTALL_DIR} COMPONENT runtime)
  if(WIN32)
    return()  # the program lies in <bindir> already
  endif()
  file(RELATIVE_PATH engine_from_bin /${CMAKE_INSTALL_BINDIR} /${VANTOR_INSTALL_DIR})
  vantor_install_link(${name} ${engine_from_bin}/${name} ${CMAKE_INSTALL_BINDIR})
endfunction()
