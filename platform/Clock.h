// Time: tick count, local date and time stamps, sleeping.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start (monotonic), wrapping at 2^32 like GetTickCount.
uint32_t GetTickCount();
// Current local date as "yyyy-MM-dd" / time as "HH:mm:ss" (24-hour) into out; false when
// out is too small (out then "" if size > 0).
bool FormatLocalDate(char* out, size_t size);
bool FormatLocalTime(char* out, size_t size);
void Sleep(uint32_t milliseconds);

}  // namespace platform
