#include "channel/ChannelMessages.h"

#include "EngineInterface.h"

namespace channelmsg {

void Error(EngineInterface* engine, const char* text) {
    if (engine) engine->showErrorMessage(text);
}

void Error(EngineInterface* engine, int value) {
    if (engine) engine->showErrorMessage(value);
}

void UserInfo(EngineInterface* engine, const char* text) {
    // An unnamed channel still gets its line, so the sequence of texts stays the same.
    if (engine) engine->showUserInfoMessage(text ? text : "");
}

void UserInfo(EngineInterface* engine, int value) {
    if (engine) engine->showUserInfoMessage(value);
}

}  // namespace channelmsg
