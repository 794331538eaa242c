// The node of the channel graph and the base class of every channel a plug-in implements.
// Field order and the order of the virtual operations are the plug-ins' contract: append only.
// Appending changes the size plug-in classes derive from, so it takes a new package minor version
// and a new soname.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>

#include "ChannelType.h"
#include "ChildInfo.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "TarnwellTypes.h"
#include "Tev_List.h"

class Tev_ChannelGroup;
class TevFileSaver;
class TevFileLoader;
class ChannelInternal;
struct ChildInfo;
struct ChildCreation;
struct PublicCallInfo;
struct ParameterInfo;
struct ChannelPoolInfo;

// Interface types of a channel.
inline constexpr int PEX_NORMAL = 0;                  // ordinary channel
inline constexpr int PEX_PUBLIC = 1;                  // reachable from other groups by name
inline constexpr int PEX_PUBLICCALL = 2;              // stands for a public channel of another group
inline constexpr int PEX_PARAMETER = 3;               // stands for a parameter of its group
inline constexpr int PEX_CUSTOMCHANNELGET = 4;        // GetChild hands out GetChannelFromChannel
inline constexpr int PEX_PUBLICCUSTOMCHANNELGET = 5;  // public and custom at once

#define TEV_CHANNEL_NAME_LENGTH 500

// Engines in this process that track channel calling (EngineInterfaceExt::SetIfTrackChannelCalling).
// While it is 0 GetChild need not ask the channel's engine, which costs two dependent loads per
// child; otherwise every GetChild goes through the library, which asks the engine itself.
extern TARNWELL_API std::atomic<int> channelCallTrackers;

class TARNWELL_API Tev_Channel : public DllInterface {
    friend class ChannelInternal;
    friend class GroupRelease;  // clears links to a removed index without a call per channel
    friend class LinkPrefetch;  // warms a parent's link records before a large load links to it

public:
    Tev_Channel();
    virtual ~Tev_Channel();

    // Channels, those of plug-in classes included, come from the kernel's slabs: no header per
    // channel, and a large load touches few pages. delete hands memory from anywhere else back
    // to the global operator delete. A class that declares its own operators keeps them.
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void* operator new(std::size_t, void* place) noexcept { return place; }
    static void operator delete(void* memory) noexcept;
    static void operator delete(void* memory, const std::nothrow_t&) noexcept;
    static void operator delete(void*, void*) noexcept {}
    // Channels and link records the kernel's slabs hold now: for memory diagnostics.
    static long GetSlabRecordCount();

    // Virtual operations in slot order.
    virtual void CallChannel();
    virtual void OneTimeInitialize();
    virtual void DoEvent(int event, TevEventData data);
    virtual ChannelType GetChannelType();
    virtual bool SaveChannel(TevFileSaver& saver);
    virtual bool LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group);
    virtual void SetChannelInterfaceType(int type);
    virtual Tev_Channel* GetChannelFromChannel(Tev_Channel* caller, ChildInfo* entry);
    virtual unsigned long GetTimeStamp();
    virtual void SetTimeStamp();
    virtual void DoDependencyInit(Tev_List* list);
    virtual void CheckIndexNrRemoval(int indexNr);

    // Child list.
    // Inline: every channel asks for every child in every frame.
    int GetChildCount() { return childChannelCount; }
    inline Tev_Channel* GetChild(int index);
    int SetChild(Tev_Channel* channel, int targetChannel, int linkPosition);
    void RemoveChild(int index);
    void RemoveChildren();
    void SetChildCreationCount(int count);

    // Link positions.
    void SetChildCreateType(ChildCreation creation, int linkPosition);
    int GetChildLinkPositionCount(int linkPosition);
    Tev_Channel* GetChildFromLinkPosition(int linkPosition, int nr);
    int GetChildTypeCount(_GUID type);
    Tev_Channel* GetChildFromLinkGuid(_GUID type, int nr);

    // Identity.
    void SetChannelName(const char* name);
    const char* GetChannelName();
    Tev_ChannelGroup* GetChannelGroup();
    int GetChannelIDIndexNr();
    int GetChannelInterfaceType();

    // Dependencies.
    void AddChannelGuidDepend(_GUID type, Tev_List* list);
    void AddDLLDepend(const char* dllName, Tev_List* list);

    // Pools.
    int GetPoolChannelCount();
    Tev_Channel* GetPoolChannel(int index);
    void LinkPoolToChannel();
    bool GetIfUsePoolChannel();
    void SetIfUsePoolChannel(bool use);

protected:
    // True once per tree calculation pass; for derived channels that work once per pass.
    bool CheckRenderCount();

    ChannelType* channelType;         // cached type: shared by the module's channels, else owned
    int lastTreeCount;                // tree count of the last successful CheckRenderCount
    int channelIDIndexNr;             // index in the group
    int channelInterfaceType;         // PEX_...
    PublicCallInfo* publicCallInfo;   // PEX_PUBLICCALL only, owned
    ParameterInfo* parameterInfo;     // PEX_PARAMETER only, owned
    Tev_List children;                // ChildInfo*, owned
    Tev_List childCreations;          // ChildCreation*, owned
    Tev_List* pendingLinks;           // PendingLink*, owned, made on demand
    Tev_List* publicChannelRequests;  // request marks per public channel number, owned list
    Tev_List* publicChannelInstances; // resolved public channels (not owned), owned list
    char* channelName;                // owned, at most 500 characters
    Tev_ChannelGroup* channelGroup;   // not owned
    bool waitingForPublicChannel;     // children wait in the placeholder position
    uint32_t lastCallTime;            // tick count of the last call
    bool ignoreTreeCount;             // CheckRenderCount always answers true
    uint32_t timeStamp;               // change stamp
    bool dynamicLoadPending;          // background load of the target group under way
    unsigned char treeCountMode;      // how a public call advances the target's tree count
    unsigned char treeRecalculateCount; // CheckRenderCount refusals in a row
    bool usePoolChannel;              // links to this channel expand over its pools
    Tev_List* poolItemNames;          // Tev_String* pool paths it is a member of, owned
    ChannelPoolInfo* channelPoolInfo; // pools it uses, owned
    // The channel of each entry of children, in one block the frame walk reads without touching
    // the entries. children and this block are written only by the private link entry operations
    // below, which keep them in step. While no entry has a channel the block is one the library
    // shares (capacity 0).
    Tev_Channel** childChannels;      // null while there are no entries; owned while capacity > 0
    int childChannelCount;            // entries in children
    int childChannelCapacity;         // slots allocated in childChannels, 0 for the shared block

private:
    // Exported as they always were; the inline GetChild calls only GetChildResolved.
    Tev_Channel* GetChildTracked(int index);
    Tev_Channel* ResolveChild(Tev_Channel* child, ChildInfo* entry, bool tracking);
    Tev_Channel* ResolveParameterChild(Tev_Channel* child);
    int AppendToMultiplePosition(Tev_Channel* channel, ChildInfo* head, int targetChannel);
    void ReserveForInsertion();
    void RecalculateNodeOffsetsFrom(int index);
    void ReleaseLinkRecords();
    void ReleasePendingLinks();
    void ReleasePoolItemNames();

    // The link entry operations: the only writers of children and childChannels (ChannelInternal
    // uses them too). Each ends with CheckChildBlock, which stops a debug build when the two differ
    // from the first entry the operation may have moved on.
    void PutLinkEntry(ChildInfo* entry, int index);  // into the list at index, which may grow
    void SetEntryChannel(ChildInfo* entry, int index, Tev_Channel* channel);  // entry is at index
    bool InsertLinkEntry(ChildInfo* entry, int index);  // takes the entry over, or frees it
    void EraseLinkEntry(int index);                     // frees the entry, later entries move up
    void ReleaseLinkEntries();                          // frees every entry
    void CheckChildBlock(int from);
    // The child block's own steps, called only by the operations above.
    void SyncChildChannels();
    void SyncChildChannel(int index);
    void InsertChildChannel(int index);
    void RemoveChildChannel(int index);
    bool ReserveChildChannels(int count);
    void FreeChildChannels();
    Tev_Channel* MatchCandidate(ChildInfo* entry);

    // The channel's record in a group file.
    void RewritePublicCallFileName();
    void SaveLinks(TevFileSaver& saver);
    void SavePoolNames(TevFileSaver& saver);
    void LoadInterfaceRecord(TevFileLoader& loader);
    bool LoadLinks(TevFileLoader& loader, Tev_ChannelGroup* group);
    void LoadLink(Tev_ChannelGroup* group, int indexNr, int slot, int linkPosition);
    void LoadPoolNames(TevFileLoader& loader);
    void ReportMissingLinks(int count);
    Tev_Channel* GetChildResolved(int index);  // all that GetChild does not do inline
    bool TracksCalls() const {
        return engineInterface && engineInterface->engineInterfaceExt &&
               engineInterface->engineInterfaceExt->GetIfTrackChannelCalling();
    }
    static bool Resolves(int interfaceType) {
        return interfaceType >= PEX_PUBLICCALL && interfaceType <= PEX_PUBLICCUSTOMCHANNELGET;
    }
};

// Compiled into every plug-in: hands out a normal child, or null for a missing or empty entry,
// from childChannels while no engine tracks calling (the frame path needs that to be cheap);
// tracking, public calls, parameters, custom getters, unknown interface types and indexes out of
// range are decided in the library, in GetChildResolved, which gives a normal child the same
// answer. Plug-ins built against older headers read the same fields with the same meaning.
inline Tev_Channel* Tev_Channel::GetChild(int index) {
    if (__builtin_expect(channelCallTrackers.load(std::memory_order_relaxed) == 0 &&
                             static_cast<unsigned>(index) < static_cast<unsigned>(childChannelCount),
                         1)) {
        Tev_Channel* child = childChannels[index];
        // A frame walks the siblings next: start fetching the next one's first line (virtual
        // table pointer, interface type) and the line of its child block (the class's last
        // fields). childChannels keeps a slot past the last entry, so the read stays inside.
        // Most slots after the last child are null (every leaf's empty head entry): a prefetch
        // of page 0 still costs a failing page walk, so those are skipped.
        if (Tev_Channel* next = childChannels[index + 1]) {
            __builtin_prefetch(next);
            __builtin_prefetch(reinterpret_cast<const char*>(next) + sizeof(Tev_Channel) - 1);
        }
        if (!child || static_cast<unsigned>(child->channelInterfaceType) <= PEX_PUBLIC) return child;
    }
    return GetChildResolved(index);
}
