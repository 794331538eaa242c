// Symbol visibility of the kernel library. Everything is hidden by default; only what
// carries TARNWELL_API crosses the library boundary. Plug-ins mark their two entry points
// with TARNWELL_PLUGIN_EXPORT. On ELF the same attribute exports a definition in the kernel
// and keeps a declaration visible in a plug-in or host, so no build switches it.
#pragma once

#define TARNWELL_API __attribute__((visibility("default")))
#define TARNWELL_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
