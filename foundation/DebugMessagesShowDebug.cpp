// The debug-line functor: short texts into the engine's ten debug lines.
#include <cstring>

#include "DebugMessages.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "platform/Text.h"

namespace {

constexpr int kDigits = 10;
constexpr size_t kNumberSize = 64;
constexpr size_t kMaxFirstText = 350;
constexpr size_t kMaxJoinedText = 399;

}  // namespace

ShowDebug::ShowDebug(EngineInterface* engine) : engineInterface(engine) {}

void ShowDebug::Out(const char* text, int line) {
    if (!engineInterface || !engineInterface->engineInterfaceExt) return;
    engineInterface->engineInterfaceExt->DebugOut(text, line);
}

void ShowDebug::operator()(const char* text, int line) {
    if (!engineInterface || !text) return;
    Out(text, line);
}

void ShowDebug::operator()(float x, int line) { (*this)(static_cast<double>(x), line); }

void ShowDebug::operator()(int x, int line) { (*this)(static_cast<double>(x), line); }

void ShowDebug::operator()(unsigned int x, int line) { (*this)(static_cast<double>(x), line); }

void ShowDebug::operator()(double x, int line) {
    if (!engineInterface) return;
    char number[kNumberSize];
    platform::Gcvt(x, kDigits, number, sizeof(number));
    Out(number, line);
}

void ShowDebug::operator()(const char* text, float x, int line) {
    if (!engineInterface || !text || std::strlen(text) > kMaxFirstText) return;
    char number[kNumberSize];
    platform::Gcvt(static_cast<double>(x), kDigits, number, sizeof(number));
    char buffer[kMaxFirstText + kNumberSize + 1];
    platform::CopyText(buffer, text);
    platform::AppendText(buffer, number);
    Out(buffer, line);
}

void ShowDebug::operator()(const char* text, int x, int line) {
    if (!engineInterface || !text || std::strlen(text) > kMaxFirstText) return;
    char number[kNumberSize];
    platform::Itoa(x, number, sizeof(number), 10);
    char buffer[kMaxFirstText + kNumberSize + 1];
    platform::CopyText(buffer, text);
    platform::AppendText(buffer, number);
    Out(buffer, line);
}

void ShowDebug::operator()(const char* text, const char* text2, int line) {
    if (!engineInterface || !text || !text2) return;
    if (std::strlen(text) + std::strlen(text2) > kMaxJoinedText) return;
    char buffer[kMaxJoinedText + 1];
    platform::CopyText(buffer, text);
    platform::AppendText(buffer, text2);
    Out(buffer, line);
}
