# Builds the demo as a plug-in author would: the kernel is installed into build/sdk, and
# demo/ is configured against that package as an external project that puts its plug-ins
# into vantor/channels and the generated project into vantor/demo. The project file is made
# and its plug-ins listed by the install's vantor-project. Both are installed as built into the
# installed engine directory: the project records the plug-ins' checksums.
option(TARNWELL_DEMO "Build the demo plug-ins and generate the demo project" ON)
if(TARNWELL_DEMO)
  include(ExternalProject)
  set(TARNWELL_SDK_DIR ${CMAKE_BINARY_DIR}/sdk)
  get_property(standard_plugins GLOBAL PROPERTY TARNWELL_PLUGIN_TARGETS)
  add_custom_target(tarnwell_sdk
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --component kernel --prefix ${TARNWELL_SDK_DIR} > /dev/null
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --component sdk --prefix ${TARNWELL_SDK_DIR} > /dev/null
    DEPENDS Tarnwell
    COMMENT "Installing the kernel package into ${TARNWELL_SDK_DIR}")
  # Same instrumentation as the kernel that loads the plug-ins.
  set(demo_flags "")
  if(TARNWELL_SANITIZE)
    set(demo_flags "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer")
  elseif(TARNWELL_TSAN)
    set(demo_flags "-fsanitize=thread -fno-omit-frame-pointer")
  endif()
  # A cross build hands the demo its toolchain, the package by its directory (the toolchain
  # searches only below the target system's root) and what runs the generator with the
  # engine's DLLs in reach (wine-run: the toolchain's own emulator knows no engine directory).
  set(demo_cross_args "")
  if(CMAKE_CROSSCOMPILING)
    set(demo_cross_args
      "-DCMAKE_TOOLCHAIN_FILE:FILEPATH=${CMAKE_TOOLCHAIN_FILE}"
      "-DTarnwell_DIR:PATH=${TARNWELL_SDK_DIR}/${CMAKE_INSTALL_LIBDIR}/cmake/Tarnwell"
      "-DVANTOR_DEMO_RUNNER:STRING=${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  ExternalProject_Add(vantor_demo
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/demo
    BINARY_DIR ${CMAKE_BINARY_DIR}/demo
    CMAKE_ARGS
      -DCMAKE_PREFIX_PATH=${TARNWELL_SDK_DIR}
      -DVANTOR_DIR=${VANTOR_DIR}
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
      -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
      "-DCMAKE_CXX_FLAGS=${demo_flags}"
      "-DCMAKE_MODULE_LINKER_FLAGS=${demo_flags}"
      "-DCMAKE_EXE_LINKER_FLAGS=${demo_flags}"
    CMAKE_CACHE_ARGS ${demo_cross_args}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> -j2
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    DEPENDS tarnwell_sdk vantor-project ${standard_plugins})

  include(${CMAKE_SOURCE_DIR}/cmake/VantorInstall.cmake)
  install(DIRECTORY ${VANTOR_DIR}/demo DESTINATION ${VANTOR_INSTALL_DIR} COMPONENT runtime)
  # The demo's plug-ins are the demo<name>.dll copies its project made in the engine's channels/.
  install(DIRECTORY ${VANTOR_DIR}/channels/ DESTINATION ${VANTOR_INSTALL_DIR}/channels COMPONENT runtime
    USE_SOURCE_PERMISSIONS FILES_MATCHING PATTERN "demo*.dll")
endif()
