# Makes the Debian packages with CPack, checks which package holds what, then unpacks both into
# a temporary root and runs what they hold from there: the packages' prefix is /usr, not the
# configured one. Also needs: DPKG_DEB CPACK.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/InstallChecks.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
install_run(out "cpack" ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/packages)
file(GLOB runtime_deb ${WORK_DIR}/packages/vantor_*.deb)
file(GLOB sdk_deb ${WORK_DIR}/packages/vantor-dev_*.deb)
install_require("no runtime package vantor_*.deb:\n${out}" runtime_deb)
install_require("no development package vantor-dev_*.deb:\n${out}" sdk_deb)

# Key paths of each package, and what the other one must not hold.
set(usr ./usr)
set(runtime_paths
  ${usr}/${BINDIR}/vantor-player ${usr}/${BINDIR}/vantor-cgr ${usr}/${BINDIR}/vantor-project
  ${usr}/${LIBDIR}/vantor/vantor-player ${usr}/${LIBDIR}/vantor/vantor-cgr
  ${usr}/${LIBDIR}/vantor/libTarnwell.so.${SOVERSION} ${usr}/${LIBDIR}/vantor/channels/fileloader.dll
  ${usr}/${LIBDIR}/vantor/3rd/ ${usr}/${LIBDIR}/libTarnwell.so.${SOVERSION})
set(sdk_paths
  ${usr}/include/Tarnwell/Tarnwell.h ${usr}/${LIBDIR}/libTarnwell.so
  ${usr}/${LIBDIR}/cmake/Tarnwell/TarnwellConfig.cmake ${usr}/${LIBDIR}/cmake/Tarnwell/TarnwellPlugin.cmake
  ${usr}/${LIBDIR}/pkgconfig/tarnwell.pc)
foreach(package runtime sdk)
  install_run(listing "dpkg-deb --contents ${package}" ${DPKG_DEB} --contents ${${package}_deb})
  # One path per line: the last column, without a link's " -> target".
  string(REGEX REPLACE "[^\n]* (\\./[^\n]*)" "\\1" listing "${listing}")
  string(REGEX REPLACE " -> [^\n]*" "" listing "${listing}")
  string(REPLACE "\n" ";" ${package}_listing "${listing}")
endforeach()
foreach(package runtime sdk)
  set(other sdk)
  if(package STREQUAL sdk)
    set(other runtime)
  endif()
  foreach(path ${${package}_paths})
    install_require("${package} package lacks ${path}" path IN_LIST ${package}_listing)
    install_require("${other} package holds ${path}" NOT path IN_LIST ${other}_listing)
  endforeach()
endforeach()

install_run(depends "dpkg-deb --field" ${DPKG_DEB} --field ${sdk_deb} Depends)
install_require("the development package does not depend on the runtime one: ${depends}"
  depends MATCHES "^vantor \\(= ")

set(root ${WORK_DIR}/root)
foreach(deb ${runtime_deb} ${sdk_deb})
  install_run(out "unpack ${deb}" ${DPKG_DEB} --extract ${deb} ${root})
endforeach()
install_check_layout(${root}/usr)
install_run_programs(${root}/usr)
install_check_pkg_config(${root}/usr)
