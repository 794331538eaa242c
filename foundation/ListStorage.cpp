#include "foundation/ListStorage.h"

#include <climits>
#include <cstring>
#include <new>

#include "foundation/SlabAllocator.h"

namespace {

// Small arrays from the slabs; others (larger ones, or any while the slabs are not in use) as
// the public growth makes them, so that FreeItems can tell the two apart.
void** AllocateItems(int count) {
    if (void* items = slab::AllocateFromSlabs(sizeof(void*) * static_cast<size_t>(count)))
        return static_cast<void**>(items);
    return new (std::nothrow) void*[count];
}

}  // namespace

bool TevListStorage::Reserve(Tev_List& list, int count) {
    if (count < 0) return false;
    if (count <= list.realListLength) return true;
    void** grown = AllocateItems(count);
    if (!grown) return false;
    if (list.items && list.itemCount > 0) std::memcpy(grown, list.items, sizeof(void*) * list.itemCount);
    FreeItems(list.items);
    list.items = grown;
    list.realListLength = count;
    return true;
}

bool TevListStorage::ReserveGrowing(Tev_List& list, int count) {
    if (count <= list.realListLength) return true;
    const int doubled = list.realListLength < INT_MAX / 2 ? list.realListLength * 2 : INT_MAX;
    return Reserve(list, count > doubled ? count : doubled);
}

bool TevListStorage::Extend(Tev_List& list, int count) {
    if (!Reserve(list, count)) return false;
    for (int i = list.itemCount; i < count; i++) list.items[i] = nullptr;
    if (count > list.itemCount) list.itemCount = count;
    return true;
}

int TevListStorage::Append(Tev_List& list, void* item) {
    if (list.itemCount == INT_MAX || !ReserveGrowing(list, list.itemCount + 1)) return -1;
    list.items[list.itemCount] = item;
    return list.itemCount++;
}

void TevListStorage::FreeItems(void** items) {
    if (slab::Owns(items))
        slab::Free(items);
    else
        delete[] items;
}
