// Win32 error numbers as the rest of the layer reports them (private to platform/win32).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The system's own text for a Win32 error number, without the trailing line break.
std::string SystemErrorText(uint32_t error);
// The errno value closest to a Win32 error number (EIO when none fits).
int ErrnoFromSystemError(uint32_t error);

}  // namespace platform
