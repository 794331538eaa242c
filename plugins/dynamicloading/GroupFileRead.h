// Reading a group file on a worker thread. The worker touches nothing of the engine: it fills
// a GroupFileJob, which the engine's thread takes over once the job is finished.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Tev_Tread.h"

struct GroupFileJob {
    explicit GroupFileJob(const std::string& path) : path(path) {}

    const std::string path;  // as the kernel gave it
    std::atomic<bool> cancelled{false};

    // Written by the worker once, read by the engine's thread after finished turned true.
    std::mutex lock;
    bool finished = false;
    std::vector<char> bytes;  // the whole file when error is empty
    std::string error;        // why the file cannot be used
};

class GroupFileRead : public Tev_RunTread {
public:
    explicit GroupFileRead(std::shared_ptr<GroupFileJob> job);
    void TreadFunction() override;

private:
    bool KeepReading();
    std::string Read(std::vector<char>& bytes);

    std::shared_ptr<GroupFileJob> job;  // shared: the body may outlive the channel that started it
};
