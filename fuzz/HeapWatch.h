// The peak of live heap bytes and the bytes read from files, for a harness that bounds what
// an input may make of what it reads. Sanitizer builds only: the allocator's hooks count every
// allocation and free of every thread.
#pragma once

#include <fcntl.h>
#include <sanitizer/allocator_interface.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzzharness {

class HeapWatch {
public:
    // Once per process, before the first input.
    static void Install() { __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree); }

    // From now on: the peak is measured from the heap as it is, the reads from here.
    HeapWatch() : baseline(live.load()), readBefore(BytesRead()) { peak.store(baseline); }

    // "" while the peak stays within factor × bytes read + slack; else what happened.
    std::string Check(const std::string& step, int64_t factor, int64_t slack) const {
        const int64_t grown = peak.load() - baseline;
        const int64_t read = BytesRead() - readBefore;
        const int64_t limit = factor * read + slack;
        if (grown <= limit) return "";
        return "the heap grew by " + std::to_string(grown) + " bytes up to " + step + ", after reading " +
               std::to_string(read) + " bytes of files (limit " + std::to_string(limit) + ")";
    }

private:
    static void OnMalloc(const volatile void*, size_t size) {
        const int64_t now = live.fetch_add(static_cast<int64_t>(size)) + static_cast<int64_t>(size);
        int64_t seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
    }

    // Called before the block goes, so its size can still be asked for.
    static void OnFree(const volatile void* block) {
        if (block) live.fetch_sub(static_cast<int64_t>(__sanitizer_get_allocated_size(block)));
    }

    // The kernel's "rchar": every byte read() handed to this process, files included.
    static int64_t BytesRead() {
        const int fd = open("/proc/self/io", O_RDONLY);
        if (fd < 0) return 0;
        char text[512] = {};
        const ssize_t got = read(fd, text, sizeof(text) - 1);
        close(fd);
        const char* field = got > 0 ? std::strstr(text, "rchar:") : nullptr;
        return field ? std::strtoll(field + 6, nullptr, 10) : 0;
    }

    static inline std::atomic<int64_t> live{0};
    static inline std::atomic<int64_t> peak{0};
    int64_t baseline;
    int64_t readBefore;
};

}  // namespace fuzzharness
