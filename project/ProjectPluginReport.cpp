// A check's verdicts on the plug-in lists. A check writes nothing, but it meets the entries in
// the order a load restores them: a module that fails to load only for want of a DLL the load
// puts into 3rd/ first is one the load brings up.
#include <string>
#include <vector>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "project/ProjectModuleProof.h"
#include "project/ProjectPlugins.h"
#include "project/ProjectReport.h"
#include "foundation/InstallLayout.h"
#include "platform/Files.h"

using namespace projectfile;

namespace {

// The first DLL of `dlls` that the loader's text names, "" when none.
std::string NamedDll(const std::string& text, const std::vector<std::string>& dlls) {
    for (const std::string& dll : dlls)
        if (text.find(dll) != std::string::npos) return dll;
    return "";
}

}  // namespace

void ProjectPlugins::ReportAll() {
    std::vector<std::string> restoredDlls;
    for (const OtherDllEntry& entry : otherDllEntries)
        if (entry.restore && entry.file.size > 0) restoredDlls.push_back(entry.file.name);
    for (const ChannelEntry& entry : channelEntries) ReportChannel(entry, restoredDlls);
    for (const OtherDllEntry& entry : otherDllEntries)
        ReportRestore(TEV_CHECK_DLL, entry.name, "project " + CrcText(entry.crc) + entry.found.local,
                      entry.restore, entry.file, entry.found, installlayout::kThirdPartyDir);
}

std::string ProjectPlugins::ChannelName(const ChannelEntry& entry) {
    if (!entry.found.typeName.empty()) return entry.found.typeName;
    return entry.file.name[0] ? entry.file.name : GuidText(entry.type);
}

std::string ProjectPlugins::ChannelDetail(const ChannelEntry& entry) {
    std::string detail =
        "type " + GuidText(entry.type) + ", project " + VersionText(entry.version) + " " + CrcText(entry.crc);
    if (!entry.found.local.empty()) detail += ", " + entry.found.local;
    return detail;
}

void ProjectPlugins::ReportChannel(const ChannelEntry& entry, const std::vector<std::string>& restoredDlls) {
    const Embedded& file = entry.file;
    const Findings& found = entry.found;
    const std::string name = ChannelName(entry);
    const std::string detail = ChannelDetail(entry);
    if (entry.restore) {
        Findings why = found;
        // A file of the carried name that makes no type is one the engine could not load at
        // start: its loader's text tells why (a library missing from 3rd/, an old interface).
        char path[kPathSize];
        if (found.where.empty() && file.name[0] &&
            InstallPath(installlayout::kChannelsDir, file.name, path, sizeof(path)) &&
            platform::FileExists(path)) {
            MessageCapture capture;
            settings.engine->engineInterfaceExt->GetDLLType(path);
            why.where = path;
            why.Add(std::string("the file in channels/ does not load: ") + capture.Text());
        }
        const std::string failure = file.size > 0 ? CarriedCopyFailure(entry) : "";
        const std::string dll = NamedDll(failure, restoredDlls);
        if (failure.empty() || !dll.empty()) {
            settings.report->NoteType(GuidText(entry.type), file.size > 0, file.name);
            if (!dll.empty())
                why.Add("the carried copy loads once " + dll + " is in 3rd/, which a run restores first");
            ReportRestore(TEV_CHECK_PLUGIN, name, detail, true, file, why, installlayout::kChannelsDir);
            return;
        }
        settings.report->NoteType(GuidText(entry.type), false, file.name);
        why.Add(std::string("the project carries ") + file.name + ", which a run refuses: " + failure);
        settings.report->Add(TEV_CHECK_PLUGIN, TEV_CHECK_FAILED, name, why.where, detail, why.reason);
        return;
    }
    settings.report->NoteType(GuidText(entry.type), false, file.name);
    // In place by version and checksum; whether the module loads here only loading it tells.
    MessageCapture capture;
    const ChannelType loaded = settings.engine->engineInterfaceExt->GetDLLType(found.where.c_str());
    const std::string dll = NamedDll(capture.Text(), restoredDlls);
    if (!IsNullGuid(loaded.typeGuid))
        settings.report->Add(TEV_CHECK_PLUGIN, TEV_CHECK_OK, name, found.where, detail, "");
    else if (!dll.empty())
        settings.report->Add(
            TEV_CHECK_PLUGIN, TEV_CHECK_RESTORE, name, found.where, detail,
            "does not load here: " + capture.Text() + "; a run restores " + dll + " into 3rd/ first");
    else
        settings.report->Add(TEV_CHECK_PLUGIN, TEV_CHECK_FAILED, name, found.where, detail,
                             "does not load: " + capture.Text());
}

// The carried copy goes through the proof a load gives it, in a temporary file that goes again.
std::string ProjectPlugins::CarriedCopyFailure(const ChannelEntry& entry) {
    char path[kPathSize];
    if (!InstallPath(installlayout::kChannelsDir, entry.file.name, path, sizeof(path)))
        return "its path is too long";
    MessageCapture capture;
    std::string reason;
    switch (ProveModule(settings.engine, path, entry.file.data, entry.file.size, entry.type, false, reason)) {
        case ModuleProof::Proven:
            return "";
        case ModuleProof::NotWritten:
            return "it cannot be written: " + reason;
        case ModuleProof::DoesNotLoad:
            return "it does not load: " + capture.Text();
        case ModuleProof::OtherType:
            return reason;
    }
    return reason;
}

// A load restores the entry: from the copy the project carries, or it fails.
void ProjectPlugins::ReportRestore(int subject, const std::string& name, const std::string& detail,
                                   bool restore, const Embedded& file, const Findings& found,
                                   const char* dir) {
    if (!restore) {
        settings.report->Add(subject, TEV_CHECK_OK, name, found.where, detail, "");
    } else if (file.size > 0) {
        settings.report->Add(subject, TEV_CHECK_RESTORE, name, found.where, detail,
                             found.reason + "; the project carries " + file.name + " (" +
                                 std::to_string(file.size) + " bytes), which a run writes into " + dir + "/");
    } else {
        settings.report->Add(subject, TEV_CHECK_FAILED, name, found.where, detail,
                             found.reason + "; the project does not carry a copy");
    }
}
