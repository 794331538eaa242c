// The group files --watch follows: which of them changed, each told once a burst of writes
// is over (an editor's save is several writes; a rename replaces the file at once).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FileNotices;

class FileWatch {
public:
    // With `pollOnly` the system's notices are not asked for: every file is polled.
    explicit FileWatch(bool pollOnly);
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // The form of a path the watch keys its files by: absolute and normalised.
    static std::string Key(const std::string& path);

    // Follows exactly `keys` from now on; answers those it did not follow before.
    std::vector<std::string> Follow(const std::vector<std::string>& keys);
    // The followed files whose content changed and that have been quiet since for
    // kWatchQuietMicros; each burst of changes is answered once.
    std::vector<std::string> TakeSettled(long long nowMicros);
    // Whether `key` is polled (no notices for its directory).
    bool Polled(const std::string& key) const;

private:
    struct Signature {
        bool exists = false;
        std::uintmax_t size = 0;
        long long written = 0;  // the file system's write time, in its own ticks
        bool operator!=(const Signature& other) const {
            return exists != other.exists || size != other.size || written != other.written;
        }
    };
    struct File {
        Signature seen;
        long long changedAt = -1;  // microseconds; -1: nothing pending
        bool polled = true;
    };

    static Signature SignatureOf(const std::string& key);
    static std::string DirectoryOf(const std::string& key);
    void Start(const std::string& key);
    void Stop(const std::string& key);
    void TakeNotices(long long nowMicros);
    void Check(File& file, const std::string& key, long long nowMicros);

    std::unique_ptr<FileNotices> notices;  // null: everything is polled
    std::map<std::string, File> files;
    std::map<std::string, int> noticed;  // directory with notices -> files followed in it
    long long nextPoll = 0;
};
