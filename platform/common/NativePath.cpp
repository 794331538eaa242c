// Paths in the system's form: the one separator the system does not use becomes the one it does.
#include <algorithm>

#include "platform/Files.h"
#include "platform/Text.h"

namespace platform {

namespace {

char ForeignSeparator() { return NativeSeparator() == '/' ? '\\' : '/'; }

}  // namespace

void ToNativePath(char* path) {
    const char foreign = ForeignSeparator(), native = NativeSeparator();
    for (char* p = path; p && *p; ++p)
        if (*p == foreign) *p = native;
}

bool ToNativePath(const char* path, char* out, size_t size) {
    bool fits = CopyText(out, size, path ? path : "");
    if (out && size) ToNativePath(out);
    return fits;
}

std::string ToNativePath(const char* path) {
    std::string out = path ? path : "";
    std::replace(out.begin(), out.end(), ForeignSeparator(), NativeSeparator());
    return out;
}

}  // namespace platform
