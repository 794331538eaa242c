// The message in transit and the sink base.
#include "DebugMessages.h"

DebugOutPut* debugOutPut = nullptr;

DebugMessage::DebugMessage() : messageType(0) {}

DebugMessage::~DebugMessage() {}

const char* DebugMessage::GetDebugMessage() { return debugMessage.GetString(); }

int DebugMessage::GetMessageType() { return messageType; }

void DebugMessage::SetDebugMessage(const char* text) { debugMessage.SetString(text); }

void DebugMessage::SetMessageType(int type) { messageType = type; }

DebugOutPut::DebugOutPut() : useDebug(true) {}

DebugOutPut::~DebugOutPut() {}

void DebugOutPut::ShowDebugMessage(DebugMessage*) {}

void DebugOutPut::SetUseDebug(bool use) { useDebug = use; }
