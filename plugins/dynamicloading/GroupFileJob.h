// One background read of a group file. The engine's thread makes jobs and takes their
// results; workers only fill them.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

struct GroupFileJob {
    explicit GroupFileJob(const std::string& path) : path(path) {}

    const std::string path;              // as the kernel gave it
    std::atomic<bool> cancelled{false};  // nobody waits for it any more

    // Written by a worker once, read by the engine's thread after finished turned true.
    std::mutex lock;
    bool finished = false;
    std::vector<char> bytes;  // the whole file when error is empty
    std::string error;        // why the file cannot be used

    bool IsFinished() {
        std::lock_guard<std::mutex> guard(lock);
        return finished;
    }
    void Finish(std::vector<char>& read, const std::string& why) {
        std::lock_guard<std::mutex> guard(lock);
        if (why.empty()) bytes.swap(read);
        error = why;
        finished = true;
    }
};
