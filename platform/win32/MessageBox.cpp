// A program without a console shows a real box; one with a console or a redirected standard
// error reads the box there.
#include <cstdio>

#include "platform/common/DefaultMessageBox.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

// A host with a console, or with standard error sent somewhere (a file, a pipe: headless
// runs, tests), reads its messages there; a box would wait for a click nobody makes.
bool HasStandardError() {
    if (GetConsoleWindow()) return true;
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    return error && error != INVALID_HANDLE_VALUE && GetFileType(error) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void ShowMessageBoxByDefault(const char* caption, const char* text, unsigned style) {
    if (!HasStandardError()) {
        MessageBoxA(nullptr, text, caption, style);
        return;
    }
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    std::fflush(stderr);
}

}  // namespace platform
