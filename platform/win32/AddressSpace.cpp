#include "platform/AddressSpace.h"

#include "platform/win32/WindowsApi.h"

namespace platform {

// Reserved and committed at once, so any page may be touched; the system backs a committed
// page with memory only when it is first touched.
void* ReserveAddressSpace(size_t size) {
    return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

}  // namespace platform
