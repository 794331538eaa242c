// Private: arrays of the kernel's own lists sized to what they hold. Tev_List's public
// operations grow by a quarter plus 32 slots, so a channel's lists would take 32 slots for their
// first entry; the kernel sizes the lists it alone writes from its slabs instead. Whatever later
// grows such a list through the public operations takes it over by the public rule.
#pragma once

#include "Tev_List.h"

class TevListStorage {
public:
    // Room for at least count entries without a public growth: the array becomes exactly count
    // slots when it has fewer. False (the list unchanged) when memory runs out.
    static bool Reserve(Tev_List& list, int count);
    // As Reserve, but a growing array at least doubles, for lists that take entries one by one.
    static bool ReserveGrowing(Tev_List& list, int count);
    // The list holds count entries, the new ones NULL; the array grows to exactly count.
    static bool Extend(Tev_List& list, int count);
    // Appends with ReserveGrowing's rule; the entry's index, or -1 when memory runs out.
    static int Append(Tev_List& list, void* item);
    // Frees an array of either origin: the slabs' or the public growth's new[].
    static void FreeItems(void** items);
    // The list's array (NULL before the first growth), for warming it before it is read.
    static const void* Items(const Tev_List& list) { return list.items; }
};
