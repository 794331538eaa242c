// Privileged operations the kernel performs on channels: child list bookkeeping, group and
// index, deferred links, parameters, calling time, public calls, pools. Stateless; one
// exported instance, channelInternal. The order of the virtual operations is fixed.
#pragma once

#include "ChannelRecords.h"
#include "TarnwellTypes.h"

class Tev_Channel;
class Tev_ChannelGroup;
class Tev_List;
struct ChildInfo;
struct ChildCreation;
struct ChannelPoolInfo;
struct PoolItem;

class TARNWELL_API ChannelInternal {
public:
    ChannelInternal();

    // Virtual operations in slot order.
    virtual ~ChannelInternal();
    virtual int SetChildByType(Tev_Channel* channel, Tev_Channel* child, int targetChannel);
    virtual void RemoveChildPosition(Tev_Channel* channel, int index);
    virtual void RemoveChild(Tev_Channel* channel, Tev_Channel* child);
    virtual void RecalculateNodeOffsets(Tev_Channel* channel);
    virtual void SortChilderen(Tev_Channel* channel);
    virtual int GetChildCreationCount(Tev_Channel* channel);
    virtual int GetChildLinkPosition(Tev_Channel* channel, int index);
    virtual bool CheckChannelRequest(Tev_Channel* channel, int channelIndex, int targetChannel,
                                     Tev_Channel* child, int linkPosition);
    virtual void SetChannelIDIndexNr(Tev_Channel* channel, int indexNr);
    virtual void SetChannelGroup(Tev_Channel* channel, Tev_ChannelGroup* group);
    virtual bool GetIfExternalChild(Tev_Channel* channel, int index);
    virtual bool SetPublicCallInfo(Tev_Channel* channel, PublicCallInfo info);
    virtual PublicCallInfo GetPublicCallInfo(Tev_Channel* channel);
    virtual void SetAutoLoadGroup(Tev_Channel* channel, bool autoLoad);
    virtual void SetDynamicAutoLoadGroup(Tev_Channel* channel, bool dynamicAutoLoad);
    virtual bool GetAutoLoadGroup(Tev_Channel* channel);
    virtual bool GetDynamicAutoLoadGroup(Tev_Channel* channel);
    virtual void CheckPublicChannelInstanceRemoval(Tev_Channel* publicCall, Tev_Channel* removed, int nr);
    virtual bool CheckPublicChannelRequest(Tev_Channel* publicCall, Tev_Channel* candidate, int nr,
                                           const char* poolName);
    virtual void SetRequestedPublicChannelNr(Tev_Channel* channel, int nr);
    virtual void DoPublicChannelNameCheck(Tev_Channel* channel);
    virtual ParameterInfo* GetParameterInfo(Tev_Channel* channel);
    virtual void SetParameterInfo(Tev_Channel* channel, int index);
    virtual void SetParameterInfo(Tev_Channel* channel, ParameterInfo info);
    virtual int GetChannelGetChildTime(Tev_Channel* channel);
    virtual void UpdateCallingTime(Tev_Channel* channel);
    virtual bool GetIgnoreTreeCount(Tev_Channel* channel);
    virtual void SetIgnoreTreeCount(Tev_Channel* channel, bool ignore);
    virtual void GetChannelDepenency(Tev_Channel* channel, Tev_List* list);
    virtual void ReleaseChilderen(Tev_Channel* channel);

    // Plain members.
    ChildInfo* GetChildInfo(Tev_Channel* channel, int index);
    Tev_Channel* GetInternalChild(Tev_Channel* channel, int index);
    ChildCreation* GetChildCreateType(Tev_Channel* channel, int linkPosition);
    Tev_Channel* GetPublicChannelForPublicCall(Tev_Channel* publicCall, bool enter);
    void SetTreeCountMode(Tev_Channel* channel, unsigned char mode);
    unsigned char GetTreeCountMode(Tev_Channel* channel);
    unsigned char GetTreeRecalculateCount(Tev_Channel* channel);

    // Pool lists of a channel.
    void AddChannelToPool(Tev_Channel* channel, const char* poolName);
    void RemoveChannelFromPool(Tev_Channel* channel, const char* poolName);
    void RemovePoolFromChannel(Tev_Channel* channel, const char* poolName);
    ChannelPoolInfo* GetChannelPoolInfo(Tev_Channel* channel);
    void AddChannelsFromPoolToPoolInfo(Tev_Channel* channel, PoolItem* pool);
    void AddPoolToChannel(Tev_Channel* channel, const char* poolName);
    void RecalculateChannelPoolInfo(Tev_Channel* channel);

private:
    ChildCreation* GetPublicCallCreateType(Tev_Channel* channel, int linkPosition);
    void MoveChildrenToPlaceholder(Tev_Channel* channel);
    int FillMultiplePosition(Tev_Channel* channel, Tev_Channel* child, int targetChannel, int position);

    // Steps of GetPublicChannelForPublicCall.
    bool AcceptPublicChannel(Tev_Channel* publicCall, Tev_Channel* found, int nr);
    Tev_Channel* EnterPublicChannel(Tev_Channel* publicCall, Tev_Channel* target, bool enter);
    void RegisterPublicChannelRequest(Tev_Channel* publicCall, int nr);
    Tev_Channel* ResolveMissingPublicChannel(Tev_Channel* publicCall, int nr, bool enter);
    Tev_Channel* AutoLoadPublicChannel(Tev_Channel* publicCall);
    void StartDynamicAutoLoad(Tev_Channel* publicCall);
    void ReportMissingPublicChannel(Tev_Channel* publicCall);
};

extern TARNWELL_API ChannelInternal channelInternal;
