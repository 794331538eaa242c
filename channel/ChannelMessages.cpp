#include "channel/ChannelMessages.h"

#include "EngineInterface.h"

namespace channelmsg {

void Error(EngineInterface* engine, const char* text) {
    if (engine) engine->showErrorMessage(text);
}

void Error(EngineInterface* engine, const char* text, const char* text2) {
    if (engine) engine->showErrorMessage(text ? text : "", text2 ? text2 : "");
}

void Error(EngineInterface* engine, int value) {
    if (engine) engine->showErrorMessage(value);
}

void AutoloadFailed(EngineInterface* engine, const char* fileName, const char* callerFile, const char* path) {
    Error(engine, kAutoloadFailed);
    Error(engine, fileName ? fileName : "");
    if (callerFile) Error(engine, callerFile);
    Error(engine, path ? path : "");
}

void UserInfo(EngineInterface* engine, const char* text) {
    // An unnamed channel still gets its line, so the sequence of texts stays the same.
    if (engine) engine->showUserInfoMessage(text ? text : "");
}

void UserInfo(EngineInterface* engine, int value) {
    if (engine) engine->showUserInfoMessage(value);
}

}  // namespace channelmsg
