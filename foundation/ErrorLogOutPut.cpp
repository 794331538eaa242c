// error.log writer.
#include "foundation/ErrorLogOutPut.h"

#include <string>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "foundation/InstallLayout.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

namespace {

const char* const kSwitchName = "WriteErrorLog";
constexpr int kSwitchSize = 99;

// Prefix of a log line per message type.
const char* LinePrefix(int type) {
    switch (type) {
        case TEV_MESSAGE_DEBUG:
            return "Debug: ";
        case TEV_MESSAGE_ERROR:
            return "Error: ";
        case TEV_MESSAGE_INFO:
            return "Info : ";
        case TEV_MESSAGE_BOX:
            return "Message: ";
        case TEV_MESSAGE_USER_INFO:
            return "User Info: ";
        case TEV_MESSAGE_USER_WARNING:
            return "User Warning: ";
        case TEV_MESSAGE_USER_ERROR:
            return "User Error: ";
        default:
            return "";
    }
}

}  // namespace

ErrorLogOutPut::ErrorLogOutPut(EngineInterface* engine) : writeErrorLog(true), engineInterface(engine) {
    if (!engineInterface || !engineInterface->engineInterfaceExt) return;
    EngineInterfaceExt* ext = engineInterface->engineInterfaceExt;
    char value[kSwitchSize + 1] = {0};
    if (!ext->GetRegData(kSwitchName, value, kSwitchSize)) {
        ext->SetRegData(kSwitchName, "No");
        writeErrorLog = false;
    } else if (platform::StrICmp(value, "No") == 0) {
        writeErrorLog = false;
    }
}

void ErrorLogOutPut::ShowDebugMessage(DebugMessage* message) {
    if (!useDebug || !message || !message->GetDebugMessage()) return;
    const char* text = message->GetDebugMessage();
    const int type = message->GetMessageType();
    if (writeErrorLog) AppendLine(text, type);
    if (type == TEV_MESSAGE_BOX) platform::MessageBox(nullptr, text, "Message", platform::MB_OK);
}

// One open-append-close per line; a line that cannot be written is lost.
void ErrorLogOutPut::AppendLine(const char* text, int type) {
    const char* installDir = engineInterface ? engineInterface->GetInstallDir() : nullptr;
    if (!installDir || !installDir[0]) return;  // no defined place for the log
    const std::string path = installlayout::Path(installDir, installlayout::kErrorLogFile);

    char date[20];
    char time[20];
    if (!platform::FormatLocalDate(date, sizeof(date))) date[0] = 0;
    if (!platform::FormatLocalTime(time, sizeof(time))) time[0] = 0;
    std::string line;
    line.append(date).append(" ").append(time).append(" ");
    line.append(LinePrefix(type)).append(text).append("\r\n");
    platform::AppendToFile(path.c_str(), line.data(), line.size());
}
