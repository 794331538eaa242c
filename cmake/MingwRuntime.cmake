# The MinGW runtime DLLs (C++ library, GCC support, threads) that every program and plug-in of
# the Windows build imports: copied beside the executables, since Windows looks for a program's
# DLLs in its own directory.
function(tarnwell_mingw_runtime_dlls out)
  set(dlls)
  foreach(name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      message(FATAL_ERROR "the MinGW runtime ${name} was not found by ${CMAKE_CXX_COMPILER}")
    endif()
    get_filename_component(path "${path}" REALPATH)
    list(APPEND dlls "${path}")
  endforeach()
  set(${out} ${dlls} PARENT_SCOPE)
endfunction()

function(tarnwell_copy_mingw_runtime dir)
  tarnwell_mingw_runtime_dlls(dlls)
  file(COPY ${dlls} DESTINATION ${dir})
endfunction()
