// Private: typed access to the kernel's own Tev_Lists, whose entries are all of one type.
#pragma once

#include "Tev_List.h"

namespace listitems {

// The entry at index as a T* (NULL for a hole or an index out of range).
template <class T>
T* At(const Tev_List& list, int index) {
    return static_cast<T*>(list.GetItem(index));
}

// Deletes every entry the list owns and leaves it empty.
template <class T>
void DeleteAll(Tev_List& list) {
    for (int i = 0; i < list.GetItemCount(); i++) delete At<T>(list, i);
    list.ClearItems();
}

// A Tev_List that owns its entries, all T: for lists the kernel fills with entries it makes.
template <class T>
class Owning {
public:
    Owning() = default;
    ~Owning() { DeleteAll<T>(list); }
    Owning(const Owning&) = delete;
    Owning& operator=(const Owning&) = delete;

    Tev_List& List() { return list; }
    int Count() const { return list.GetItemCount(); }
    T* operator[](int index) const { return At<T>(list, index); }

private:
    Tev_List list;
};

}  // namespace listitems
