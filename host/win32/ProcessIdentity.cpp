#include "ProcessIdentity.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX  // the C++ runtime may have defined it already
#define NOMINMAX
#endif
#include <windows.h>

long CurrentProcessId() { return static_cast<long>(GetCurrentProcessId()); }

long CurrentThreadId() { return static_cast<long>(GetCurrentThreadId()); }
