// Private: the kernel's slabs for the many small records of a channel graph (channels, link
// records, tight list arrays). Records of one size share 64 KiB chunks cut from one reserved
// range, so they carry no per-record header and a large load touches few pages.
#pragma once

#include <cstddef>

namespace slab {

// Largest record the slabs serve; larger ones come from the global operator new.
inline constexpr size_t kMaxSlabBytes = 1024;

// Memory for size bytes, aligned to 16 when size is a multiple of 16 and to 8 otherwise; from
// the global operator new when the slabs cannot serve it. Throws std::bad_alloc as new does.
void* Allocate(size_t size);
// As Allocate, null instead of throwing.
void* TryAllocate(size_t size) noexcept;
// From the slabs only: null when they cannot serve the size (or are not in use), for callers
// that take other memory themselves.
void* AllocateFromSlabs(size_t size) noexcept;
// Gives memory back to where it came from: slab records to their slab, anything else to the
// global operator delete. Null is ignored.
void Free(void* memory) noexcept;
// True for memory the slabs handed out.
bool Owns(const void* memory) noexcept;
// Records handed out by the slabs and not yet freed, all sizes together.
long LiveRecords() noexcept;

}  // namespace slab
