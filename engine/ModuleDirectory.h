// Private: one listing of the channels directory for a start-up. Reading the cache tests every
// cached module for existence and the scan lists the directory; asking the file system once
// per name would cost a path lookup each, so both answer from one listing where they can.
#pragma once

#include <string>
#include <vector>

#include "platform/Files.h"

class ChannelList;

class ModuleDirectory {
public:
    // Lists `dir` (a kernel path).
    explicit ModuleDirectory(const char* dir);

    // Whether the file at `path` exists, answered from the listing when `path` names an
    // entry directly in the listed directory, else by asking the file system.
    bool Exists(const char* path) const;
    // The regular files whose extension (after the last '.') equals `extension` ignoring case.
    std::vector<std::string> ModuleFiles(const char* extension) const;
    bool Lists(const char* dir) const { return dir && listedDir == dir; }

private:
    std::string listedDir;  // as given
    std::string nativeDir;
    bool listed;
    std::vector<platform::DirectoryEntry> entries;
};

// The listing shared by the cache read and the scan of one CreateChannelList; outside of
// one, each makes its own.
class SharedModuleDirectory {
public:
    SharedModuleDirectory(ChannelList* list, const char* dir);
    ~SharedModuleDirectory();
    SharedModuleDirectory(const SharedModuleDirectory&) = delete;
    SharedModuleDirectory& operator=(const SharedModuleDirectory&) = delete;

    // The shared listing of `dir` for `list`, or NULL.
    static const ModuleDirectory* Find(ChannelList* list, const char* dir);

private:
    ChannelList* owner;
    ModuleDirectory directory;
    SharedModuleDirectory* previous;
};
