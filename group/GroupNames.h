// Private: name comparisons shared by channel groups and the engine's group table.
#pragma once

#include <cstddef>
#include <cstring>

#include "platform/Text.h"

namespace groupnames {

// Rule A: equal ignoring letter case. A NULL name never matches.
inline bool EqualNoCase(const char* a, const char* b) {
    return a && b && platform::StrICmp(a, b) == 0;
}

// Rule B: the first characters are identical (case counts) and the texts are equal
// ignoring letter case, so "Pool" and "pool" are different names.
inline bool EqualSameFirst(const char* a, const char* b) {
    return a && b && a[0] == b[0] && platform::StrICmp(a, b) == 0;
}

// Rule A against a fixed field that may lack its terminator: only `size` bytes are read.
inline bool FieldEqualNoCase(const char* field, size_t size, const char* text) {
    if (!field || !text) return false;
    size_t length = strnlen(field, size);
    return strlen(text) == length && platform::StrNICmp(field, text, length) == 0;
}

}  // namespace groupnames
