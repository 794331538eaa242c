// Whether the tests run under a sanitizer, which multiplies time and memory: sized shapes are
// loaded smaller there, and figures of the release build are not expected of them.
#pragma once

namespace tarnwell_test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

// `full` in a release build, a tenth of it under a sanitizer.
inline constexpr int ShapeSize(int full) { return kSanitized ? full / 10 : full; }

}  // namespace tarnwell_test
