#include "platform/common/FileRegistry.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace platform {
namespace fileregistry {

namespace {

constexpr long kSuccess = 0;
constexpr long kNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kInvalidParameter = 87;
constexpr long kMoreData = 234;

// One writer at a time within the process; the rename keeps readers of other processes safe.
std::mutex registryMutex;

// The lines of a key file. A line that is no "name=value" pair (written by hand, say) is
// kept as it was and written back unchanged.
struct Line {
    std::string first;   // value name, or the whole line when !isValue
    std::string second;  // value
    bool isValue;
};
typedef std::vector<Line> Values;

void AppendEscaped(std::string& out, unsigned char c) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", c);
    out += hex;
}

// Key names become one file name: lower-cased, everything but [a-z0-9._-] escaped as %XX.
std::string KeyFileName(const char* subKey) {
    std::string name;
    for (const char* p = subKey; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
        bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        if (plain && !(name.empty() && c == '.'))
            name += static_cast<char>(c);
        else
            AppendEscaped(name, c);
    }
    return name + ".reg";
}

// Names and values are stored one pair a line, "name=value", with '%', '=' and control bytes escaped.
std::string EscapeField(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F || c == '%' || c == '=')
            AppendEscaped(out, c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string UnescapeField(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool ReadValues(const std::string& file, Values& values) {
    std::vector<unsigned char> data;
    if (!ReadWholeFile(file.c_str(), data)) return false;
    std::string text(data.begin(), data.end());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            values.push_back(Line{line, std::string(), false});
            continue;
        }
        // A file edited on another system ends its lines in CR LF; the CR is no part of the
        // value (values written here escape it).
        if (!line.empty() && line.back() == '\r') line.pop_back();
        values.push_back(
            Line{UnescapeField(line.substr(0, equals)), UnescapeField(line.substr(equals + 1)), true});
    }
    return true;
}

bool WriteValues(const std::string& file, const Values& values) {
    std::string text;
    for (const auto& value : values)
        text += value.isValue ? EscapeField(value.first) + "=" + EscapeField(value.second) + "\n"
                              : value.first + "\n";
    return WriteFileAtomic(file.c_str(), text.data(), text.size());
}

std::string ValueName(const char* valueName) { return valueName ? valueName : ""; }

Values::iterator FindValue(Values& values, const std::string& name) {
    for (auto it = values.begin(); it != values.end(); ++it)
        if (it->isValue && StrICmp(it->first.c_str(), name.c_str()) == 0) return it;
    return values.end();
}

}  // namespace

long OpenKey(const std::string& dir, const char* subKey, bool create, Key& key) {
    if (!subKey) return kInvalidParameter;
    std::string name = KeyFileName(subKey);
    if (name.size() > 255) return kInvalidParameter;  // longer than a file name may be
    std::string file = dir + "/" + name;
    std::lock_guard<std::mutex> lock(registryMutex);
    // Anything but a regular file (a FIFO, say) counts as absent: reading it could block.
    if (IsRegularFile(file.c_str())) {
        key.file = file;
        return kSuccess;
    }
    if (!create) return kNotFound;
    if (!MakeDirectories(dir.c_str()) || !WriteValues(file, Values())) return kAccessDenied;
    key.file = file;
    return kSuccess;
}

long QueryValue(const Key& key, const char* valueName, uint32_t* type, char* data, uint32_t* size) {
    if (data && !size) return kInvalidParameter;
    Values values;
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        if (!ReadValues(key.file, values)) return kNotFound;
    }
    auto found = FindValue(values, ValueName(valueName));
    if (found == values.end()) return kNotFound;
    if (type) *type = REG_SZ;
    uint32_t needed = static_cast<uint32_t>(found->second.size() + 1);
    if (!data) {
        if (size) *size = needed;
        return kSuccess;
    }
    if (*size < needed) {
        *size = needed;
        return kMoreData;
    }
    std::memcpy(data, found->second.c_str(), needed);
    *size = needed;
    return kSuccess;
}

long SetValue(const Key& key, const char* valueName, uint32_t type, const char* data, uint32_t size) {
    if (type != REG_SZ || (!data && size)) return kInvalidParameter;
    std::string text = data ? std::string(data, strnlen(data, size)) : std::string();
    std::lock_guard<std::mutex> lock(registryMutex);
    Values values;
    if (!ReadValues(key.file, values)) return kNotFound;  // the key was removed meanwhile
    auto found = FindValue(values, ValueName(valueName));
    if (found != values.end())
        found->second = text;
    else
        values.push_back(Line{ValueName(valueName), text, true});
    return WriteValues(key.file, values) ? kSuccess : kAccessDenied;
}

}  // namespace fileregistry
}  // namespace platform
