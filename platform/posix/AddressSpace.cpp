#include "platform/AddressSpace.h"

#include <sys/mman.h>

namespace platform {

void* ReserveAddressSpace(size_t size) {
    void* range =
        mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (range == MAP_FAILED) return nullptr;
    // Large pages where the system offers them on request: a big load then faults once per
    // large page instead of once per small one.
    madvise(range, size, MADV_HUGEPAGE);
    return range;
}

}  // namespace platform
