// Lowest empty slot of a pointer list, kept by a heap of freed slots and a forward sweep.
#include "foundation/LowestFreeSlots.h"

#include "Tev_List.h"

// A freed slot that was filled again, given twice, or lies at or past the sweep (which finds it
// anyway) is dropped.
void LowestFreeSlots::DropStale(const Tev_List& list) {
    while (!freed.empty()) {
        const int top = freed.top();
        if (top < sweep && top < list.GetItemCount() && !list.GetItem(top)) return;
        freed.pop();
    }
}

int LowestFreeSlots::Lowest(const Tev_List& list) {
    const int count = list.GetItemCount();
    if (sweep > count) sweep = count;
    DropStale(list);
    const int limit = freed.empty() ? count : freed.top();
    while (sweep < limit && list.GetItem(sweep)) ++sweep;
    return sweep < limit ? sweep : limit;
}

int LowestFreeSlots::Take(Tev_List& list, void* item) {
    const int slot = Lowest(list);
    if (slot == list.GetItemCount()) {
        const int appended = list.AddItem(item);
        if (appended >= 0) sweep = appended + 1;
        return appended;
    }
    if (slot == sweep)
        ++sweep;
    else
        freed.pop();
    list.SetItem(item, slot);
    return slot;
}

void LowestFreeSlots::Freed(int index) {
    if (index >= 0 && index < sweep) freed.push(index);
}

void LowestFreeSlots::Reset() {
    freed = {};
    sweep = 0;
}
