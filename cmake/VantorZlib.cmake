# zlib for the compressed layer of group files (plugins/compress). On Linux the system's shared
# library; on Windows the static one, linked into the plug-ins that use it, so no zlib1.dll has
# to travel in 3rd/ beside them.
if(NOT TARGET ZLIB::ZLIB)
  if(WIN32)
    set(ZLIB_USE_STATIC_LIBS ON)
  endif()
  find_package(ZLIB REQUIRED)
endif()
