#include "platform/MessageBox.h"

#include <atomic>
#include <cstdio>

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

void ShowByDefault(const char* caption, const char* text, unsigned style) {
    if (!HasStandardError()) {
        MessageBoxA(nullptr, text, caption, style);
        return;
    }
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    std::fflush(stderr);
}

std::atomic<MessageBoxHandler> currentHandler{&ShowByDefault};

}  // namespace

int MessageBox(HWND, const char* text, const char* caption, unsigned style) {
    currentHandler.load()(caption ? caption : "", text ? text : "", style);
    return IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = currentHandler.exchange(handler ? handler : &ShowByDefault);
    return previous == &ShowByDefault ? nullptr : previous;
}

MessageBoxHandler DefaultMessageBoxHandler() { return &ShowByDefault; }

}  // namespace platform
