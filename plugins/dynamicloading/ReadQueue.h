// The group files waiting for a background reader, oldest first.
#pragma once

#include <deque>
#include <memory>
#include <mutex>

#include "GroupFileJob.h"

// Shared by the channel and its workers, so it outlives whichever of them goes first.
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
