// The one way the Windows layer includes <windows.h>: lean, without min/max, and without the
// macros that would rename the platform layer's own functions and constants (MessageBox,
// GetFileAttributes, REG_SZ, MB_OK...). Include it before or after platform headers.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef MessageBox
#undef GetEnvironmentVariable
#undef SetEnvironmentVariable
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef CopyFile
#undef GetFileAttributes
#undef FreeModule
#undef RegOpenKey
#undef RegCreateKey
#undef RegQueryValue
#undef RegSetValue
#undef REG_NONE
#undef REG_SZ
#undef MB_OK
#undef MB_OKCANCEL
#undef MB_YESNO
#undef MB_ICONERROR
#undef MB_ICONQUESTION
#undef MB_ICONWARNING
#undef MB_ICONINFORMATION
#undef IDOK
#undef StrStrI
#undef PathCanonicalize
