// The child list of a channel and its mirror, the child block the inline GetChild reads: the
// only functions that write either, so the two cannot drift apart.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ChildInfo.h"
#include "Tev_Channel.h"
#include "channel/ChannelMessages.h"
#include "foundation/ListItems.h"

namespace {

// The block of every channel whose entries are all empty (one with link positions and no
// links yet, as most leaves are): shared and never written, so a frame walk over such channels
// reads one cached line instead of a block of each one's own. Used while a channel owns no
// block (childChannelCapacity 0); its last slot is the one GetChild reads past the last entry.
constexpr int kSharedEmptySlots = 15;
Tev_Channel* sharedEmptyChildChannels[kSharedEmptySlots + 1] = {};

Tev_Channel* ChannelOf(const Tev_List& children, int index) {
    ChildInfo* entry = listitems::At<ChildInfo>(children, index);
    return entry ? entry->channel : nullptr;
}

bool EntriesEmpty(const Tev_List& children, int from) {
    for (int i = from; i < children.GetItemCount(); ++i)
        if (ChannelOf(children, i)) return false;
    return true;
}

bool AllEntriesEmpty(const Tev_List& children) { return EntriesEmpty(children, 0); }

}  // namespace

void Tev_Channel::PutLinkEntry(ChildInfo* entry, int index) {
    const int before = children.GetItemCount();
    children.SetItem(entry, index);
    if (children.GetItemCount() == before)
        SyncChildChannel(index);
    else
        SyncChildChannels();
    CheckChildBlock(index < before ? index : before);  // the holes a growth made too
}

void Tev_Channel::SetEntryChannel(ChildInfo* entry, int index, Tev_Channel* channel) {
    if (entry) entry->channel = channel;
    SyncChildChannel(index);
    CheckChildBlock(index);
}

// Takes the entry over, or frees it when the list cannot grow.
bool Tev_Channel::InsertLinkEntry(ChildInfo* entry, int index) {
    if (!ReserveChildChannels(children.GetItemCount() + 1) || !children.InsertItem(entry, index)) {
        delete entry;
        return false;
    }
    RecalculateNodeOffsetsFrom(index);
    InsertChildChannel(index);
    CheckChildBlock(index);
    return true;
}

void Tev_Channel::EraseLinkEntry(int index) {
    if (index < 0 || index >= children.GetItemCount()) return;
    delete listitems::At<ChildInfo>(children, index);
    children.RemoveItem(index);
    RemoveChildChannel(index);
    CheckChildBlock(index);
}

void Tev_Channel::ReleaseLinkEntries() {
    listitems::DeleteAll<ChildInfo>(children);
    SyncChildChannels();
    CheckChildBlock(0);
}

// The whole block after an operation that replaces entries, one slot after a link or an
// unlink, so that linking stays linear.
void Tev_Channel::SyncChildChannels() {
    const int count = children.GetItemCount();
    if (childChannelCapacity == 0 && count <= kSharedEmptySlots && AllEntriesEmpty(children)) {
        childChannels = count > 0 ? sharedEmptyChildChannels : nullptr;
        childChannelCount = count;
        return;
    }
    // Like the entries those operations make with new, the mirror cannot be left short.
    if (!ReserveChildChannels(count)) throw std::bad_alloc();
    for (int i = 0; i < count; ++i) childChannels[i] = ChannelOf(children, i);
    childChannelCount = count;
}

void Tev_Channel::SyncChildChannel(int index) {
    const int count = children.GetItemCount();
    if (childChannelCount != count) {
        // Grown by empty slots (a position declared beyond the last): while the block is the
        // shared empty one, every entry it covers is empty but the one just written, so only
        // that one and the new ones need a look, and declaring positions stays linear.
        if (childChannelCapacity == 0 && count > childChannelCount && count <= kSharedEmptySlots &&
            !ChannelOf(children, index) && EntriesEmpty(children, childChannelCount)) {
            childChannels = sharedEmptyChildChannels;
            childChannelCount = count;
            return;
        }
        return SyncChildChannels();
    }
    if (index < 0 || index >= childChannelCount) return;
    Tev_Channel* channel = ChannelOf(children, index);
    if (childChannelCapacity > 0)
        childChannels[index] = channel;
    else if (channel)
        SyncChildChannels();  // the first link: the channel needs a block of its own
}

// After children took a new entry at index; InsertLinkEntry reserved the room.
void Tev_Channel::InsertChildChannel(int index) {
    const int count = children.GetItemCount();
    if (childChannelCount != count - 1 || index < 0 || index >= count || count > childChannelCapacity)
        return SyncChildChannels();
    std::memmove(childChannels + index + 1, childChannels + index,
                 static_cast<size_t>(childChannelCount - index) * sizeof(Tev_Channel*));
    childChannels[index] = ChannelOf(children, index);
    childChannelCount = count;
}

// After children lost its entry at index: the slots behind it move down, as the entries did.
void Tev_Channel::RemoveChildChannel(int index) {
    const int count = children.GetItemCount();
    if (childChannelCapacity == 0 || childChannelCount != count + 1 || index < 0 || index > count)
        return SyncChildChannels();
    std::memmove(childChannels + index, childChannels + index + 1,
                 static_cast<size_t>(count - index) * sizeof(Tev_Channel*));
    childChannels[count] = nullptr;
    childChannelCount = count;
}

bool Tev_Channel::ReserveChildChannels(int count) {
    if (count <= childChannelCapacity) return true;
    int capacity = childChannelCapacity > 0 ? childChannelCapacity : 4;
    while (capacity < count) capacity *= 2;
    // One slot more than the capacity: GetChild reads the slot after the last entry.
    auto* grown = new (std::nothrow) Tev_Channel*[capacity + 1]();
    if (!grown) return false;
    if (childChannelCount > 0)
        std::memcpy(grown, childChannels, static_cast<size_t>(childChannelCount) * sizeof(Tev_Channel*));
    FreeChildChannels();
    childChannels = grown;
    childChannelCapacity = capacity;
    return true;
}

void Tev_Channel::FreeChildChannels() {
    if (childChannelCapacity > 0) delete[] childChannels;
    childChannels = nullptr;
    childChannelCapacity = 0;
}

// A block out of step hands plug-ins the wrong children in release builds without a sound; a
// debug build stops at the mutation that broke it. The slots in front of from are those the
// mutation cannot have moved, so they are not read again: appending stays linear.
void Tev_Channel::CheckChildBlock(int from) {
#ifndef NDEBUG
    const int count = children.GetItemCount();
    int wrong = childChannelCount != count ? count : -1;
    if (childChannelCapacity == 0 && count > 0 && childChannels != sharedEmptyChildChannels) wrong = 0;
    if (childChannelCapacity > 0 && count > childChannelCapacity) wrong = count;
    for (int i = from > 0 ? from : 0; wrong < 0 && i < count; ++i)
        if (childChannels[i] != ChannelOf(children, i)) wrong = i;
    if (wrong < 0) return;
    std::fprintf(stderr, "%s %d (%s)\n", channelmsg::kChildBlockOutOfStep, wrong,
                 channelName ? channelName : "");
    std::abort();
#else
    (void)from;
#endif
}
