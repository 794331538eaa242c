// The plug-in lists of a project file: every channel plug-in and other DLL the project
// needs is checked against the installation by version and checksum; an embedded copy
// replaces a missing, older or different local file.
#include "project/ProjectPlugins.h"

#include "ChannelList.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "project/ProjectLoader.h"
#include "project/ProjectMessages.h"
#include "project/ProjectReport.h"
#include "foundation/InstallLayout.h"
#include "format/FileNames.h"
#include "format/LittleEndian.h"
#include "platform/Files.h"
#include "platform/Text.h"

using namespace projectfile;

namespace {

// Install directory lengths the paths of checked and written files are built from.
constexpr size_t kInstallDirForWrite = 399;
constexpr size_t kInstallDirForCheck = 259;

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
    ChannelEntry entry;
    entry.type = littleendian::GetGuid(typeBytes);
    for (int i = 0; i < 3; i++) entry.version[i] = littleendian::GetInt(versionBytes + kIntSize * i);
    entry.crc = static_cast<uint32_t>(littleendian::GetInt(crcBytes));
    entry.restore = ChannelNeedsRestore(entry.type, entry.version, entry.crc, entry.found);

    if (!ReadEmbedded({kTagChannelName, kTagChannelSize, kTagChannelData}, entry.file))
        return TEV_LOADER_NEEDS_UPDATE;
    if (!settings.report && !entry.restore) return TEV_LOADER_OK;
    if (!settings.report && entry.file.size == 0) return TEV_LOADER_NEEDS_UPDATE;
    channelEntries.push_back(entry);
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
    OtherDllEntry entry;
    entry.name = name;
    entry.crc = static_cast<uint32_t>(crc);
    entry.found.where = path;
    entry.restore = OtherDllNeedsRestore(path, entry.crc, entry.found);

    if (!ReadEmbedded({kTagOtherName, kTagOtherSize, kTagOtherData}, entry.file))
        return TEV_LOADER_NEEDS_UPDATE;
    if (!settings.report && !entry.restore) return TEV_LOADER_OK;
    if (!settings.report && entry.file.size == 0) return TEV_LOADER_NEEDS_UPDATE;
    otherDllEntries.push_back(entry);
    return TEV_LOADER_OK;
}

int ProjectPlugins::Finish() {
    if (!settings.report) return Restore();
    ReportAll();
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
    if (!ReadText(project, file.name, sizeof(file.name)) || !filenames::IsDirectoryEntryName(file.name)) {
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

// The file `name` in `dir` of the install directory; false (refused) when it does not fit.
bool ProjectPlugins::InstallPath(const char* dir, const char* name, char* path, size_t size) {
    if (ComposePath(path, size, settings.engine->GetInstallDir(), kInstallDirForWrite, dir, name))
        return true;
    settings.Refuse(kMsgPathTooLong, name ? name : dir);
    return false;
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
