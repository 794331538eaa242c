// Private: name comparisons shared by channel groups and the engine's group table.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace groupnames {

// Letters compare as ASCII lower case; every other byte as it is.
inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualFolded(const char* a, const char* b, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// Rule A: equal ignoring letter case. A NULL name never matches.
inline bool EqualNoCase(const char* a, const char* b) {
    if (!a || !b) return false;
    size_t length = strlen(a);
    return strlen(b) == length && EqualFolded(a, b, length);
}

// Rule B: the first characters are identical (case counts) and the texts are equal
// ignoring letter case, so "Pool" and "pool" are different names.
inline bool EqualSameFirst(const char* a, const char* b) {
    return a && b && a[0] == b[0] && EqualNoCase(a, b);
}

// The name in lower case, as Rule A compares it: a key for maps of names.
inline std::string Folded(std::string name) {
    for (char& c : name) c = Lower(c);
    return name;
}

// Rule B's key: the first character as it is, the rest folded.
inline std::string FoldedSameFirst(const std::string& name) {
    return name.empty() ? name : name.substr(0, 1) + Folded(name.substr(1));
}

// Rule A against a fixed field that may lack its terminator: only `size` bytes are read.
inline bool FieldEqualNoCase(const char* field, size_t size, const char* text) {
    if (!field || !text) return false;
    size_t length = strnlen(field, size);
    return strlen(text) == length && EqualFolded(field, text, length);
}

}  // namespace groupnames
