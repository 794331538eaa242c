# tarnwell_add_channel_plugin(<target> SOURCES ... [OUTPUT_NAME name] [OUTPUT_DIRECTORY dir] [LIBRARIES ...])
# Builds a channel plug-in: a module named <name>.dll (no "lib" prefix), hidden symbols
# except InitDLL, GetType and the class layout stamp TevClassLayout (what TARNWELL_PLUGIN_EXPORT
# marks, as TARNWELL_CHANNEL_PLUGIN does), linked against the kernel, with a RUNPATH that reaches
# the engine's 3rd directory (where plug-ins keep their own dependencies).
function(tarnwell_add_channel_plugin target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;OUTPUT_DIRECTORY" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT ARG_OUTPUT_NAME)
    set(ARG_OUTPUT_NAME ${target})
  endif()
  add_library(${target} MODULE ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE Tarnwell::Tarnwell ${ARG_LIBRARIES})
  target_link_options(${target} PRIVATE -Wl,--no-undefined)
  if(NOT WIN32)
    # RUNPATH, not RPATH: LD_LIBRARY_PATH may still point a plug-in at another 3rd directory.
    target_link_options(${target} PRIVATE -Wl,--enable-new-dtags)
  endif()
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    SUFFIX ".dll"
    OUTPUT_NAME ${ARG_OUTPUT_NAME}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    BUILD_RPATH "$ORIGIN/../3rd;$ORIGIN/.."
    INSTALL_RPATH "$ORIGIN/../3rd;$ORIGIN/..")
  # Lets test and tool targets depend on every plug-in the build makes.
  set_property(GLOBAL APPEND PROPERTY TARNWELL_PLUGIN_TARGETS ${target})
  if(ARG_OUTPUT_DIRECTORY)
    set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
  endif()
endfunction()
