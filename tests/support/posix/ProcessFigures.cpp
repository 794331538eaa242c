#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>

#include "support/ProcessFigures.h"

// The sanitizers keep their own heap; glibc's figures do not see it.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace tarnwell_test {

// From /proc/self/statm.
size_t ResidentBytes() {
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    if (!file) return 0;
    unsigned long size = 0, resident = 0;
    int read = std::fscanf(file, "%lu %lu", &size, &resident);
    std::fclose(file);
    return read == 2 ? resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

size_t HeapInUse() {
    if (__sanitizer_get_current_allocated_bytes) return __sanitizer_get_current_allocated_bytes();
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;  // small blocks, and large ones mapped on their own
}

int ThreadCount() {
    int count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks))
            if (entry->d_name[0] != '.') ++count;
        closedir(tasks);
    }
    return count;
}

}  // namespace tarnwell_test
