#include "platform/Text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace platform {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool Finish(char* buffer, size_t size, const std::string& text) {
    if (!buffer || size == 0) return false;
    return CopyText(buffer, size, text.c_str());
}

// Decimal form of `digits` (significant digits, no point) with decimal exponent `exponent`.
std::string DecimalForm(const std::string& digits, int exponent) {
    std::string out;
    if (exponent < 0) {
        out = "0.";
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    size_t integerDigits = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
        out = digits;
        out.append(integerDigits - digits.size(), '0');
        out += '.';
    } else {
        out = digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
    }
    return out;
}

std::string ExponentForm(const std::string& digits, int exponent) {
    char tail[16];
    std::snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return digits.substr(0, 1) + "." + digits.substr(1) + tail;
}

}  // namespace

char* Gcvt(double value, int digits, char* buffer, size_t size) {
    if (!buffer || size == 0) return buffer;
    if (std::isnan(value)) return Finish(buffer, size, "nan"), buffer;
    if (std::isinf(value)) return Finish(buffer, size, value < 0 ? "-inf" : "inf"), buffer;
    if (digits < 1) digits = 1;
    if (digits > 99) digits = 99;
    // "%e" does the rounding; the digits and exponent are then laid out as the runtime does.
    char scientific[128];
    std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, value);
    const char* p = scientific;
    std::string sign;
    if (*p == '-') {
        sign = "-";
        ++p;
    }
    std::string mantissa;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.') mantissa += *p;
    int exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
    bool decimal = exponent >= -4 && exponent < digits;
    Finish(buffer, size,
           sign + (decimal ? DecimalForm(mantissa, exponent) : ExponentForm(mantissa, exponent)));
    return buffer;
}

char* Itoa(int value, char* buffer, size_t size, int radix) {
    if (!buffer || size == 0) return buffer;
    if (radix < 2 || radix > 36) {
        buffer[0] = '\0';
        return buffer;
    }
    bool negative = radix == 10 && value < 0;
    // Other bases show the 32-bit pattern, as the runtime does.
    uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    char reversed[40];
    size_t count = 0;
    do {
        uint32_t digit = magnitude % static_cast<uint32_t>(radix);
        reversed[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
        magnitude /= static_cast<uint32_t>(radix);
    } while (magnitude);
    std::string out = negative ? "-" : "";
    while (count) out += reversed[--count];
    Finish(buffer, size, out);
    return buffer;
}

char* StrLwr(char* text) {
    for (char* p = text; p && *p; ++p) *p = LowerAscii(*p);
    return text;
}

char* StrUpr(char* text) {
    for (char* p = text; p && *p; ++p) *p = UpperAscii(*p);
    return text;
}

unsigned short* WcsLwr(unsigned short* text) {
    for (unsigned short* p = text; p && *p; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<unsigned short>(*p - 'A' + 'a');
    return text;
}

unsigned short* WcsUpr(unsigned short* text) {
    for (unsigned short* p = text; p && *p; ++p)
        if (*p >= 'a' && *p <= 'z') *p = static_cast<unsigned short>(*p - 'a' + 'A');
    return text;
}

size_t WcsLen(const unsigned short* text) {
    size_t length = 0;
    while (text && text[length]) ++length;
    return length;
}

int StrNICmp(const char* a, const char* b, size_t count) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    for (size_t i = 0; i < count; ++i) {
        unsigned char ca = static_cast<unsigned char>(LowerAscii(a[i]));
        unsigned char cb = static_cast<unsigned char>(LowerAscii(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (!ca) return 0;
    }
    return 0;
}

int StrICmp(const char* a, const char* b) { return StrNICmp(a, b, static_cast<size_t>(-1)); }

const char* StrStrI(const char* haystack, const char* needle) {
    if (!haystack || !needle || !*needle) return nullptr;
    size_t length = std::strlen(needle);
    for (const char* p = haystack; *p; ++p)
        if (StrNICmp(p, needle, length) == 0) return p;
    return nullptr;
}

bool PathCanonicalize(char* out, size_t size, const char* path) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    if (!path) return false;
    // Root: a drive ("C:") and/or the leading separators; never removed by "..".
    std::string root;
    const char* p = path;
    if (((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':') {
        root.assign(p, 2);
        p += 2;
    }
    while (IsSeparator(*p)) root += *p++;
    struct Element {
        char separator;  // the separator written before it, '\0' for the first
        std::string name;
    };
    std::vector<Element> kept;
    bool trailingSeparator = false;
    char separator = '\0';
    while (*p) {
        const char* end = p;
        while (*end && !IsSeparator(*end)) ++end;
        std::string name(p, end);
        if (name == "..") {
            if (!kept.empty()) kept.pop_back();
            trailingSeparator = false;
        } else if (name == ".") {
            if (!*end) trailingSeparator = false;  // "a\b\." names b itself; "a\b\.\" keeps the separator
        } else {
            kept.push_back({kept.empty() ? '\0' : separator, name});
            trailingSeparator = *end != '\0';
        }
        if (!*end) break;
        if (name != ".") separator = *end;
        p = end + 1;
        while (IsSeparator(*p)) ++p;  // repeated separators count as one
    }
    std::string result = root;
    for (const Element& element : kept) {
        if (element.separator) result += element.separator;
        result += element.name;
    }
    if (trailingSeparator && !kept.empty()) result += separator;
    if (result.size() + 1 > size) return false;
    std::memcpy(out, result.c_str(), result.size() + 1);
    return true;
}

bool CopyTextN(char* dest, size_t size, const char* src, size_t count) {
    if (!dest || size == 0) return false;
    size_t length = 0;
    while (src && length < count && src[length]) ++length;
    bool fits = length < size;
    if (!fits) length = size - 1;
    if (length) std::memcpy(dest, src, length);
    dest[length] = '\0';
    return fits;
}

bool CopyText(char* dest, size_t size, const char* src) {
    return CopyTextN(dest, size, src, static_cast<size_t>(-1));
}

bool AppendText(char* dest, size_t size, const char* src) {
    if (!dest || size == 0) return false;
    size_t used = strnlen(dest, size);
    if (used == size) {  // not terminated within its size: terminate, count as cut
        dest[size - 1] = '\0';
        return false;
    }
    return CopyText(dest + used, size - used, src);
}

}  // namespace platform
