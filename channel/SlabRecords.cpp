// The slab operators of the channel and of its link records (see TEV_SLAB_RECORD_OPERATORS).
#include "ChildCreation.h"
#include "ChildInfo.h"
#include "Tev_Channel.h"
#include "foundation/SlabAllocator.h"

namespace {

// Channels start on a cache line (slab records of a multiple of 64 bytes, in chunks aligned to
// far more): the frame walk reads a channel's first line (virtual table, interface type) and its
// child block fields at the end, and a channel that straddled lines would cost it a third. That
// also serves a plug-in class's members aligned to 16, as the global operator new would.
std::size_t ChannelRecordBytes(std::size_t size) { return (size + 63) & ~std::size_t(63); }

}  // namespace

void* Tev_Channel::operator new(std::size_t size) { return slab::Allocate(ChannelRecordBytes(size)); }

void* Tev_Channel::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return slab::TryAllocate(ChannelRecordBytes(size));
}

void Tev_Channel::operator delete(void* memory) noexcept { slab::Free(memory); }

void Tev_Channel::operator delete(void* memory, const std::nothrow_t&) noexcept { slab::Free(memory); }

long Tev_Channel::GetSlabRecordCount() { return slab::LiveRecords(); }

#define TEV_DEFINE_SLAB_RECORD_OPERATORS(Record)                                   \
    void* Record::operator new(std::size_t size) { return slab::Allocate(size); }  \
    void* Record::operator new(std::size_t size, const std::nothrow_t&) noexcept { \
        return slab::TryAllocate(size);                                            \
    }                                                                              \
    void Record::operator delete(void* memory) noexcept { slab::Free(memory); }    \
    void Record::operator delete(void* memory, const std::nothrow_t&) noexcept { slab::Free(memory); }

TEV_DEFINE_SLAB_RECORD_OPERATORS(ChildInfo)
TEV_DEFINE_SLAB_RECORD_OPERATORS(PendingLink)
TEV_DEFINE_SLAB_RECORD_OPERATORS(ChildCreation)
