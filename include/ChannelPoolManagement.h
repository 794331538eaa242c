// Channel pools: named collections of channels (pool paths are components joined by '@')
// that other channels use as one link. Member order is part of the plug-in contract.
#pragma once

#include "TarnwellTypes.h"

class Tev_List;
class Tev_Channel;
class EngineInterface;

// Size of a pool's name field: a path component keeps at most 19 characters.
#define POOL_ITEM_NAME_SIZE 20

// One pool. Owned by the management object.
struct TARNWELL_API PoolItem {
    PoolItem();
    ~PoolItem();

    Tev_List* subPoolItems;          // PoolItem*, in creation order
    Tev_List* channels;              // Tev_Channel*, in order of joining; not owned
    char name[POOL_ITEM_NAME_SIZE];  // path component, at most 19 characters
    PoolItem* parent;                // NULL for a top-level pool
    int32_t id;                      // position in the registry; -1 before registration

private:
    PoolItem(const PoolItem&) = delete;
    PoolItem& operator=(const PoolItem&) = delete;
};

// One resolved pool member.
struct ChannelPoolItemInfo {
    int32_t poolItemId;   // id of the pool
    int32_t memberIndex;  // position of the member in that pool's channels
};

// The pools a channel uses and their resolved members; owned by the channel.
struct TARNWELL_API ChannelPoolInfo {
    ChannelPoolInfo();
    ~ChannelPoolInfo();

    Tev_List* poolNames;  // Tev_String*, owned
    uint32_t timeStamp;   // management stamp at the last resolution; 0 forces one
    Tev_List* poolItems;  // ChannelPoolItemInfo*, owned

private:
    ChannelPoolInfo(const ChannelPoolInfo&) = delete;
    ChannelPoolInfo& operator=(const ChannelPoolInfo&) = delete;
};

class TARNWELL_API ChannelPoolManagement {
public:
    ChannelPoolManagement();
    virtual ~ChannelPoolManagement();

    void SetEngineInterface(EngineInterface* engine);
    PoolItem* CreatePoolItem(const char* poolPath, Tev_Channel* channel);
    void ReleasePoolItem(const char* poolPath, Tev_Channel* channel);
    PoolItem* GetPoolItem(const char* poolPath);
    PoolItem* CreateSubPoolItem(const char* name, PoolItem* parent);
    PoolItem* GetSubPoolItem(const char* name, PoolItem* parent);
    void CleanUpItem(PoolItem* item);
    Tev_Channel* GetChannelFromPoolItemInfo(ChannelPoolItemInfo* info);
    PoolItem* GetMainGroupPoolItem(int index);
    int GetMainGroupPoolItemCount();
    unsigned long GetTimeStamp();
    void SetTimeStamp();

protected:
    EngineInterface* engineInterface;  // used for messages
    Tev_List* mainPoolItems;           // PoolItem*, top-level pools in creation order
    uint32_t timeStamp;                // change counter of the whole pool tree
    Tev_List* poolItemRegistry;        // PoolItem* at every level; position = id; NULL holes

private:
    PoolItem* WalkPath(const char* poolPath, bool create);
    bool IsGroupChannel(Tev_Channel* channel);
    void DeletePoolItem(PoolItem* item, Tev_List* siblings);

    ChannelPoolManagement(const ChannelPoolManagement&) = delete;
    ChannelPoolManagement& operator=(const ChannelPoolManagement&) = delete;
};
