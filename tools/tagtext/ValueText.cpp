#include "ValueText.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "format/LittleEndian.h"

namespace tagtext {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";
const char kHexPrefix[] = "hex:";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendHexByte(std::string& out, unsigned char byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
}

const unsigned char* Data(const Bytes& bytes) { return reinterpret_cast<const unsigned char*>(bytes.data()); }

bool AllZero(const Bytes& bytes, size_t from) {
    for (size_t i = from; i < bytes.size(); ++i) {
        if (bytes[i] != '\0') return false;
    }
    return true;
}

// Reads the hex digits of text[from, from + 2 * count) into bytes.
bool ReadHexRun(const std::string& text, size_t from, size_t count, Bytes& out) {
    for (size_t i = 0; i < count; ++i) {
        int high = HexValue(text[from + 2 * i]);
        int low = HexValue(text[from + 2 * i + 1]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high << 4 | low);
    }
    return true;
}

std::string FormatGuid(const Bytes& b) { return GuidText(littleendian::GetGuid(Data(b))); }

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, digits in either case.
bool ParseGuid(const std::string& token, Bytes& out) {
    static const char kShape[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (token.size() != sizeof(kShape) - 1) return false;
    std::string digits;
    for (size_t i = 0; i < token.size(); ++i) {
        if (kShape[i] == 'X') {
            if (HexValue(token[i]) < 0) return false;
            digits += token[i];
        } else if (token[i] != kShape[i]) {
            return false;
        }
    }
    Bytes written;  // the 16 bytes in the order of the text, most significant first
    ReadHexRun(digits, 0, littleendian::kGuidSize, written);
    const unsigned char* w = Data(written);
    _GUID guid;
    guid.Data1 = static_cast<uint32_t>(w[0]) << 24 | w[1] << 16 | w[2] << 8 | w[3];
    guid.Data2 = static_cast<uint16_t>(w[4] << 8 | w[5]);
    guid.Data3 = static_cast<uint16_t>(w[6] << 8 | w[7]);
    std::memcpy(guid.Data4, w + 8, sizeof(guid.Data4));
    out.assign(littleendian::kGuidSize, '\0');
    littleendian::PutGuid(reinterpret_cast<unsigned char*>(&out[0]), guid);
    return true;
}

bool ParseInteger(const std::string& token, long long low, long long high, long long& value) {
    size_t i = token.size() > 0 && token[0] == '-' ? 1 : 0;
    if (i == token.size() || token.size() - i > 12) return false;
    long long magnitude = 0;
    for (; i < token.size(); ++i) {
        if (token[i] < '0' || token[i] > '9') return false;
        magnitude = magnitude * 10 + (token[i] - '0');
    }
    value = token[0] == '-' ? -magnitude : magnitude;
    return value >= low && value <= high;
}

bool IsHexToken(const std::string& token) {
    return token.compare(0, sizeof(kHexPrefix) - 1, kHexPrefix) == 0;
}

}  // namespace

std::string FormatHex(const Bytes& bytes) {
    std::string out = kHexPrefix;
    out.reserve(out.size() + 2 * bytes.size());
    for (unsigned char c : bytes) AppendHexByte(out, c);
    return out;
}

std::string FormatQuoted(const Bytes& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c <= 0x7E) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            AppendHexByte(out, c);
        }
    }
    return out + "\"";
}

bool FormatTerminatedText(const Bytes& bytes, std::string& out) {
    if (bytes.empty() || bytes.find('\0') != bytes.size() - 1) return false;
    out = FormatQuoted(bytes.substr(0, bytes.size() - 1));
    return true;
}

bool FormatField(const Field& field, const Bytes& bytes, std::string& out) {
    if (bytes.size() != field.width) return false;
    switch (field.kind) {
        case FieldKind::Text: {
            size_t end = bytes.find('\0');
            if (end == Bytes::npos || !AllZero(bytes, end)) return false;
            out = FormatQuoted(bytes.substr(0, end));
            return true;
        }
        case FieldKind::Int32:
            out = std::to_string(static_cast<int32_t>(littleendian::Get32(Data(bytes))));
            return true;
        case FieldKind::Byte:
            out = std::to_string(Data(bytes)[0]);
            return true;
        case FieldKind::Guid:
            out = FormatGuid(bytes);
            return true;
        case FieldKind::Hex:
            out = FormatHex(bytes);
            return true;
    }
    return false;
}

std::string DescribeField(const Field& field) {
    switch (field.kind) {
        case FieldKind::Text:
            return "a quoted text of at most " + std::to_string(field.width - 1) + " bytes";
        case FieldKind::Int32:
            return "a 32-bit integer";
        case FieldKind::Byte:
            return "a byte value 0..255";
        case FieldKind::Guid:
            return "a GUID {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
        case FieldKind::Hex:
            break;
    }
    return "hex: with " + std::to_string(field.width) + " bytes";
}

bool ParseHex(const std::string& token, Bytes& out, std::string& expected) {
    expected = "hex: followed by pairs of hex digits";
    if (!IsHexToken(token)) return false;
    size_t digits = token.size() - (sizeof(kHexPrefix) - 1);
    if (digits % 2 != 0) return false;
    out.clear();
    return ReadHexRun(token, sizeof(kHexPrefix) - 1, digits / 2, out);
}

bool ParseQuoted(const std::string& token, Bytes& out, std::string& expected) {
    expected = "a quoted text (\"...\", with \\\", \\\\, \\n, \\t, \\xHH)";
    if (token.size() < 2 || token.front() != '"' || token.back() != '"') return false;
    out.clear();
    for (size_t i = 1; i + 1 < token.size(); ++i) {
        char c = token[i];
        if (c == '"') return false;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i + 1 >= token.size()) return false;
        switch (token[i]) {
            case '"':
            case '\\':
                out += token[i];
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '0':
                out += '\0';
                break;
            case 'x':
                if (i + 3 >= token.size() || !ReadHexRun(token, i + 1, 1, out)) return false;
                i += 2;
                break;
            default:
                return false;
        }
    }
    return true;
}

bool ParseTerminatedText(const std::string& token, Bytes& out, std::string& expected) {
    if (!ParseQuoted(token, out, expected)) return false;
    out += '\0';
    return true;
}

bool ParseField(const Field& field, const std::string& token, Bytes& out, std::string& expected) {
    // Raw bytes of the exact width are always accepted: that is how untyped content comes back.
    if (IsHexToken(token)) {
        if (!ParseHex(token, out, expected)) return false;
        expected = "hex: with exactly " + std::to_string(field.width) + " bytes";
        return out.size() == field.width;
    }
    expected = DescribeField(field) + " or hex: with " + std::to_string(field.width) + " bytes";
    long long value = 0;
    switch (field.kind) {
        case FieldKind::Text: {
            std::string ignored;
            if (!ParseQuoted(token, out, ignored) || out.size() >= field.width) return false;
            out.resize(field.width, '\0');
            return true;
        }
        case FieldKind::Int32: {
            if (!ParseInteger(token, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                              value)) {
                return false;
            }
            unsigned char word[4];
            littleendian::Put32(word, static_cast<uint32_t>(static_cast<int32_t>(value)));
            out.assign(reinterpret_cast<const char*>(word), sizeof(word));
            return true;
        }
        case FieldKind::Byte:
            if (!ParseInteger(token, 0, 255, value)) return false;
            out.assign(1, static_cast<char>(value));
            return true;
        case FieldKind::Guid:
            return ParseGuid(token, out);
        case FieldKind::Hex:
            return false;
    }
    return false;
}

}  // namespace tagtext
