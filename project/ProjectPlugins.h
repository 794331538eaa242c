// Private: the plug-in lists of a project file. Checks each channel plug-in and other DLL
// the project needs against the installation and restores the embedded copies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TarnwellTypes.h"
#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "project/ProjectBlocks.h"

class ChannelList;

class ProjectPlugins {
public:
    // `project` stands after the count block of the list to read.
    ProjectPlugins(const projectfile::LoadSettings& settings, TevFileLoader& project);

    // Each reads its list and answers 0, or 2 when the project refuses itself (a damaged
    // entry, a needed file neither in place nor carried). Nothing is written while reading.
    int ReadChannelEntries(int32_t count);
    int ReadOtherDllEntries(int32_t count);
    // After the lists. A load restores the DLLs of 3rd/ first, since restored plug-ins may link
    // them, then the plug-ins, each proven before it replaces an installed file; a check reports
    // every entry as that order finds it. 0, or 2 when a file could not be restored.
    int Finish();

private:
    // An embedded file: its name and its data, which stay in the project reader's buffer.
    struct Embedded {
        char name[projectfile::kTextSize] = "";
        const char* data = nullptr;
        unsigned long size = 0;
    };
    // What comparing an entry with the installation found, for a check's report.
    struct Findings {
        std::string typeName;  // of the installed type
        std::string where;     // the installed file
        std::string local;     // its version and checksum
        std::string reason;    // why a load would restore it
        void Add(const std::string& why) { reason += (reason.empty() ? "" : "; ") + why; }
    };
    struct Tags {
        const char* name;
        const char* size;
        const char* data;
    };
    // Entries as read, kept for Finish: by a load only those it restores.
    struct ChannelEntry {
        _GUID type;
        int32_t version[3];
        uint32_t crc;
        bool restore;
        Embedded file;
        Findings found;
    };
    struct OtherDllEntry {
        std::string name;  // below 3rd/
        uint32_t crc;
        bool restore;
        Embedded file;
        Findings found;
    };

    int ReadChannelEntry();
    int ReadOtherDllEntry();
    bool ChannelNeedsRestore(const _GUID& type, const int32_t* version, uint32_t crc, Findings& found);
    bool OtherDllNeedsRestore(const char* path, uint32_t crc, Findings& found);
    bool ReadEmbedded(const Tags& tags, Embedded& file);
    bool ReadEmbeddedData(const Tags& tags, int32_t statedSize, Embedded& file);
    bool InstallPath(const char* dir, const char* name, char* path, size_t size);

    // Restoring (ProjectRestore.cpp).
    int Restore();
    // Writes into the install directory's `dir`; the written path lands in `path`.
    bool WriteEmbedded(const char* dir, const Embedded& file, char* path, size_t size);
    bool RestoreChannel(ChannelEntry& entry);
    void AddRestoredChannel(const _GUID& type, const char* path, int32_t* version);

    // Tells the host's restore handler of a file the load wrote.
    void ReportWritten(int subject, const std::string& name, const char* path, bool replaced,
                       const std::string& detail, const Findings& found);
    bool InstalledFileExists(const char* dir, const char* name);

    // A check's verdicts, given what a load would do (ProjectPluginReport.cpp).
    void ReportAll();
    // The name a report gives a channel entry, and its versions and checksums.
    static std::string ChannelName(const ChannelEntry& entry);
    static std::string ChannelDetail(const ChannelEntry& entry);
    void ReportChannel(const ChannelEntry& entry, const std::vector<std::string>& restoredDlls);
    void ReportRestore(int subject, const std::string& name, const std::string& detail, bool restore,
                       const Embedded& file, const Findings& found, const char* dir);
    // Why the carried copy would not replace the installed file, "" when it would.
    std::string CarriedCopyFailure(const ChannelEntry& entry);

    bool LoadCrc(const char* path, uint32_t& crc);
    int Damaged(const char* tag);

    const projectfile::LoadSettings& settings;
    TevFileLoader& project;
    TevFileLoader checker;  // loads local files for their checksums
    TevFileSaver saver;     // writes the embedded DLLs of 3rd/
    ChannelList* channelList;
    std::vector<ChannelEntry> channelEntries;
    std::vector<OtherDllEntry> otherDllEntries;
};
