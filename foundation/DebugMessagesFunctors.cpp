// The seven message functors: compose one text, hand it to the sink.
#include <cstdio>
#include <cstring>

#include "DebugMessages.h"
#include "format/GuidText.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

namespace {

// Composition buffer of the two-part forms. The first text keeps at most 498
// characters; a blank follows when it is shorter; the second part is cut so
// the whole stays within 498 (numbers) or 598 (text) characters.
constexpr size_t kComposeSize = 600;
constexpr size_t kFirstTextLimit = 498;
constexpr size_t kNumberLimit = 498;
constexpr size_t kTextLimit = 598;

void Compose(char* buffer, const char* text, const char* second, size_t limit) {
    platform::CopyText(buffer, kFirstTextLimit + 1, text);
    size_t length = std::strlen(buffer);
    if (length < kFirstTextLimit) {
        buffer[length++] = ' ';
        buffer[length] = 0;
    }
    if (second) platform::CopyText(buffer + length, limit + 1 - length, second);
}

constexpr int kNumberDigits = 50;
constexpr int kShortNumberDigits = 5;
constexpr size_t kNumberSize = 128;

// The text and a number already written out, as one message through the functor.
void ShowWithNumber(ShowDebugMessage& functor, const char* text, const char* number) {
    char buffer[kComposeSize];
    Compose(buffer, text, number, kNumberLimit);
    functor.ShowMessage(buffer);
}

}  // namespace

ShowDebugMessage::ShowDebugMessage() {}

ShowDebugMessage::~ShowDebugMessage() {}

void ShowDebugMessage::Deliver(const char* text, int type, const char* caption) {
    DebugMessage message;
    message.SetDebugMessage(text);
    message.SetMessageType(type);
    if (debugOutPut)
        debugOutPut->ShowDebugMessage(&message);
    else
        platform::MessageBox(nullptr, text, caption, platform::MB_OK);
}

void ShowDebugMessage::ShowMessage(const char* text) { Deliver(text, TEV_MESSAGE_DEBUG, "Debug"); }
void ShowErrorMessage::ShowMessage(const char* text) { Deliver(text, TEV_MESSAGE_ERROR, "Error"); }
void ShowInfoMessage::ShowMessage(const char* text) { Deliver(text, TEV_MESSAGE_INFO, "Info"); }
void ShowMessageBox::ShowMessage(const char* text) { Deliver(text, TEV_MESSAGE_BOX, "Message"); }
// The three user forms share the caption "Error" on purpose.
void ShowUserInfoMessage::ShowMessage(const char* text) { Deliver(text, TEV_MESSAGE_USER_INFO, "Error"); }
void ShowUserWarningMessage::ShowMessage(const char* text) {
    Deliver(text, TEV_MESSAGE_USER_WARNING, "Error");
}
void ShowUserErrorMessage::ShowMessage(const char* text) { Deliver(text, TEV_MESSAGE_USER_ERROR, "Error"); }

void ShowDebugMessage::operator()(const char* text) {
    if (!debugOutPut) return;
    ShowMessage(text);
}

void ShowDebugMessage::operator()(float x) { (*this)(static_cast<double>(x)); }

void ShowDebugMessage::operator()(int x) { (*this)(static_cast<double>(x)); }

void ShowDebugMessage::operator()(unsigned long x) { (*this)(static_cast<double>(x)); }

void ShowDebugMessage::operator()(double x) {
    if (!debugOutPut) return;
    char number[kNumberSize];
    platform::Gcvt(x, kNumberDigits, number, sizeof(number));
    ShowMessage(number);
}

void ShowDebugMessage::operator()(_GUID id) {
    if (!debugOutPut) return;
    // Without the braces of the registry form.
    ShowMessage(GuidText(id).substr(1, 36).c_str());
}

void ShowDebugMessage::operator()(const char* text, const char* text2) {
    if (!debugOutPut || !text) return;
    char buffer[kComposeSize];
    Compose(buffer, text, text2, kTextLimit);
    ShowMessage(buffer);
}

void ShowDebugMessage::operator()(const char* text, int x) {
    if (!debugOutPut || !text) return;
    char number[kNumberSize];
    ShowWithNumber(*this, text, platform::Itoa(x, number, sizeof(number), 10));
}

void ShowDebugMessage::operator()(const char* text, float x) {
    if (!debugOutPut || !text) return;
    char number[kNumberSize];
    ShowWithNumber(*this, text, platform::Gcvt(static_cast<double>(x), kShortNumberDigits, number, sizeof(number)));
}
