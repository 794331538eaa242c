// The one replaceable handler every message box goes through.
#include "platform/MessageBox.h"

#include <atomic>

#include "platform/common/DefaultMessageBox.h"

namespace platform {

namespace {

std::atomic<MessageBoxHandler> currentHandler{&ShowMessageBoxByDefault};

}  // namespace

int MessageBox(HWND, const char* text, const char* caption, unsigned style) {
    currentHandler.load()(caption ? caption : "", text ? text : "", style);
    return IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = currentHandler.exchange(handler ? handler : &ShowMessageBoxByDefault);
    return previous == &ShowMessageBoxByDefault ? nullptr : previous;
}

MessageBoxHandler DefaultMessageBoxHandler() { return &ShowMessageBoxByDefault; }

}  // namespace platform
