// One thread with a stack of a host's size that runs every job of a harness in turn: the
// engine runs on the host's thread, and a host thread's stack is far smaller than the 8 MB
// of a main thread here (1 MB by default on the product's own platform). Recursion that a
// host would not survive then fails here too, at the depth where it would. A job that does
// not end is stopped with SIGABRT on this thread, so the report shows where it hung.
#pragma once

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <functional>
#include <mutex>

namespace fuzzharness {

class HostThread {
public:
    explicit HostThread(size_t stackBytes) {
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setstacksize(&attributes, stackBytes);
        started = pthread_create(&thread, &attributes, &HostThread::Main, this) == 0;
        pthread_attr_destroy(&attributes);
    }

    ~HostThread() {
        if (!started) return;
        Run(nullptr);
        pthread_join(thread, nullptr);
    }

    HostThread(const HostThread&) = delete;
    HostThread& operator=(const HostThread&) = delete;

    bool Started() const { return started; }

    // Runs the job on the thread and waits for it; an empty job ends the thread. After
    // `limit` the job is aborted with `verdict` (which names the check) on standard error.
    void Run(std::function<void()> job, std::chrono::seconds limit = std::chrono::seconds(0),
             const char* verdict = "") {
        std::unique_lock<std::mutex> lock(mutex);
        pending = std::move(job);
        hasJob = true;
        changed.notify_all();
        const auto done = [&] { return !hasJob; };
        if (limit.count() > 0 && !changed.wait_for(lock, limit, done)) {
            std::fprintf(stderr, "%s\n", verdict);
            pthread_kill(thread, SIGABRT);
        }
        changed.wait(lock, done);
    }

private:
    static void* Main(void* self) {
        static_cast<HostThread*>(self)->Loop();
        return nullptr;
    }

    void Loop() {
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return hasJob; });
            std::function<void()> job = std::move(pending);
            pending = nullptr;
            if (job) {
                lock.unlock();
                job();
                lock.lock();
            }
            hasJob = false;
            changed.notify_all();
            if (!job) return;
        }
    }

    pthread_t thread{};
    bool started = false;
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> pending;
    bool hasJob = false;
};

}  // namespace fuzzharness
