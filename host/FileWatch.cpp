#include "FileWatch.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "FileNotices.h"
#include "WatchSettings.h"

namespace fs = std::filesystem;

FileWatch::FileWatch(bool pollOnly) {
    if (!pollOnly) notices = FileNotices::Open();
}

FileWatch::~FileWatch() = default;

std::string FileWatch::Key(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return (error ? fs::path(path) : absolute).lexically_normal().string();
}

std::string FileWatch::DirectoryOf(const std::string& key) { return fs::path(key).parent_path().string(); }

FileWatch::Signature FileWatch::SignatureOf(const std::string& key) {
    Signature signature;
    std::error_code error;
    const fs::path path(key);
    if (!fs::is_regular_file(path, error)) return signature;
    signature.size = fs::file_size(path, error);
    if (error) return signature;
    if (error || !FileNotices::WriteTime(key, signature.written)) return signature;
    signature.exists = true;
    return signature;
}

std::vector<std::string> FileWatch::Follow(const std::vector<std::string>& keys) {
    const std::set<std::string> wanted(keys.begin(), keys.end());
    for (auto it = files.begin(); it != files.end();) {
        const std::string key = (it++)->first;
        if (!wanted.count(key)) Stop(key);
    }
    std::vector<std::string> started;
    for (const std::string& key : wanted)
        if (!files.count(key)) {
            Start(key);
            started.push_back(key);
        }
    return started;
}

void FileWatch::Start(const std::string& key) {
    File& file = files[key];
    file.seen = SignatureOf(key);
    const std::string directory = DirectoryOf(key);
    const auto noticedDirectory = noticed.find(directory);
    if (noticedDirectory != noticed.end()) {
        noticedDirectory->second++;
        file.polled = false;
    } else if (notices && notices->Add(directory)) {
        noticed[directory] = 1;
        file.polled = false;
    }
}

void FileWatch::Stop(const std::string& key) {
    const auto file = files.find(key);
    if (file == files.end()) return;
    const auto directory = noticed.find(DirectoryOf(key));
    if (!file->second.polled && directory != noticed.end() && --directory->second == 0) {
        notices->Remove(directory->first);
        noticed.erase(directory);
    }
    files.erase(file);
}

bool FileWatch::Polled(const std::string& key) const {
    const auto file = files.find(key);
    return file == files.end() || file->second.polled;
}

void FileWatch::Check(File& file, const std::string& key, long long nowMicros) {
    const Signature now = SignatureOf(key);
    if (now != file.seen) {
        file.seen = now;
        file.changedAt = nowMicros;
    }
}

// A notice counts as a change even when size and write time look the same: two saves within
// one tick of the file system's clock do.
void FileWatch::TakeNotices(long long nowMicros) {
    if (!notices) return;
    std::vector<std::string> paths;
    bool lost = false;
    notices->Drain(paths, lost);
    for (const std::string& path : paths) {
        const auto file = files.find(path);
        if (file == files.end()) continue;
        file->second.seen = SignatureOf(path);
        file->second.changedAt = nowMicros;
    }
    if (lost)
        for (auto& [key, file] : files) Check(file, key, nowMicros);
}

std::vector<std::string> FileWatch::TakeSettled(long long nowMicros) {
    TakeNotices(nowMicros);
    const bool pollNow = nowMicros >= nextPoll;
    if (pollNow) nextPoll = nowMicros + kWatchPollMicros;
    std::vector<std::string> settled;
    for (auto& [key, file] : files) {
        // Pending files are looked at every time, so that a save still going on keeps them waiting.
        if (file.changedAt >= 0 || (pollNow && file.polled)) Check(file, key, nowMicros);
        if (file.changedAt < 0 || nowMicros - file.changedAt < kWatchQuietMicros) continue;
        file.changedAt = -1;
        settled.push_back(key);
    }
    return settled;
}
