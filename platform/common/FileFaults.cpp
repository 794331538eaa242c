#include "platform/common/FileFaults.h"

#include <atomic>
#include <cerrno>
#include <mutex>

namespace platform {

namespace {

// armed is the only thing the normal path reads.
struct FileFaults {
    std::atomic<bool> armed{false};
    std::mutex lock;
    unsigned counts[static_cast<int>(FileCall::kCount)] = {};
    FileCall call = FileCall::Write;
    unsigned nth = 0;
    int error = 0;
    bool failNextWrite = false;  // the write after a short one finds the disk full
};
FileFaults faults;

}  // namespace

int InjectedFileFault(FileCall call, bool* shortWrite) {
    if (!faults.armed.load(std::memory_order_relaxed)) return 0;
    std::lock_guard<std::mutex> hold(faults.lock);
    unsigned count = ++faults.counts[static_cast<int>(call)];
    if (call == FileCall::Write && faults.failNextWrite) {
        faults.failNextWrite = false;
        return ENOSPC;
    }
    if (call != faults.call || count != faults.nth) return 0;
    if (faults.error != kFileFaultShortWrite) return faults.error;
    if (!shortWrite) return ENOSPC;
    *shortWrite = true;
    faults.failNextWrite = true;
    return 0;
}

void SetFileFault(FileCall call, unsigned nth, int error) {
    std::lock_guard<std::mutex> hold(faults.lock);
    for (unsigned& count : faults.counts) count = 0;
    faults.call = call;
    faults.nth = nth;
    faults.error = error;
    faults.failNextWrite = false;
    faults.armed.store(true, std::memory_order_relaxed);
}

unsigned FileCallCount(FileCall call) {
    if (call >= FileCall::kCount) return 0;
    std::lock_guard<std::mutex> hold(faults.lock);
    return faults.counts[static_cast<int>(call)];
}

void ClearFileFault() {
    std::lock_guard<std::mutex> hold(faults.lock);
    faults.armed.store(false, std::memory_order_relaxed);
    for (unsigned& count : faults.counts) count = 0;
    faults.nth = 0;
    faults.failNextWrite = false;
}

}  // namespace platform
