// Private: the lines of a project check, handed to the host's handler as they are found,
// and the means to say why something failed in the kernel's own words.
#pragma once

#include <string>
#include <vector>

#include "DebugMessages.h"
#include "TarnwellHost.h"
#include "TarnwellTypes.h"
#include "format/GuidText.h"
#include "format/VersionText.h"

class ProjectReport {
public:
    ProjectReport(TevCheckHandler handler, void* context) : handler(handler), context(context) {}

    void Add(int subject, int verdict, const std::string& name, const std::string& where,
             const std::string& detail, const std::string& reason);
    int Worst() const { return worst; }
    // While holding, lines wait; Release hands them on, after whatever was added meanwhile.
    void Hold(bool on) { holding = on; }
    void Release();

    // Channel types the project lists (in GuidText form, with the module it names for the
    // type, "" when none), and those a run restores.
    void NoteType(const std::string& guid, bool restored, const std::string& module);
    bool Lists(const std::string& guid) const;
    // The module the project names for a listed type; "" when it names none.
    std::string ModuleOf(const std::string& guid) const;
    const std::vector<std::string>& RestoredTypes() const { return restored; }

private:
    TevCheckHandler handler;
    void* context;
    struct Line {
        int subject, verdict;
        std::string name, where, detail, reason;
    };
    void Emit(const Line& line);

    int worst = TEV_CHECK_OK;
    bool holding = false;
    std::vector<Line> held;
    std::vector<std::string> listed;
    std::vector<std::string> modules;  // beside `listed`
    std::vector<std::string> restored;
};

// "0x1A2B3C4D".
std::string CrcText(uint32_t crc);

// While alive, collects the texts of every kernel message and passes each on to the sink
// that was in place (error.log keeps them). Only for the host's thread while no worker
// runs: it replaces the process-wide sink.
class MessageCapture : public DebugOutPut {
public:
    MessageCapture();
    ~MessageCapture() override;
    void ShowDebugMessage(DebugMessage* message) override;
    // The collected texts, joined by " / "; "" when there were none.
    const std::string& Text() const { return text; }

private:
    DebugOutPut* previous;
    std::string text;
};
