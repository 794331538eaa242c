// Test plug-ins of the plug-in loader, built into TARNWELL_TEST_CHANNELS_DIR from one source
// (LoaderTestChannel.cpp), one module per kind:
//
//   loadera.dll      kLoaderAGuid      version 1, 52, 1
//   loaderb.dll      kLoaderBGuid      version 1, 52, 1
//   loaderold.dll    kLoaderOldGuid    version 1, 44, 1 (an interface this kernel refuses)
//   loaderv43.dll    kLoaderV43Guid    version 1, 43, 1 (the older interface still accepted)
//   loadercycle.dll  kLoaderCycleGuid  link position 0 creates a child of its own type
//   loaderthrow.dll  kLoaderThrowGuid  throws std::bad_alloc where TARNWELL_LOADER_THROW says:
//                    "init" from InitDLL, "load" from LoadChannel, "frame" from CallChannel
//   loaderprobe.dll  from its file name: a copy named "loaderprobe_<n>.<ext>" (n decimal)
//                    reports LoaderProbeGuid(n); any other name reports LoaderProbeGuid(0)
//
// The exported GetType of every kind appends the type name and a newline to the file named
// by the environment variable TARNWELL_LOADER_TYPE_LOG (when set), so a test can tell which
// modules were asked for their type. Creating a channel does not write to it.
#pragma once

#include "TarnwellTypes.h"

#define LOADER_TYPE_LOG_ENV "TARNWELL_LOADER_TYPE_LOG"

inline constexpr _GUID kLoaderAGuid = {0x10AD0001, 0x10AD, 0x4A00, {0x90, 0, 0, 0, 0, 0, 0, 0x01}};
inline constexpr _GUID kLoaderBGuid = {0x10AD0002, 0x10AD, 0x4A00, {0x90, 0, 0, 0, 0, 0, 0, 0x02}};
inline constexpr _GUID kLoaderOldGuid = {0x10AD0003, 0x10AD, 0x4A00, {0x90, 0, 0, 0, 0, 0, 0, 0x03}};
inline constexpr _GUID kLoaderV43Guid = {0x10AD0004, 0x10AD, 0x4A00, {0x90, 0, 0, 0, 0, 0, 0, 0x04}};

inline constexpr _GUID kLoaderThrowGuid = {0x10AD0007, 0x10AD, 0x4A00, {0x90, 0, 0, 0, 0, 0, 0, 0x07}};
inline constexpr _GUID kLoaderCycleGuid = {0x10AD0006, 0x10AD, 0x4A00, {0x90, 0, 0, 0, 0, 0, 0, 0x06}};

inline _GUID LoaderProbeGuid(unsigned n) {
    return _GUID{0x10AD5000u + n, 0x10AD, 0x4A01, {0x90, 0, 0, 0, 0, 0, 0, 0x05}};
}

#define LOADER_A_DLL "loadera.dll"
#define LOADER_B_DLL "loaderb.dll"
#define LOADER_OLD_DLL "loaderold.dll"
#define LOADER_V43_DLL "loaderv43.dll"
#define LOADER_CYCLE_DLL "loadercycle.dll"
#define LOADER_PROBE_DLL "loaderprobe.dll"
#define LOADER_THROW_DLL "loaderthrow.dll"
#define LOADER_THROW_ENV "TARNWELL_LOADER_THROW"
