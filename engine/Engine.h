// Private: the engine state behind EngineInterface and EngineInterfaceExt.
// Never installed; plug-ins reach it only through the facades.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ChannelType.h"
#include "EngineInterface.h"
#include "TarnwellTypes.h"
#include "Tev_List.h"
#include "engine/PublicCallIndex.h"
#include "engine/PublicRequestList.h"
#include "foundation/LowestFreeSlots.h"

class ChannelList;
struct ChannelListItem;
class DllInterface;
class Tev_Channel;
class Tev_ChannelGroup;
class Tev_Tread;
struct PublicCallInfo;

// A channel that wants an event; duplicates are allowed.
struct EventRegistration {
    Tev_Channel* channel;
    int event;  // 0 or more
};

// Number of live Engine objects, and the lock held around every plug-in
// InitDLL call. The first Engine creates the lock, the last one deletes it.
extern int engineCount;
extern std::mutex* dllInitLock;

class Engine {
public:
    // currentEvent before the first dispatch, and once the engine is released (no more dispatch).
    static constexpr int kEventNone = TEV_EVENT_NONE;
    static constexpr int kEventReleased = TEV_EVENT_RELEASED;

    Engine();

    // Virtual operations in slot order.
    virtual ~Engine();
    virtual const char* GetInstallDir();
    virtual Tev_ChannelGroup* CreateNewGroup(const char* poolName, bool arrayGroup, int instance);
    virtual void DeleteChannelGroup(int index);
    virtual int GetChannelGroupCount();
    virtual void ReleaseGroups();
    virtual void CheckPublicChannelRemoval(Tev_Channel* channel, int nr);
    virtual void CheckPublicCallChannelRemoval(Tev_Channel* channel);
    virtual void CheckInterfaceChange(const char* poolName);
    virtual Tev_Channel* GetPublicChannel(PublicCallInfo* info);
    virtual bool AddChannelRequest(int number, Tev_Channel* channel);
    virtual void CheckChannelRequest(Tev_ChannelGroup* group, int number, Tev_Channel* channel);
    virtual HWND GetWindowHandle();
    virtual void SetWindowHandle(HWND window);
    virtual void SetEngineInterface(EngineInterface* engine);
    virtual bool SetRegData(const char* valueName, const char* text);
    virtual bool GetRegData(const char* valueName, char* buffer, int size);
    virtual Tev_Tread* GetNewTread();
    virtual void KillTread(Tev_Tread* tread);
    virtual Tev_Tread* GetTreadFromID(int id);
    virtual int GetCurrentEvent();
    virtual void CallEvent(int event, TevEventData data);
    virtual void AddChannelToEvent(Tev_Channel* channel, int event);
    virtual void RemoveChannelFromEvent(Tev_Channel* channel, int event);
    virtual void ProcessWindowMessage(HWND window, unsigned int message, TevMessageWParam wParam, TevMessageLParam lParam);
    virtual void SetStartGroup(int index);
    virtual int GetStartGroup();

    // Life (Engine.cpp).
    void Release();
    void UpdateChannelTree();
    void SetInstallDir(const char* dir);
    void SetRegKey(const char* key);

    // Group table (EngineGroupTable.cpp).
    Tev_ChannelGroup* GetChannelGroup(int index);
    Tev_ChannelGroup* GetChannelGroup(const char* fileName, int instance);
    Tev_ChannelGroup* GetPoolGroup(const char* poolName, int instance);
    int GetHighInstance(const char* poolName);
    Tev_ChannelGroup* LoadChannelGroup(const char* fileName, const char* poolName);

    // Group loads asked for while one is under way (EngineGroupLoads.cpp).
    struct QueuedGroupLoad {
        std::string path;  // complete path of the group file
        std::string poolName;
        std::string fileName;    // as the public call names it, for the failure report
        std::string callerFile;  // the file of the public call's own group, "" when none
    };
    // True when a group load is under way: the load is queued, once per pool name, and runs
    // once the outermost load is complete. False: nothing is loading; the caller loads now.
    bool DeferGroupLoad(const QueuedGroupLoad& load);

    // Plug-in loading and channel creation (EnginePlugins.cpp).
    bool InitEngine(HINSTANCE instance, const char* className);
    DllInterface* GetDLLInstance(const char* dllName);
    Tev_Channel* CreateChannelFromDLL(const char* dllName, Tev_ChannelGroup* group, bool createChildren);
    Tev_Channel* InitChannelFromType(_GUID type, Tev_ChannelGroup* group, bool createChildren);
    Tev_Channel* GetUniqueChannel(_GUID type, const char* name);
    int GetUniqueChannelCount();
    ChannelType GetDLLType(HINSTANCE module);
    ChannelType GetDLLType(const char* dllName);

    // Services (EngineServices.cpp).
    void IncreaseTreeCount();
    void DoLinkPoolToChannel(Tev_Channel* channel);
    void ForgetPoolLink(Tev_Channel* channel);  // a group deletes it: it must not be relinked
    void LinkPoolBatch(const std::vector<Tev_Channel*>& waiting);

    // The table's pool name index follows renames of the groups in it; groups report them
    // through group/GroupTableIndex.h.
    void IndexGroup(Tev_ChannelGroup* group);
    void UnindexGroup(Tev_ChannelGroup* group);
    struct GroupNameIndex;  // defined in EngineGroupTable.cpp

    // A group offering its public channels shows its public calls (engine/PublicCallIndex.h).
    void PlacePublicCall(Tev_ChannelGroup* group, Tev_Channel* call);

    // What a host asked of group loads (EngineOptions.cpp, group/GroupLoadOptions.h).
    bool keepUnknownChannels = false;

private:
    // The two facades are the engine's only clients; they read and write its state directly.
    friend class EngineInterface;
    friend class EngineInterfaceExt;

    void ForgetGlobalEngine();

    Tev_ChannelGroup* uniqueGroup;   // owned; holds the unique channels, not in groupList
    Tev_List groupList;              // Tev_ChannelGroup*, owned; empty slots NULL
    LowestFreeSlots groupSlots;      // groupList's empty slots
    int treeCalculateCount;          // 0..treecount::kMax
    ChannelList* channelTypeList;    // owned
    HWND windowHandle;
    PublicRequestList publicRequestList;  // public calls waiting for a group to arrive
    char engineClassName[260];
    HINSTANCE engineInstance;
    char installDir[300];
    char regKey[300];
    EngineInterface* engineInterface;
    bool engineInitialized;
    Tev_List treadList;              // Tev_Tread*, owned; slot = thread id
    Tev_List libraryList;            // module handles, in load order
    Tev_List eventList;              // EventRegistration*, owned
    int currentEvent;                // kEventNone before the first dispatch, kEventReleased after Release
    WindowMessageInfo windowMessage;
    int startGroup;
    Tev_List poolLinkList;           // Tev_Channel* waiting for LinkPoolToChannel

    // The queue's channels by position, so that asking twice and leaving cost no scan; and the
    // channels of the batches being linked now, which a channel deleted meanwhile leaves.
    std::unordered_map<Tev_Channel*, int> poolLinkPositions;
    std::vector<std::unordered_set<Tev_Channel*>*> relinkBatches;

    // Engine services: event dispatch bookkeeping.
    // Nesting depth of CallEvent: registrations removed meanwhile are only
    // marked dead and swept once the outermost dispatch is over, so the walk
    // never skips or revisits one.
    int eventDispatchDepth = 0;
    void SweepDeadEventRegistrations();

    // Group table: the pool name index.
    int AddGroupToTable(Tev_ChannelGroup* group);     // first empty slot or a new one
    int FirstEmptySlotInstance(const char* poolName); // instance number for CreateNewGroup(-2)
    bool PoolNameFreeForLoading(const char* poolName);
    Tev_ChannelGroup* LoadGroupIntoTable(const char* fileName, const char* poolName);

    // Group loads: nesting and the queue of loads asked for meanwhile. Loading a group runs its
    // channels' code, which may ask for further groups; loading those at once would nest one
    // load in another for every group of a chain.
    std::vector<std::string> groupLoadChain;       // files of the loads under way, outermost first
    std::deque<QueuedGroupLoad> queuedGroupLoads;  // run in order after the outermost load
    std::unordered_set<std::string> queuedPools;   // their pool names, folded as the table compares them
    void ForgetQueuedGroupLoads(size_t from);      // drops the queue from that place on
    bool LoadNestedTooDeep(const char* fileName);  // reports the chain of files when it is
    Tev_ChannelGroup* LoadKeepingQueue(const char* fileName, const char* poolName);
    void RunQueuedGroupLoads();
    // Pool name -> table slots, so that lookups by name stay fast in large tables. Groups in
    // the table report renames through IndexGroup/UnindexGroup (Tev_ChannelGroup::SetPoolName).
    struct GroupNameIndexHolder {
        GroupNameIndex* index = nullptr;  // made on first use
        ~GroupNameIndexHolder();
    };
    GroupNameIndexHolder groupNameIndex;
    bool IsInGroupTable(Tev_ChannelGroup* group);

    // Public calls and the public channels they found (EngineServices.cpp).
    PublicCallIndex publicCallIndex;
    Tev_Channel* LookUpPublicChannel(PublicCallInfo* info);

    // Plug-in loading and channel creation.
    int childCreationDepth = 0;  // nesting of automatic child creation; bounds a cycle of types
    // The InitDLL call shared by every creation path; dllName only names the module in messages.
    DllInterface* CallInitDLL(HINSTANCE module, const char* dllName);
    // Steps shared by CreateChannelFromDLL and creation through a cached module handle.
    Tev_Channel* FinishChannelCreation(Tev_Channel* channel, Tev_ChannelGroup* group, bool createChildren);
    void CreateChildren(Tev_Channel* channel, Tev_ChannelGroup* group);
    void ExtendSearchPath();
    // "InitDLL" and "GetType" of the modules in libraryList, looked up once per module: every
    // channel of a loaded group is made through them, and a symbol look-up costs more than
    // the rest of the creation. Valid until Release frees the modules.
    struct EntryPoints {
        void* initDLL = nullptr;
        void* getType = nullptr;
    };
    std::mutex entryPointLock;  // creation may run on worker threads
    std::unordered_map<HINSTANCE, EntryPoints> entryPoints;
    void RememberEntryPoints(HINSTANCE module);
    ChannelListItem* FindTypeEntry(_GUID type);
    EntryPoints KnownEntryPoints(HINSTANCE module);

    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
};
