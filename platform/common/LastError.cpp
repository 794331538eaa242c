#include "platform/LastError.h"

#include "platform/Text.h"

namespace platform {

namespace {
thread_local uint32_t lastErrorNumber = 0;
thread_local char lastErrorText[512] = "";
}  // namespace

uint32_t LastError() { return lastErrorNumber; }

const char* LastErrorText() { return lastErrorText; }

void SetLastError(uint32_t number, const char* text) {
    lastErrorNumber = number;
    CopyText(lastErrorText, sizeof lastErrorText, text ? text : "");
}

}  // namespace platform
