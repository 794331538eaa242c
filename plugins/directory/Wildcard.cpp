#include "Wildcard.h"

#include <cctype>
#include <cstring>

namespace wildcard {

namespace {

struct NamedClass {
    const char* name;
    int (*test)(int);
};

const NamedClass kClasses[] = {
    {"alnum", isalnum}, {"alpha", isalpha}, {"blank", isblank}, {"cntrl", iscntrl},
    {"digit", isdigit}, {"graph", isgraph}, {"lower", islower}, {"print", isprint},
    {"punct", ispunct}, {"space", isspace}, {"upper", isupper}, {"xdigit", isxdigit},
};

// "[:name:]" at `p`: its test, with `end` just past it. Null with `end` null when `p` starts
// none (a '[' there is an ordinary member); null with `invalid` set for an unknown name.
int (*ClassAt(const char* p, const char*& end, bool& invalid))(int) {
    end = nullptr;
    if (p[0] != '[' || p[1] != ':') return nullptr;
    const char* close = std::strstr(p + 2, ":]");
    if (!close) return nullptr;
    const size_t length = static_cast<size_t>(close - (p + 2));
    for (const NamedClass& known : kClasses) {
        if (std::strlen(known.name) == length && std::strncmp(known.name, p + 2, length) == 0) {
            end = close + 2;
            return known.test;
        }
    }
    invalid = true;
    return nullptr;
}

// One member character at `p`, also written "[.c.]" or "[=c=]"; `p` moves past it. Only
// single characters can be named that way: anything else makes the pattern invalid.
unsigned char MemberAt(const char*& p, bool& invalid) {
    if (p[0] == '[' && (p[1] == '.' || p[1] == '=')) {
        if (!p[2] || p[3] != p[1] || p[4] != ']') {
            invalid = true;
            return 0;
        }
        p += 5;
        return static_cast<unsigned char>(p[-3]);
    }
    return static_cast<unsigned char>(*p++);
}

// Past one member of a set already known to hold the character: a "[:name:]", "[.c.]" or
// "[=c=]" whole, anything else one character. An unclosed "[." or "[=" is still invalid.
void SkipMember(const char*& p, bool& invalid) {
    if (p[0] == '[' && (p[1] == ':' || p[1] == '.' || p[1] == '=')) {
        const char close[] = {p[1], ']', '\0'};
        if (const char* at = std::strstr(p + 2, close)) {
            p = at + 2;
            return;
        }
        invalid = p[1] != ':';
    }
    ++p;
}

// A bracket expression starting just after its '[': whether `c` is in the set, with `end` just
// past its ']'. False with `end` null when nothing closes it: the '[' then stands for itself.
// Members are tried in order; once one holds `c`, the rest is only skipped, not judged.
bool InSet(const char* p, unsigned char c, const char*& end, bool& invalid) {
    end = nullptr;
    const bool negated = *p == '!' || *p == '^';
    if (negated) ++p;
    bool found = false;
    for (bool first = true; *p && !invalid; first = false) {
        if (*p == ']' && !first) {
            end = p + 1;
            return found != negated;
        }
        const char* after = nullptr;
        int (*test)(int) = found ? nullptr : ClassAt(p, after, invalid);
        if (after) {
            found = test(c) != 0;
            p = after;
            continue;
        }
        if (found) {
            SkipMember(p, invalid);
            continue;
        }
        const unsigned char low = MemberAt(p, invalid);
        if (p[0] == '-' && !p[1]) invalid = true;  // "[a-" ends the pattern inside a range
        if (p[0] == '-' && p[1] && p[1] != ']') {
            ++p;
            const unsigned char high = MemberAt(p, invalid);
            found = low <= c && c <= high;
        } else {
            found = low == c;
        }
    }
    return false;
}

// One pattern element at `p` against the name's character `c`; `next` just past the element.
bool ElementMatches(const char* p, const char* name, const char* start, const char*& next) {
    const unsigned char c = static_cast<unsigned char>(*name);
    const bool hiddenDot = c == '.' && name == start;  // only a literal '.' matches it
    if (*p == '?') {
        next = p + 1;
        return !hiddenDot;
    }
    if (*p == '[') {
        bool invalid = false;
        const bool in = InSet(p + 1, c, next, invalid);
        if (invalid) return false;  // no name matches a malformed set
        if (next) return in && !hiddenDot;
    }
    next = p + 1;
    return static_cast<unsigned char>(*p) == c;
}

}  // namespace

// Greedy with one point to return to: a later '*' covers whatever an earlier one would have.
bool Matches(const char* pattern, const char* name) {
    const char* start = name;
    const char* p = pattern;
    const char* starNext = nullptr;  // the pattern just after the last '*'
    const char* starName = nullptr;  // where that '*' stopped in the name
    while (*name) {
        const char* next = nullptr;
        if (*p == '*') {
            if (*name == '.' && name == start) return false;
            while (*p == '*') ++p;
            starNext = p;
            starName = name;
        } else if (*p && ElementMatches(p, name, start, next)) {
            p = next;
            ++name;
        } else if (starNext) {
            p = starNext;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == '\0';
}

}  // namespace wildcard
