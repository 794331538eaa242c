#include "MessageRelay.h"

#include "DebugMessages.h"
#include "ToolDiagnostics.h"

void MessageRelay::OnKernelMessage(int type, const char* text, void* context) {
    auto* relay = static_cast<MessageRelay*>(context);
    if (relay->shown) relay->shown->Note(type, text);
    relay->Keep(type, text);
}

void MessageRelay::Keep(int type, const char* text) {
    if (type != TEV_MESSAGE_ERROR && type != TEV_MESSAGE_USER_ERROR) return;
    if (!text || !*text) return;
    std::lock_guard<std::mutex> guard(lock);
    // A worker's message in the meantime is about something else.
    if (!capturing || std::this_thread::get_id() != capturer) return;
    if (!captured.empty()) captured += " / ";
    captured += text;
}

void MessageRelay::BeginCapture() {
    std::lock_guard<std::mutex> guard(lock);
    capturing = true;
    capturer = std::this_thread::get_id();
    captured.clear();
}

std::string MessageRelay::EndCapture() {
    std::lock_guard<std::mutex> guard(lock);
    capturing = false;
    std::string text;
    text.swap(captured);
    return text;
}
