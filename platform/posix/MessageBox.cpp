#include "platform/MessageBox.h"

#include <atomic>
#include <cstdio>

#include "TarnwellHost.h"

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

}  // namespace platform

// Kept in this file so that it is linked into the kernel together with the boxes it steers.
extern "C" TARNWELL_API TevMessageBoxHandler TevSetMessageBoxHandler(TevMessageBoxHandler handler) {
    return platform::SetMessageBoxHandler(handler);
}
