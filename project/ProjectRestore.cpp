// Restoring what a project carries. The DLLs of 3rd/ go first: a restored plug-in is loaded at
// once (to prove itself, then to join the type list), and it may link one of them. A plug-in
// replaces the installed file only once it has loaded from its temporary file and made the type
// the project states, so a bad copy can never take the place of a working module.
#include "ChannelList.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "project/ProjectLoader.h"
#include "project/ProjectMessages.h"
#include "project/ProjectModuleProof.h"
#include "project/ProjectPlugins.h"
#include "project/ProjectReport.h"
#include "foundation/InstallLayout.h"
#include "foundation/RestoreHook.h"
#include "platform/Files.h"

using namespace projectfile;

int ProjectPlugins::Restore() {
    char path[kPathSize];
    for (const OtherDllEntry& entry : otherDllEntries) {
        const bool replaced = InstalledFileExists(installlayout::kThirdPartyDir, entry.file.name);
        if (!WriteEmbedded(installlayout::kThirdPartyDir, entry.file, path, sizeof(path)))
            return TEV_LOADER_NEEDS_UPDATE;
        ReportWritten(TEV_CHECK_DLL, entry.name, path, replaced,
                      "project " + CrcText(entry.crc) + entry.found.local, entry.found);
    }
    for (ChannelEntry& entry : channelEntries)
        if (!RestoreChannel(entry)) return TEV_LOADER_NEEDS_UPDATE;
    return TEV_LOADER_OK;
}

// Through the writer: it replaces the file by renaming a finished temporary one, so a
// module this process has loaded is never overwritten in place.
bool ProjectPlugins::WriteEmbedded(const char* dir, const Embedded& file, char* path, size_t size) {
    if (!InstallPath(dir, file.name, path, size)) return false;
    char folder[kPathSize];
    if (InstallPath(dir, nullptr, folder, sizeof(folder))) platform::MakeDirectories(folder);
    bool written = saver.OpenSaveFile(path, false);
    if (written) {
        written = saver.SaveDataToFile(file.data, file.size);
        written = saver.CloseSaveFile() && written;
    }
    if (!written) settings.Refuse(kMsgNotWritten, path);
    return written;
}

bool ProjectPlugins::RestoreChannel(ChannelEntry& entry) {
    char path[kPathSize], folder[kPathSize];
    if (!InstallPath(installlayout::kChannelsDir, entry.file.name, path, sizeof(path))) return false;
    if (InstallPath(installlayout::kChannelsDir, nullptr, folder, sizeof(folder)))
        platform::MakeDirectories(folder);
    const bool replaced = platform::FileExists(path);
    std::string reason;
    switch (ProveModule(settings.engine, path, entry.file.data, entry.file.size, entry.type, true, reason)) {
        case ModuleProof::Proven:
            AddRestoredChannel(entry.type, path, entry.version);
            ReportWritten(TEV_CHECK_PLUGIN, ChannelName(entry), path, replaced, ChannelDetail(entry),
                          entry.found);
            return true;
        case ModuleProof::NotWritten:
            settings.Refuse(kMsgNotWritten, reason.c_str());
            return false;
        case ModuleProof::DoesNotLoad:
            settings.Refuse(kMsgModuleDoesNotLoad, path);
            return false;
        case ModuleProof::OtherType:
            settings.Refuse(kMsgModuleOtherType, (std::string(path) + ": " + reason).c_str());
            return false;
    }
    return false;
}

// The restored module joins the type list at once, so the project that brought it can
// make its channels in this run instead of after the next start.
void ProjectPlugins::AddRestoredChannel(const _GUID& type, const char* path, int32_t* version) {
    if (!channelList) return;
    ChannelListItem* item = channelList->AddItemFromFile(path);
    if (!item || item->channelType.typeGuid != type) settings.engine->showErrorMessage(kMsgNotAdded, path);
    channelList->SetVersionInfo(type, version);
}

void ProjectPlugins::ReportWritten(int subject, const std::string& name, const char* path, bool replaced,
                                   const std::string& detail, const Findings& found) {
    // The kernel composes paths with backslashes; the user reads them in the system's form.
    const std::string shown = platform::ToNativePath(path);
    const TevRestoreItem item = {subject,          name.c_str(),   shown.c_str(),
                                 replaced ? 1 : 0, detail.c_str(), found.reason.c_str()};
    restorehook::Report(item);
}

// Asks quietly: a path too long to compose is refused by the write that follows.
bool ProjectPlugins::InstalledFileExists(const char* dir, const char* name) {
    const std::string path = installlayout::Path(settings.engine->GetInstallDir(), dir, name);
    return platform::FileExists(path.c_str());
}
