#include "platform/Clock.h"

#include <climits>

#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

// The pictures are explicit and the locale invariant, so the stamps never follow the
// user's regional settings.
constexpr char kDatePicture[] = "yyyy'-'MM'-'dd";
constexpr char kTimePicture[] = "HH':'mm':'ss";

bool Finish(char* out, int written) {
    if (written > 0) return true;
    out[0] = '\0';  // the contents are undefined when the stamp did not fit
    return false;
}

int BufferSize(size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

}  // namespace

// From the performance counter rather than the system tick, which moves in steps of 10 to 16
// milliseconds: short waits measured with it would come out too short or too long.
uint32_t GetTickCount() {
    LARGE_INTEGER frequency, now;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&now) || frequency.QuadPart <= 0)
        return ::GetTickCount();
    const uint64_t count = static_cast<uint64_t>(now.QuadPart);
    const uint64_t perSecond = static_cast<uint64_t>(frequency.QuadPart);
    const uint64_t milliseconds = count / perSecond * 1000u + count % perSecond * 1000u / perSecond;
    return static_cast<uint32_t>(milliseconds);  // wraps like the 32-bit system counter
}

bool FormatLocalDate(char* out, size_t size) {
    if (!out || size == 0) return false;
    return Finish(out, GetDateFormatA(LOCALE_INVARIANT, 0, nullptr, kDatePicture, out, BufferSize(size)));
}

bool FormatLocalTime(char* out, size_t size) {
    if (!out || size == 0) return false;
    return Finish(out, GetTimeFormatA(LOCALE_INVARIANT, 0, nullptr, kTimePicture, out, BufferSize(size)));
}

void Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
