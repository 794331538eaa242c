#include "platform/Clock.h"

#include <time.h>

#include <cerrno>
#include <cstdio>

namespace platform {

namespace {

bool FormatNow(char* out, size_t size, const char* format) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    time_t now = time(nullptr);
    struct tm local;
    if (!localtime_r(&now, &local)) return false;
    if (strftime(out, size, format, &local) != 0) return true;
    out[0] = '\0';  // the contents are undefined when the stamp did not fit
    return false;
}

}  // namespace

uint32_t GetTickCount() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t milliseconds =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(milliseconds);  // wraps like the 32-bit system counter
}

bool FormatLocalDate(char* out, size_t size) { return FormatNow(out, size, "%Y-%m-%d"); }

bool FormatLocalTime(char* out, size_t size) { return FormatNow(out, size, "%H:%M:%S"); }

void Sleep(uint32_t milliseconds) {
    struct timespec remaining = {static_cast<time_t>(milliseconds / 1000),
                                 static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

}  // namespace platform
