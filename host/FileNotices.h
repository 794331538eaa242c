// The system's notices of changed files, per directory: what lets --watch see a save at once
// instead of at the next poll. A directory is watched rather than its files because editors
// and atomic writers replace a file by renaming another over it.
#pragma once

#include <memory>
#include <string>
#include <vector>

class FileNotices {
public:
    virtual ~FileNotices() = default;

    // Null where the system gives no notices (or refuses them now): then every file is polled.
    static std::unique_ptr<FileNotices> Open();

    // Starts the notices for `directory`; false when the system will not give them (out of
    // watches, say): its files are polled instead.
    virtual bool Add(const std::string& directory) = 0;
    virtual void Remove(const std::string& directory) = 0;
    // Appends the paths the notices named since the last call, without waiting; sets `lost`
    // when the system dropped notices (its queue overflowed).
    virtual void Drain(std::vector<std::string>& paths, bool& lost) = 0;

    // The write time of a regular file in the system's finest ticks; false for anything else.
    // (The C++ library of the Windows build reads it in whole seconds, and polling would miss
    // a second save within the same second.)
    static bool WriteTime(const std::string& path, long long& written);
};
