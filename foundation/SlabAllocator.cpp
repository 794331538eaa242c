// Size-classed slabs in one reserved address range. Whether memory is ours is a range check,
// and the chunk's size class is kept beside the range, so freeing needs no header and memory
// from anywhere else (a plug-in's own new) is recognised and handed to the global delete.
#include "foundation/SlabAllocator.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

#include "platform/AddressSpace.h"


// GCC says so by a macro, clang by a feature test.
#if defined(__SANITIZE_ADDRESS__)
#define SLAB_ADDRESS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SLAB_ADDRESS_SANITIZED 1
#endif
#endif

namespace slab {

namespace {

constexpr size_t kGrain = 8;
constexpr size_t kClassCount = kMaxSlabBytes / kGrain;
constexpr size_t kChunkShift = 16;
constexpr size_t kChunkBytes = size_t(1) << kChunkShift;
// Address space only: memory is taken as chunks are touched. Well beyond the largest graphs;
// when it runs out, records come from the global operator new.
constexpr size_t kRangeBytes = size_t(16) << 30;
constexpr size_t kChunkCount = kRangeBytes >> kChunkShift;

// Freed records are kept on a stack beside them rather than linked through them: taking one then
// reads the stack, which is warm, and not the cold record itself.
struct SizeClass {
    std::mutex lock;
    std::vector<void*> freed;
    char* next = nullptr;  // bump pointer in the class's newest chunk
    char* end = nullptr;
    long live = 0;
};

class Slabs {
public:
    Slabs() : base(Reserve()) {}

    bool Owns(const void* memory) const {
        const char* at = static_cast<const char*>(memory);
        return base && at >= base && at < base + kRangeBytes;
    }

    void* Allocate(size_t size) {
        if (!base || size == 0 || size > kMaxSlabBytes) return nullptr;
        const size_t index = (size - 1) / kGrain;
        const size_t recordBytes = (index + 1) * kGrain;
        SizeClass& sizeClass = classes[index];
        void* record = nullptr;
        {
            std::lock_guard<std::mutex> guard(sizeClass.lock);
            record = Take(sizeClass, index, recordBytes);
            if (record) sizeClass.live++;
        }
        return record;
    }

    void Free(void* memory) {
        char* at = static_cast<char*>(memory);
        const size_t index = chunkClass[static_cast<size_t>(at - base) >> kChunkShift];
        SizeClass& sizeClass = classes[index];
        std::lock_guard<std::mutex> guard(sizeClass.lock);
        sizeClass.live--;
        try {
            sizeClass.freed.push_back(memory);
        } catch (const std::bad_alloc&) {
            // the record is lost to reuse, not to the program
        }
    }

    long Live() {
        long total = 0;
        for (SizeClass& sizeClass : classes) {
            std::lock_guard<std::mutex> guard(sizeClass.lock);
            total += sizeClass.live;
        }
        return total;
    }

private:
    // An address-sanitized build takes every record from the global new instead: the sanitizer
    // then sees each record apart (an overflow into a neighbour, a freed one used, a leak).
    static char* Reserve() {
#if defined(SLAB_ADDRESS_SANITIZED)
        return nullptr;
#else
        return static_cast<char*>(platform::ReserveAddressSpace(kRangeBytes));
#endif
    }

    // Called with the class's lock held.
    void* Take(SizeClass& sizeClass, size_t index, size_t recordBytes) {
        if (!sizeClass.freed.empty()) {
            void* record = sizeClass.freed.back();
            sizeClass.freed.pop_back();
            return record;
        }
        // In sizes: a class without a chunk has null pointers, and offsetting null is undefined.
        const size_t room = static_cast<size_t>(sizeClass.end - sizeClass.next);
        if (room < recordBytes && !NewChunk(sizeClass, index)) return nullptr;
        void* record = sizeClass.next;
        sizeClass.next += recordBytes;
        return record;
    }

    bool NewChunk(SizeClass& sizeClass, size_t index) {
        const size_t chunk = nextChunk.fetch_add(1, std::memory_order_relaxed);
        if (chunk >= kChunkCount) return false;
        chunkClass[chunk] = static_cast<uint8_t>(index);
        sizeClass.next = base + (chunk << kChunkShift);
        sizeClass.end = sizeClass.next + kChunkBytes;
        return true;
    }

    char* const base;
    std::atomic<size_t> nextChunk{0};
    SizeClass classes[kClassCount];
    // Written once per chunk before any record of it is handed out, read when one is freed.
    uint8_t chunkClass[kChunkCount] = {};
};

static_assert(kClassCount <= 256, "size classes are kept in one byte per chunk");

// Never destroyed: channels may be freed by static destructors of plug-ins and hosts.
Slabs& TheSlabs() {
    static Slabs* slabs = new Slabs();
    return *slabs;
}

}  // namespace

void* TryAllocate(size_t size) noexcept {
    if (void* record = TheSlabs().Allocate(size)) return record;
    return ::operator new(size, std::nothrow);
}

void* AllocateFromSlabs(size_t size) noexcept { return TheSlabs().Allocate(size); }

void* Allocate(size_t size) {
    if (void* record = TheSlabs().Allocate(size)) return record;
    return ::operator new(size);
}

void Free(void* memory) noexcept {
    if (!memory) return;
    Slabs& slabs = TheSlabs();
    if (slabs.Owns(memory))
        slabs.Free(memory);
    else
        ::operator delete(memory);
}

bool Owns(const void* memory) noexcept { return memory && TheSlabs().Owns(memory); }

long LiveRecords() noexcept { return TheSlabs().Live(); }

}  // namespace slab
