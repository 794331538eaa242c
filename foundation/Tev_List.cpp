// Growable pointer list.
#include "Tev_List.h"

#include <climits>
#include <cstring>
#include <new>

#include "DllInterface.h"
#include "EngineInterface.h"
#include "foundation/ListStorage.h"

Tev_List::Tev_List() : items(nullptr), itemCount(0), realListLength(0) {}

Tev_List::~Tev_List() { TevListStorage::FreeItems(items); }

void Tev_List::ReleaseItems() {
    TevListStorage::FreeItems(items);
    items = nullptr;
    itemCount = 0;
    realListLength = 0;
}

void Tev_List::ClearItems() { itemCount = 0; }

// New length = base * 1.25 + 32, base being the requested length or, for -1,
// the current one. On failure the list keeps its old array untouched.
void Tev_List::IncreaseRealListLength(int length) {
    if (length < -1) length = -1;
    if (realListLength < 0) realListLength = 0;
    const int base = length != -1 ? length : realListLength;
    const double wanted = base * 1.25 + 32.0;
    const int newLength = wanted < static_cast<double>(INT_MAX) ? static_cast<int>(wanted) : INT_MAX;
    void** grown = nullptr;
    if (newLength < INT_MAX / static_cast<int>(sizeof(void*))) grown = new (std::nothrow) void*[newLength];
    if (!grown) {
        if (globalEngine) globalEngine->showMessageBox("Error couldn't extend list", newLength);
        return;
    }
    if (itemCount > newLength) itemCount = newLength;
    if (items && itemCount > 0) std::memcpy(grown, items, sizeof(void*) * itemCount);
    TevListStorage::FreeItems(items);
    items = grown;
    realListLength = newLength;
}

int Tev_List::AddItem(void* item) {
    if (itemCount >= realListLength) IncreaseRealListLength(-1);
    if (itemCount >= realListLength) return -1;  // growth failed
    items[itemCount] = item;
    return itemCount++;
}

int Tev_List::AddItemOrNULL(void* item) {
    for (int i = 0; i < itemCount; i++) {
        if (items[i] == nullptr) {
            items[i] = item;
            return i;
        }
    }
    return AddItem(item);
}

void Tev_List::RemoveItem(int index) {
    if (index < 0 || index >= itemCount) return;
    std::memmove(items + index, items + index + 1, sizeof(void*) * (itemCount - index - 1));
    itemCount--;
}

bool Tev_List::Allocate(int count) {
    if (count < 0) return false;  // a negative length would corrupt the count
    if (count >= realListLength - 1) IncreaseRealListLength(count);
    if (count >= realListLength) return false;
    for (int i = itemCount; i < count; i++) items[i] = nullptr;
    itemCount = count;
    return true;
}

bool Tev_List::InsertItem(void* item, int index) {
    if (itemCount + 1 >= realListLength) IncreaseRealListLength(itemCount + 1);
    if (itemCount + 1 >= realListLength) {
        if (globalEngine) globalEngine->showMessageBox("Tev_List::InsertItem Error reallist is to small!!!");
        return false;
    }
    if (index < 0) return false;
    if (index > itemCount) {
        AddItem(item);
        return true;
    }
    std::memmove(items + index + 1, items + index, sizeof(void*) * (itemCount - index));
    items[index] = item;
    itemCount++;
    return true;
}

void Tev_List::SetItem(void* item, int index) {
    if (index < 0 || index == INT_MAX) return;
    if (index < itemCount) {
        items[index] = item;
        return;
    }
    if (Allocate(index + 1)) items[index] = item;
}
