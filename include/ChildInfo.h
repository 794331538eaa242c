// One entry of a channel's child list, and a link that waits for a child not yet loaded.
#pragma once

#include <cstddef>
#include <new>

#include "TarnwellExport.h"
#include "TarnwellTypes.h"

// The link records a channel graph has by the hundred thousand live in the kernel's slabs, with
// no header each. delete recognises memory a plug-in built against older headers took from the
// global new and hands it back there, so new and delete pair as they always did.
#define TEV_SLAB_RECORD_OPERATORS                                                                  \
    TARNWELL_API static void* operator new(std::size_t size);                                      \
    TARNWELL_API static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;      \
    static void* operator new(std::size_t, void* place) noexcept { return place; }                 \
    TARNWELL_API static void operator delete(void* memory) noexcept;                               \
    TARNWELL_API static void operator delete(void* memory, const std::nothrow_t&) noexcept;        \
    static void operator delete(void*, void*) noexcept {}

class Tev_Channel;

// Owned by the child list of its channel; made with new and freed with delete.
struct ChildInfo {
    Tev_Channel* channel = nullptr;  // the linked child, not owned; null: empty slot
    int linkPosition = -1;           // link position (ChildCreation) the entry belongs to
    bool isLinkHead = false;         // the position's own entry; never removed by unlinking
    bool multipleChildren = false;   // the position takes any number of children
    int nodeCount = 0;               // head of a multiple position: its slot count; extra entry: its slot
    int nodeOffset = 0;              // the entry's own index in the child list
    int linkData = 0;                // not interpreted by the kernel
    int poolChannelCount = 0;        // pool channel count when the entry was made
    int poolChannelIndex = -1;       // which pool channel the entry stands for

    TEV_SLAB_RECORD_OPERATORS
};

// A link read from a group file whose child was not loaded yet.
struct PendingLink {
    int channelIndex = -1;   // group index of the awaited child
    int targetChannel = -1;  // the slot it was meant for

    TEV_SLAB_RECORD_OPERATORS
};
