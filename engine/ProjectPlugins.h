// Private: the plug-in lists of a project file. Checks each channel plug-in and other DLL
// the project needs against the installation and restores the embedded copies.
#pragma once

#include <cstdint>
#include <string>

#include "TarnwellTypes.h"
#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "engine/ProjectBlocks.h"

class ChannelList;

class ProjectPlugins {
public:
    // `project` stands after the count block of the list to read.
    ProjectPlugins(const projectfile::LoadSettings& settings, TevFileLoader& project);

    // Each answers 0, or 2 when a needed file could not be restored (or was refused).
    int ReadChannelEntries(int32_t count);
    int ReadOtherDllEntries(int32_t count);

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

    int ReadChannelEntry();
    int ReadOtherDllEntry();
    bool ChannelNeedsRestore(const _GUID& type, const int32_t* version, uint32_t crc, Findings& found);
    bool OtherDllNeedsRestore(const char* path, uint32_t crc, Findings& found);
    // A check's verdict on an entry, given what a load would do with it.
    void ReportChannel(const _GUID& type, const int32_t* version, uint32_t crc, bool restore,
                       const Embedded& file, const Findings& found);
    void ReportOtherDll(const char* name, uint32_t crc, bool restore, const Embedded& file, const Findings& found);
    void ReportRestore(int subject, const std::string& name, const std::string& detail, bool restore,
                       const Embedded& file, const Findings& found, const char* dir);
    bool ReadEmbedded(const Tags& tags, Embedded& file);
    bool ReadEmbeddedData(const Tags& tags, int32_t statedSize, Embedded& file);
    // Writes into the install directory's `dir`; the written path lands in `path`.
    bool WriteEmbedded(const char* dir, const Embedded& file, char* path, size_t size);
    void AddRestoredChannel(const _GUID& type, const char* path, int32_t* version);
    bool LoadCrc(const char* path, uint32_t& crc);
    int Damaged(const char* tag);

    const projectfile::LoadSettings& settings;
    TevFileLoader& project;
    TevFileLoader checker;  // loads local files for their checksums
    TevFileSaver saver;     // writes the embedded files
    ChannelList* channelList;
};
