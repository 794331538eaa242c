// Whether the tests run under a sanitizer, which multiplies time and memory: sized shapes are
// loaded smaller there, and figures of the release build are not expected of them.
#pragma once

namespace tarnwell_test {

// GCC says so by macros, clang by feature tests.
#if defined(__has_feature)
#define TARNWELL_TEST_CLANG_SANITIZED (__has_feature(address_sanitizer) || __has_feature(thread_sanitizer))
#else
#define TARNWELL_TEST_CLANG_SANITIZED 0
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || TARNWELL_TEST_CLANG_SANITIZED
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

// `full` in a release build, a tenth of it under a sanitizer.
inline constexpr int ShapeSize(int full) { return kSanitized ? full / 10 : full; }

}  // namespace tarnwell_test
