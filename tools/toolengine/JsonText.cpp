#include "JsonText.h"

#include <cstdio>

namespace toolengine {

namespace {

// Length of the valid UTF-8 sequence at `p` (at most `left` bytes), 0 when invalid.
size_t Utf8Length(const unsigned char* p, size_t left) {
    size_t length = p[0] >= 0xF0 && p[0] <= 0xF4   ? 4
                    : p[0] >= 0xE0                 ? 3
                    : p[0] >= 0xC2 && p[0] <= 0xDF ? 2
                                                   : 0;
    if (p[0] >= 0xF5) length = 0;
    if (length == 0 || length > left) return 0;
    for (size_t i = 1; i < length; i++)
        if ((p[i] & 0xC0) != 0x80) return 0;
    // Overlong forms and surrogates.
    if (length == 3 && ((p[0] == 0xE0 && p[1] < 0xA0) || (p[0] == 0xED && p[1] >= 0xA0))) return 0;
    if (length == 4 && ((p[0] == 0xF0 && p[1] < 0x90) || (p[0] == 0xF4 && p[1] >= 0x90))) return 0;
    return length;
}

}  // namespace

std::string JsonQuote(const std::string& text) {
    std::string out = "\"";
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = bytes[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04X", c);
            out += escaped;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (size_t length = Utf8Length(bytes + i, text.size() - i)) {
            out.append(text, i, length);
            i += length;
            continue;
        } else {
            out += "\\uFFFD";
        }
        i++;
    }
    return out + "\"";
}

}  // namespace toolengine
