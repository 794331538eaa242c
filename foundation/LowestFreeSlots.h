// Private: "the first empty slot" of a Tev_List whose empty slots are NULL entries, found
// without scanning the list on every add. Scanning made filling a list one item at a time
// quadratic (a group built channel by channel, a table of many groups).
//
// Below `sweep` every empty slot is in `freed`; from `sweep` on nothing is known and the next
// take scans forward, so a list that only grows is walked once in all. The owner reports every
// slot it empties (Freed) and calls Reset when slots may have emptied without it.
#pragma once

#include <functional>
#include <queue>
#include <vector>

class Tev_List;

class LowestFreeSlots {
public:
    // Stores the item at the lowest NULL entry, or appends it; returns the index used, or -1
    // when the list could not grow. The same answer as Tev_List::AddItemOrNULL.
    int Take(Tev_List& list, void* item);
    // The lowest NULL entry, or the count when there is none; the list is not changed.
    int Lowest(const Tev_List& list);
    void Freed(int index);
    void Reset();

private:
    void DropStale(const Tev_List& list);

    std::priority_queue<int, std::vector<int>, std::greater<int>> freed;  // may hold stale entries
    int sweep = 0;
};
