// The kernel's messages as the player hears them: shown as --verbose and --log ask, and kept
// for a while on one thread so that a failed reload can say why in the kernel's words.
#pragma once

#include <mutex>
#include <string>
#include <thread>

namespace toolengine {
class Diagnostics;
}

class MessageRelay {
public:
    // `shown` null: the messages are only kept.
    explicit MessageRelay(toolengine::Diagnostics* shown) : shown(shown) {}

    // A TevMessageHandler; `context` is the relay. Thread-safe: workers send messages too.
    static void OnKernelMessage(int type, const char* text, void* context);

    // From now until EndCapture the error texts sent on the calling thread are kept.
    void BeginCapture();
    // The texts kept, joined by " / "; "" when there were none.
    std::string EndCapture();

private:
    void Keep(int type, const char* text);

    toolengine::Diagnostics* shown;
    std::mutex lock;
    bool capturing = false;
    std::thread::id capturer;
    std::string captured;
};
