// Address space reserved up front and backed by memory page by page as it is first touched.
#pragma once

#include <cstddef>

namespace platform {

// A range of size bytes, readable and writable, that costs memory only where it is touched; null
// when the system refuses the range.
void* ReserveAddressSpace(size_t size);

}  // namespace platform
