#include "platform/MessageBox.h"

#include <atomic>
#include <cstdio>

namespace platform {

namespace {

void WriteToStandardError(const char* caption, const char* text, unsigned) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    std::fflush(stderr);
}

std::atomic<MessageBoxHandler> currentHandler{&WriteToStandardError};

}  // namespace

int MessageBox(HWND, const char* text, const char* caption, unsigned style) {
    currentHandler.load()(caption ? caption : "", text ? text : "", style);
    return IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = currentHandler.exchange(handler ? handler : &WriteToStandardError);
    return previous == &WriteToStandardError ? nullptr : previous;
}

MessageBoxHandler DefaultMessageBoxHandler() { return &WriteToStandardError; }

}  // namespace platform
