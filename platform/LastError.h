// Per-thread last error of the platform layer: a Win32-style number plus the system's own
// text (for module loading: what the dynamic loader said), so callers that report
// "GetLastError:" with the number can also say why.
#pragma once

#include <cstdint>

namespace platform {

// Win32 error numbers the layer sets; callers compare against these.
constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorMoreData = 234;
constexpr uint32_t kErrorModNotFound = 126;   // the module exists but a dependency is missing
constexpr uint32_t kErrorProcNotFound = 127;  // symbol lookup failed
constexpr uint32_t kErrorBadExeFormat = 193;  // the file exists but is no loadable module

// Number of the calling thread's last failure (0 after a success that sets it).
uint32_t LastError();
// Text describing the calling thread's last failure; never NULL, empty when none.
const char* LastErrorText();
// Sets number and text (text may be NULL: empty).
void SetLastError(uint32_t number, const char* text = nullptr);

}  // namespace platform
