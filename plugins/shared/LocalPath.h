// Private, header-only: paths and addresses as the reader and writer plug-ins see them.
// The kernel composes paths with '\'; the plug-ins cannot use the kernel's internal
// platform layer, so they convert here.
#pragma once

#include <cctype>
#include <string>

namespace localpath {

inline std::string ToNative(const char* path) {
    std::string out(path ? path : "");
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return out;
}

inline int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "%41" -> "A"; a malformed escape is kept as it is.
inline std::string PercentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = HexValue(text[i + 1]);
            int lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Length of a leading "scheme:" (letters, digits, '+', '-', '.'), 0 when there is none.
// A single letter is a drive ("C:\...") rather than a scheme.
inline size_t SchemeLength(const std::string& url) {
    size_t i = 0;
    while (i < url.size() && (std::isalnum(static_cast<unsigned char>(url[i])) || url[i] == '+' ||
                              url[i] == '-' || url[i] == '.')) {
        ++i;
    }
    if (i < 2 || i >= url.size() || url[i] != ':') return 0;
    return i;
}

// Paths start with a drive ("C:") on Windows only.
#ifdef _WIN32
constexpr bool kDrivePaths = true;
#else
constexpr bool kDrivePaths = false;
#endif

inline bool IsDrive(const std::string& text) {
    return kDrivePaths && text.size() == 2 && std::isalpha(static_cast<unsigned char>(text[0])) &&
           text[1] == ':';
}

// The local file an address names: a plain path, or a "file:" address on this machine
// ("file:/p", "file:///p", "file://localhost/p"; on Windows also "file://C:/p"). False for
// every other address.
inline bool FromURL(const char* url, std::string& path) {
    if (!url || !*url) return false;
    std::string text(url);
    size_t scheme = SchemeLength(text);
    if (scheme == 0) {
        path = ToNative(url);
        return true;
    }
    std::string name = text.substr(0, scheme);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name != "file") return false;
    std::string rest = text.substr(scheme + 1);
    if (rest.compare(0, 2, "//") == 0) {
        size_t slash = rest.find('/', 2);
        std::string host = rest.substr(2, slash == std::string::npos ? std::string::npos : slash - 2);
        for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (slash == std::string::npos) return false;
        // "file://C:/p" is the common spelling of file:///C:/p: no machine is named "C:".
        if (IsDrive(host))
            rest = rest.substr(2);
        else if (host.empty() || host == "localhost")
            rest = rest.substr(slash);
        else
            return false;
    }
    if (rest.empty()) return false;
    path = ToNative(PercentDecode(rest).c_str());
    // "file:///C:/dir/f" names C:/dir/f: the drive follows the address's root.
    if (path.size() >= 3 && path[0] == '/' && IsDrive(path.substr(1, 2))) path.erase(0, 1);
    return true;
}

}  // namespace localpath
