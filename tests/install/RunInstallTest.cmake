# Installs the build into a temporary prefix with `cmake --install` and runs what it installed
# from there, as a user would.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/InstallChecks.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
install_run(out "install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
install_check_layout(${prefix})
install_run_programs(${prefix})
# Linux only: DLLs have no RUNPATH, and pkg-config is not part of the Windows package.
if(NOT WINDOWS)
  install_check_runpaths(${prefix})
  install_check_pkg_config(${prefix})
endif()
