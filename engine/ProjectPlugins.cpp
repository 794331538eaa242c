// The plug-in lists of a project file: every channel plug-in and other DLL the project
// needs is checked against the installation by version and checksum; an embedded copy
// replaces a missing, older or different local file.
#include "engine/ProjectPlugins.h"

#include "ChannelList.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "engine/ProjectLoader.h"
#include "engine/ProjectMessages.h"
#include "engine/ProjectReport.h"
#include "foundation/InstallLayout.h"
#include "foundation/LittleEndian.h"
#include "platform/Files.h"
#include "platform/Text.h"

using namespace projectfile;

namespace {

// Install directory lengths the paths of checked and written files are built from.
constexpr size_t kInstallDirForWrite = 399;
constexpr size_t kInstallDirForCheck = 259;
constexpr size_t kPathSize = 2 * kTextSize;

// The file `name` (NULL: the directory itself) in `dir` of the install directory cut to
// `installLength`; false when it does not fit.
bool ComposePath(char* path, size_t size, const char* install, size_t installLength, const char* dir,
                 const char* name) {
    char cut[kPathSize];
    platform::CopyTextN(cut, install, installLength);
    return platform::CopyText(path, size, installlayout::Path(cut, dir, name).c_str());
}

}  // namespace

ProjectPlugins::ProjectPlugins(const LoadSettings& loadSettings, TevFileLoader& projectLoader)
    : settings(loadSettings),
      project(projectLoader),
      checker(loadSettings.engine),
      saver(loadSettings.engine),
      channelList(loadSettings.engine ? loadSettings.engine->engineInterfaceExt->GetChannelList() : nullptr) {
}

int ProjectPlugins::ReadChannelEntries(int32_t count) {
    for (int32_t i = 0; i < count; i++) {
        // An entry that starts with neither tag consumes nothing, and so would every entry
        // after it: a huge count must not turn into a long walk on the spot.
        if (!project.CheckHeader(kTagChannelEmpty, false) && !project.CheckHeader(kTagChannelEntry, false))
            break;
        if (project.GetInfoIfTag(kTagChannelEmpty)) continue;
        const int code = ReadChannelEntry();
        if (code != TEV_LOADER_OK) return code;
    }
    return TEV_LOADER_OK;
}

int ProjectPlugins::ReadChannelEntry() {
    project.GetInfoIfTag(kTagChannelEntry);
    unsigned char typeBytes[littleendian::kGuidSize], versionBytes[kVersionSize], crcBytes[kIntSize];
    if (!ReadExact(project, typeBytes, littleendian::kGuidSize) ||
        !ReadExact(project, versionBytes, kVersionSize) || !ReadExact(project, crcBytes, kIntSize))
        return Damaged(kTagChannelEntry);
    const _GUID type = littleendian::GetGuid(typeBytes);
    int32_t version[3];
    for (int i = 0; i < 3; i++) version[i] = littleendian::GetInt(versionBytes + kIntSize * i);
    const uint32_t crc = static_cast<uint32_t>(littleendian::GetInt(crcBytes));
    Findings found;
    const bool restore = ChannelNeedsRestore(type, version, crc, found);

    Embedded file;
    if (!ReadEmbedded({kTagChannelName, kTagChannelSize, kTagChannelData}, file))
        return TEV_LOADER_NEEDS_UPDATE;
    if (settings.report) {
        ReportChannel(type, version, crc, restore, file, found);
        return TEV_LOADER_OK;
    }
    if (!restore) return TEV_LOADER_OK;
    char path[kPathSize];
    if (file.size == 0 || !WriteEmbedded(installlayout::kChannelsDir, file, path, sizeof(path)))
        return TEV_LOADER_NEEDS_UPDATE;
    AddRestoredChannel(type, path, version);
    return TEV_LOADER_OK;
}

bool ProjectPlugins::ChannelNeedsRestore(const _GUID& type, const int32_t* version, uint32_t crc,
                                         Findings& found) {
    bool restore = false;
    ChannelListItem* item = channelList ? channelList->GetItem(type) : nullptr;
    if (!item) {
        settings.ShowType(kMsgChannelNotFound, type);
        found.Add("not installed: no plug-in in channels/ makes this type");
        restore = true;
    } else if (!item->onDisk) {
        settings.ShowType(kMsgChannelNotOnDisk, type);
        found.Add("its plug-in file is gone from channels/");
        restore = true;
    }
    const ChannelType local = channelList ? channelList->GetChannelType(type) : ChannelType();
    bool older = false, same = true;
    for (int i = 0; i < 3; i++) {
        older = older || local.versionInfo[i] < version[i];
        same = same && local.versionInfo[i] == version[i];
    }
    if (older) {
        settings.ShowType(kMsgChannelVersion, type);
        found.Add("the installed version " + VersionText(local.versionInfo) + " is older than the project's " +
                  VersionText(version));
        restore = true;
    }
    const char* fileName = item ? item->fileName.GetString() : nullptr;
    const bool compareCrc = settings.checkChannelCrc && same;
    uint32_t localCrc = 0;
    // A check shows the local checksum also where a load would not compare it.
    const bool haveCrc = (compareCrc || settings.report) && fileName && fileName[0] && LoadCrc(fileName, localCrc);
    if (compareCrc && haveCrc && localCrc != crc) {
        settings.ShowType(kMsgChannelCrc, type);
        found.Add("the installed file's checksum " + CrcText(localCrc) + " differs from the project's " +
                  CrcText(crc));
        restore = true;
    }
    if (item) {
        found.typeName = local.typeName;
        found.where = fileName ? fileName : "";
    }
    if (item && item->onDisk) {
        found.local = "installed " + VersionText(local.versionInfo) + (haveCrc ? " " + CrcText(localCrc) : "");
        if (haveCrc && localCrc != crc && !settings.checkChannelCrc)
            found.local += " (checksums not compared: \"VtrCrCCheck\" is \"No\")";
    }
    return restore;
}

void ProjectPlugins::ReportChannel(const _GUID& type, const int32_t* version, uint32_t crc, bool restore,
                                   const Embedded& file, const Findings& found) {
    std::string name = found.typeName;
    if (name.empty()) name = file.name[0] ? file.name : GuidText(type);
    std::string detail = "type " + GuidText(type) + ", project " + VersionText(version) + " " + CrcText(crc);
    if (!found.local.empty()) detail += ", " + found.local;
    settings.report->NoteType(GuidText(type), restore && file.size > 0);
    if (restore) {
        Findings why = found;
        // A file of the carried name that makes no type is one the engine could not load at
        // start: its loader's text tells why (a library missing from 3rd/, an old interface).
        char path[kPathSize];
        if (found.where.empty() && file.name[0] &&
            ComposePath(path, sizeof(path), settings.engine->GetInstallDir(), kInstallDirForWrite,
                        installlayout::kChannelsDir, file.name) &&
            platform::FileExists(path)) {
            MessageCapture capture;
            settings.engine->engineInterfaceExt->GetDLLType(path);
            why.where = path;
            why.Add(std::string("the file in channels/ does not load: ") + capture.Text());
        }
        ReportRestore(TEV_CHECK_PLUGIN, name, detail, restore, file, why, installlayout::kChannelsDir);
        return;
    }
    // In place by version and checksum; whether the module loads here only loading it tells.
    MessageCapture capture;
    const ChannelType loaded = settings.engine->engineInterfaceExt->GetDLLType(found.where.c_str());
    if (IsNullGuid(loaded.typeGuid))
        settings.report->Add(TEV_CHECK_PLUGIN, TEV_CHECK_FAILED, name, found.where, detail,
                             "does not load: " + capture.Text());
    else
        settings.report->Add(TEV_CHECK_PLUGIN, TEV_CHECK_OK, name, found.where, detail, "");
}

// A load restores the entry: from the copy the project carries, or it fails.
void ProjectPlugins::ReportRestore(int subject, const std::string& name, const std::string& detail, bool restore,
                                   const Embedded& file, const Findings& found, const char* dir) {
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

int ProjectPlugins::ReadOtherDllEntries(int32_t count) {
    for (int32_t i = 0; i < count; i++) {
        if (project.GetInfoIfTag(kTagOtherEmpty)) continue;
        const int code = ReadOtherDllEntry();
        if (code != TEV_LOADER_OK) return code;
    }
    return TEV_LOADER_OK;
}

int ProjectPlugins::ReadOtherDllEntry() {
    char name[kTextSize];
    if (!project.GetInfoIfTag(kTagOtherEntry) || !ReadText(project, name, sizeof(name)))
        return Damaged(kTagOtherEntry);
    int32_t crc = 0;
    if (ReadIntBlock(project, kTagOtherCrc, crc) == BlockRead::Damaged) return Damaged(kTagOtherCrc);
    char path[kPathSize];
    const char* install = settings.engine->GetInstallDir();
    if (!ComposePath(path, sizeof(path), install, kInstallDirForCheck, installlayout::kThirdPartyDir, name)) {
        settings.Refuse(kMsgPathTooLong, name);
        return TEV_LOADER_NEEDS_UPDATE;
    }
    Findings found;
    found.where = path;
    const bool restore = OtherDllNeedsRestore(path, static_cast<uint32_t>(crc), found);

    Embedded file;
    if (!ReadEmbedded({kTagOtherName, kTagOtherSize, kTagOtherData}, file)) return TEV_LOADER_NEEDS_UPDATE;
    if (settings.report) {
        ReportRestore(TEV_CHECK_DLL, name, "project " + CrcText(static_cast<uint32_t>(crc)) + found.local, restore,
                      file, found, installlayout::kThirdPartyDir);
        return TEV_LOADER_OK;
    }
    if (!restore) return TEV_LOADER_OK;
    if (file.size == 0 || !WriteEmbedded(installlayout::kThirdPartyDir, file, path, sizeof(path)))
        return TEV_LOADER_NEEDS_UPDATE;
    return TEV_LOADER_OK;
}

// Independent of "VtrCrCCheck": the switch only concerns channel plug-ins.
bool ProjectPlugins::OtherDllNeedsRestore(const char* path, uint32_t crc, Findings& found) {
    uint32_t localCrc = 0;
    if (!LoadCrc(path, localCrc)) {
        settings.Show(kMsgNoOtherDll, path);
        found.Add("not in 3rd/");
        return true;
    }
    found.local = ", installed " + CrcText(localCrc);
    if (localCrc != crc) {
        settings.Show(kMsgOtherDllCrc, path);
        found.Add("the installed file's checksum " + CrcText(localCrc) + " differs from the project's " +
                  CrcText(crc));
        return true;
    }
    return false;
}

// Name, then size and data, each only when it is next. A name that would leave the target
// directory, or a stated size that differs from the data block, refuses the whole file.
bool ProjectPlugins::ReadEmbedded(const Tags& tags, Embedded& file) {
    if (!project.GetInfoIfTag(tags.name)) return true;
    if (!ReadText(project, file.name, sizeof(file.name)) || !IsPlainFileName(file.name)) {
        settings.Refuse(kMsgBadFileName, file.name);
        return false;
    }
    int32_t statedSize = 0;
    if (ReadIntBlock(project, tags.size, statedSize) == BlockRead::Damaged) {
        settings.Refuse(kMsgBadSize, file.name);
        return false;
    }
    return ReadEmbeddedData(tags, statedSize, file);
}

// The data stays in the project reader's buffer: nothing is allocated from a stated size.
bool ProjectPlugins::ReadEmbeddedData(const Tags& tags, int32_t statedSize, Embedded& file) {
    unsigned long size = 0;
    const char* data = nullptr;
    if (project.GetInfoIfTag(tags.data)) {
        size = project.GetSizeDataBlock(true);
        data = project.GetBuffer();
        if (size > 0 && (!data || project.GetBufferSize() < size)) size = 0;
    }
    if (statedSize < 0 || static_cast<unsigned long>(statedSize) != size) {
        settings.Refuse(kMsgBadSize, file.name);
        return false;
    }
    file.data = data;
    file.size = size;
    return true;
}

// Through the writer: it replaces the file by renaming a finished temporary one, so a
// module this process has loaded is never overwritten in place.
bool ProjectPlugins::WriteEmbedded(const char* dir, const Embedded& file, char* path, size_t size) {
    const char* install = settings.engine->GetInstallDir();
    if (!ComposePath(path, size, install, kInstallDirForWrite, dir, file.name)) {
        settings.Refuse(kMsgPathTooLong, file.name);
        return false;
    }
    char folder[kPathSize];
    ComposePath(folder, sizeof(folder), install, kInstallDirForWrite, dir, nullptr);
    platform::MakeDirectories(folder);
    bool written = saver.OpenSaveFile(path, false);
    if (written) {
        written = saver.SaveDataToFile(file.data, file.size);
        written = saver.CloseSaveFile() && written;
    }
    if (!written) settings.Refuse(kMsgNotWritten, path);
    return written;
}

// The restored module joins the type list at once, so the project that brought it can
// make its channels in this run instead of after the next start.
void ProjectPlugins::AddRestoredChannel(const _GUID& type, const char* path, int32_t* version) {
    if (!channelList) return;
    ChannelListItem* item = channelList->AddItemFromFile(path);
    if (!item || item->channelType.typeGuid != type) settings.engine->showErrorMessage(kMsgNotAdded, path);
    channelList->SetVersionInfo(type, version);
}

bool ProjectPlugins::LoadCrc(const char* path, uint32_t& crc) {
    if (!checker.LoadFile(path)) return false;
    crc = static_cast<uint32_t>(checker.GetCRC());
    return true;
}

int ProjectPlugins::Damaged(const char* tag) {
    settings.Refuse(kMsgDamagedBlock, tag);
    return TEV_LOADER_NEEDS_UPDATE;
}
