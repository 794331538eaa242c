// One background read of a group file, and the queue that feeds the readers. The engine's
// thread makes jobs and takes their results; workers only fill them.
#pragma once

#include <atomic>
#include <deque>
#include <memory>
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

// Jobs waiting for a worker, oldest first. Shared by the channel and its workers, so it
// outlives whichever of them goes first.
class ReadQueue {
public:
    void Push(std::shared_ptr<GroupFileJob> job) {
        std::lock_guard<std::mutex> guard(lock);
        jobs.push_back(std::move(job));
    }
    // The next job still wanted, or NULL when none is left.
    std::shared_ptr<GroupFileJob> Take() {
        std::lock_guard<std::mutex> guard(lock);
        while (!jobs.empty()) {
            std::shared_ptr<GroupFileJob> job = std::move(jobs.front());
            jobs.pop_front();
            if (!job->cancelled) return job;
        }
        return nullptr;
    }
    size_t Size() {
        std::lock_guard<std::mutex> guard(lock);
        return jobs.size();
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock);
        jobs.clear();
    }

private:
    std::mutex lock;
    std::deque<std::shared_ptr<GroupFileJob>> jobs;
};
