// Symbol visibility of the kernel library. Everything is hidden by default; only what
// carries TARNWELL_API crosses the library boundary. Plug-ins mark their two entry points
// with TARNWELL_PLUGIN_EXPORT. On ELF the same attribute exports a definition in the kernel
// and keeps a declaration visible in a plug-in or host, so no build switches it. A Windows DLL
// exports and imports with different attributes: the kernel's build defines
// TARNWELL_BUILDING_KERNEL.
#pragma once

#if defined(_WIN32)
#if defined(TARNWELL_BUILDING_KERNEL)
#define TARNWELL_API __declspec(dllexport)
#else
#define TARNWELL_API __declspec(dllimport)
#endif
#define TARNWELL_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define TARNWELL_API __attribute__((visibility("default")))
#define TARNWELL_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif
