// No window system: a box is written to standard error.
#include <cstdio>

#include "platform/common/DefaultMessageBox.h"

namespace platform {

void ShowMessageBoxByDefault(const char* caption, const char* text, unsigned) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    std::fflush(stderr);
}

}  // namespace platform
