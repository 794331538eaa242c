// Private: the kernel's message sink, appending to error.log in the install
// directory and showing type-3 messages in a box.
#pragma once

#include "DebugMessages.h"

class EngineInterface;

class ErrorLogOutPut : public DebugOutPut {
public:
    // Reads the "WriteErrorLog" switch; writes "No" when it is absent.
    explicit ErrorLogOutPut(EngineInterface* engine);
    void ShowDebugMessage(DebugMessage* message) override;

protected:
    bool writeErrorLog;
    EngineInterface* engineInterface;  // registry and install directory

private:
    void AppendLine(const char* text, int type);
};
