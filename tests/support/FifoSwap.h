// A FIFO swapped in and out for a regular file, for readers that must never wait on one.
//
//   FifoSwapper swapper(path);      // path: an existing regular file
//   ... readers open path over and over ...
//   swapper.Stop();                 // the regular file is back at path
//   EXPECT_EQ(swapper.ReleaseBlockedReaders(), 0);
//
// A thread exchanges the file and a FIFO beside it as fast as it can, so a reader that looks
// at the path and then opens it meets the FIFO in between now and then.
#pragma once

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace tarnwell_test {

class FifoSwapper {
public:
    explicit FifoSwapper(const std::string& path) : path(path), aside(path + ".fifo") {
        ready = mkfifo(aside.c_str(), 0644) == 0;
        if (ready) swapper = std::thread([this] { Swap(); });
    }
    ~FifoSwapper() {
        Stop();
        ReleaseBlockedReaders();
        unlink(aside.c_str());
    }
    FifoSwapper(const FifoSwapper&) = delete;
    FifoSwapper& operator=(const FifoSwapper&) = delete;

    bool Ready() const { return ready; }
    int Swaps() const { return swaps; }

    // Ends the swapping with the regular file at path.
    void Stop() {
        stop = true;
        if (swapper.joinable()) swapper.join();
    }

    // Opens the FIFO for writing, which succeeds only while a reader waits in its open, and
    // closes it again, so such readers see an empty file. Answers whether one waited.
    int ReleaseBlockedReaders() {
        int fd = open(aside.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return 0;
        close(fd);
        return 1;
    }

private:
    void Swap() {
        while (!stop.load()) {
            Exchange();  // the FIFO at path
            Exchange();  // the file back
        }
    }
    void Exchange() {
        if (renameat2(AT_FDCWD, aside.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) ++swaps;
    }

    const std::string path;
    const std::string aside;
    bool ready = false;
    std::atomic<bool> stop{false};
    std::atomic<int> swaps{0};
    std::thread swapper;
};

}  // namespace tarnwell_test
