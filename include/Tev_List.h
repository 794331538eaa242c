// Growable array of untyped pointers shared by the kernel and every plug-in.
#pragma once

#include "TarnwellExport.h"

// The list never owns what its entries point to; entries may be NULL.
// Field order and the growth rule are part of the plug-in contract.
class TARNWELL_API Tev_List {
    friend class TevListStorage;  // kernel-private: sizes the kernel's own lists tightly

public:
    Tev_List();
    virtual ~Tev_List();

    void ReleaseItems();
    void ClearItems();
    int AddItem(void* item);
    int AddItemOrNULL(void* item);
    void RemoveItem(int index);
    // Inline: these two run for every child of every channel in every frame.
    void* GetItem(int index) const { return index < 0 || index >= itemCount ? nullptr : items[index]; }
    int GetItemCount() const { return itemCount; }
    bool Allocate(int count);
    bool InsertItem(void* item, int index);
    void SetItem(void* item, int index);

protected:
    void IncreaseRealListLength(int length);

    void** items;        // NULL until the first growth
    int itemCount;       // entries in use
    int realListLength;  // slots allocated in items
};
