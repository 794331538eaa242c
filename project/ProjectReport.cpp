// Lines of a project check and the capture of the kernel's own messages for them.
#include "project/ProjectReport.h"

#include <cstdio>

#include "platform/Files.h"

void ProjectReport::Add(int subject, int verdict, const std::string& name, const std::string& where,
                        const std::string& detail, const std::string& reason) {
    if (verdict > worst) worst = verdict;
    // The kernel composes paths with backslashes; the user reads them in the system's form.
    Line line = {subject, verdict, name, platform::ToNativePath(where.c_str()), detail, reason};
    if (holding)
        held.push_back(line);
    else
        Emit(line);
}

void ProjectReport::Release() {
    holding = false;
    for (const Line& line : held) Emit(line);
    held.clear();
}

void ProjectReport::Emit(const Line& line) {
    if (!handler) return;
    const TevCheckItem item = {line.subject,        line.verdict,         line.name.c_str(),
                               line.where.c_str(),  line.detail.c_str(), line.reason.c_str()};
    handler(&item, context);
}

void ProjectReport::NoteType(const std::string& guid, bool isRestored, const std::string& module) {
    listed.push_back(guid);
    modules.push_back(module);
    if (isRestored) restored.push_back(guid);
}

std::string ProjectReport::ModuleOf(const std::string& guid) const {
    for (size_t i = 0; i < listed.size(); i++)
        if (listed[i] == guid) return modules[i];
    return "";
}

bool ProjectReport::Lists(const std::string& guid) const {
    for (const std::string& each : listed)
        if (each == guid) return true;
    return false;
}

std::string CrcText(uint32_t crc) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", crc);
    return text;
}

MessageCapture::MessageCapture() : previous(debugOutPut) { debugOutPut = this; }

MessageCapture::~MessageCapture() { debugOutPut = previous; }

void MessageCapture::ShowDebugMessage(DebugMessage* message) {
    const char* messageText = message ? message->GetDebugMessage() : nullptr;
    if (messageText && messageText[0]) {
        if (!text.empty()) text += " / ";
        text += messageText;
    }
    if (previous) previous->ShowDebugMessage(message);
}
