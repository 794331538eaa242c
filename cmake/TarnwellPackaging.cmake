# The Debian packages (cpack -G DEB in the build directory): the runtime package (components
# kernel and runtime: the library and the engine directory) and the development package (component
# sdk: headers, CMake package, tarnwell.pc), which depends on the runtime package of its version.
# Everything a package says about itself is set here, and the .pc file takes its summary from here.
# The first line of a package's description is its synopsis.
set(TARNWELL_PACKAGE_SUMMARY "Vantor engine kernel, a real-time 3D runtime")
set(TARNWELL_PACKAGE_MAINTAINER "Vantor developers <vantor@example.invalid>" CACHE STRING
  "Maintainer named in the Debian packages")

set(CPACK_PACKAGE_NAME vantor)
set(CPACK_PACKAGE_VENDOR "Vantor")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL kernel runtime sdk)
set(CPACK_COMPONENT_KERNEL_GROUP runtime)
set(CPACK_COMPONENT_RUNTIME_GROUP runtime)
set(CPACK_COMPONENT_SDK_GROUP sdk)
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARNWELL_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME vantor)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "${TARNWELL_PACKAGE_SUMMARY}\nThe kernel library libTarnwell, the headless player vantor-player, the tools\n(vantor-cgr, vantor-project), the standard channel plug-ins and the demo project,\nin the engine directory /usr/${VANTOR_INSTALL_DIR}.")
# The system libraries the programs and plug-ins link, found by dpkg-shlibdeps (the kernel is the
# package's own, reached through the RUNPATHs); without it, the libraries by name.
find_program(TARNWELL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TARNWELL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()

set(CPACK_DEBIAN_SDK_PACKAGE_NAME vantor-dev)
set(CPACK_DEBIAN_SDK_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_SDK_PACKAGE_DEPENDS "${CPACK_DEBIAN_RUNTIME_PACKAGE_NAME} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_SDK_DESCRIPTION
  "${TARNWELL_PACKAGE_SUMMARY} (development files)\nThe public headers (/usr/include/Tarnwell), the CMake package\n(find_package(Tarnwell CONFIG), tarnwell_add_channel_plugin()) and tarnwell.pc\nfor building channel plug-ins and hosts.")

include(CPack)
