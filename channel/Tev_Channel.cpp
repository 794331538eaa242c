// Life of a channel: construction, release order, type, names, time stamps, the once-per-pass
// guard and the interface type.
#include "Tev_Channel.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "ChannelInternal.h"
#include "ChannelPoolManagement.h"
#include "ChannelRecords.h"
#include "ChildCreation.h"
#include "ChildInfo.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_ChannelGroup.h"
#include "Tev_String.h"
#include "channel/ChannelMessages.h"
#include "channel/SharedChannelTypes.h"
#include "foundation/ListItems.h"
#include "platform/Clock.h"

Tev_Channel::Tev_Channel()
    : channelType(nullptr),
      lastTreeCount(-1),
      channelIDIndexNr(-1),
      channelInterfaceType(PEX_NORMAL),
      publicCallInfo(nullptr),
      parameterInfo(nullptr),
      pendingLinks(nullptr),
      publicChannelRequests(nullptr),
      publicChannelInstances(nullptr),
      channelName(nullptr),
      channelGroup(nullptr),
      waitingForPublicChannel(false),
      lastCallTime(platform::GetTickCount()),
      ignoreTreeCount(false),
      timeStamp(static_cast<uint32_t>(std::rand())),
      dynamicLoadPending(false),
      treeCountMode(1),
      treeRecalculateCount(0),
      usePoolChannel(false),
      poolItemNames(nullptr),
      channelPoolInfo(nullptr),
      childChannels(nullptr),
      childChannelCount(0),
      childChannelCapacity(0) {}

Tev_Channel::~Tev_Channel() {
    ReleaseLinkRecords();
    FreeChildChannels();
    ReleasePendingLinks();
    delete parameterInfo;
    parameterInfo = nullptr;
    delete publicCallInfo;
    publicCallInfo = nullptr;
    delete[] channelName;
    channelName = nullptr;
    if (!sharedtypes::IsShared(channelType)) delete channelType;
    channelType = nullptr;
    delete publicChannelRequests;  // marks only, nothing owned behind them
    publicChannelRequests = nullptr;
    delete publicChannelInstances;  // the instances belong to their groups
    publicChannelInstances = nullptr;
    ReleasePoolItemNames();
    delete channelPoolInfo;
    channelPoolInfo = nullptr;
}

void Tev_Channel::ReleaseLinkRecords() {
    listitems::DeleteAll<ChildCreation>(childCreations);
    ReleaseLinkEntries();
    // The placeholder position points at a head that is gone now.
    if (publicCallInfo) publicCallInfo->childCreation.childInfo = nullptr;
}

void Tev_Channel::ReleasePendingLinks() {
    if (!pendingLinks) return;
    for (int i = 0; i < pendingLinks->GetItemCount(); ++i) delete listitems::At<PendingLink>(*pendingLinks, i);
    delete pendingLinks;
    pendingLinks = nullptr;
}

void Tev_Channel::ReleasePoolItemNames() {
    if (!poolItemNames) return;
    // Detached first: releasing the membership removes the name from this very list.
    Tev_List* names = poolItemNames;
    poolItemNames = nullptr;
    ChannelPoolManagement* pools = nullptr;
    if (engineInterface && engineInterface->engineInterfaceExt)
        pools = engineInterface->engineInterfaceExt->GetChannelPoolManagement();
    for (int i = 0; i < names->GetItemCount(); ++i) {
        Tev_String* name = listitems::At<Tev_String>(*names, i);
        if (!name) continue;
        if (pools) pools->ReleasePoolItem(name->GetString(), this);
        delete name;
    }
    delete names;
}

void Tev_Channel::CallChannel() {}

void Tev_Channel::OneTimeInitialize() {}

void Tev_Channel::DoEvent(int, TevEventData) {}

ChannelType Tev_Channel::GetChannelType() {
    // The virtual table names the module the channel's code is in.
    if (!channelType)
        channelType = sharedtypes::For(engineInterface, dllInstance, *reinterpret_cast<void**>(this));
    if (!channelType) channelType = new ChannelType();
    return *channelType;
}

void Tev_Channel::SetChannelName(const char* name) {
    if (!name) return;
    size_t length = std::strlen(name);
    if (length > TEV_CHANNEL_NAME_LENGTH) length = TEV_CHANNEL_NAME_LENGTH;
    char* copy = new (std::nothrow) char[length + 1];
    if (!copy) return;  // the channel keeps its name
    std::memcpy(copy, name, length);
    copy[length] = 0;
    delete[] channelName;
    channelName = copy;
}

const char* Tev_Channel::GetChannelName() { return channelName; }

Tev_ChannelGroup* Tev_Channel::GetChannelGroup() { return channelGroup; }

int Tev_Channel::GetChannelIDIndexNr() { return channelIDIndexNr; }

int Tev_Channel::GetChannelInterfaceType() { return channelInterfaceType; }

unsigned long Tev_Channel::GetTimeStamp() { return timeStamp; }

void Tev_Channel::SetTimeStamp() { timeStamp += platform::GetTickCount() + 1; }

bool Tev_Channel::CheckRenderCount() {
    if (ignoreTreeCount) {
        treeRecalculateCount = 0;
        return true;
    }
    int count = 0;
    if (channelGroup)
        count = channelGroup->GetTreeCalculateCount();
    else if (engineInterface)
        count = engineInterface->GetTreeCalculateCount();
    if (count == lastTreeCount) {
        ++treeRecalculateCount;
        return false;
    }
    lastTreeCount = count;
    treeRecalculateCount = 0;
    return true;
}

void Tev_Channel::SetChannelInterfaceType(int type) {
    if (channelInterfaceType == PEX_PUBLICCALL) {
        channelmsg::Error(engineInterface, channelmsg::kInterfacePublicCall);
        return;
    }
    if (channelInterfaceType == PEX_PARAMETER) {
        channelmsg::Error(engineInterface, channelmsg::kInterfaceParameter);
        return;
    }
    if (channelInterfaceType == PEX_CUSTOMCHANNELGET && type != PEX_PUBLICCUSTOMCHANNELGET) {
        channelmsg::Error(engineInterface, channelmsg::kInterfaceCustom);
        return;
    }
    // Public calls elsewhere must drop a channel that stops being public, whatever it becomes,
    // or they would go on handing it out. Without a group nobody can have found it, and there
    // is no pool number to name.
    const bool wasPublic =
        channelInterfaceType == PEX_PUBLIC || channelInterfaceType == PEX_PUBLICCUSTOMCHANNELGET;
    const bool staysPublic = type == PEX_PUBLIC || type == PEX_PUBLICCUSTOMCHANNELGET;
    if (wasPublic && !staysPublic && channelGroup && engineInterface && engineInterface->engineInterfaceExt)
        engineInterface->engineInterfaceExt->CheckPublicChannelRemoval(this, channelGroup->GetPoolNr());

    channelInterfaceType = type;
    delete parameterInfo;
    parameterInfo = nullptr;
    delete publicCallInfo;
    publicCallInfo = nullptr;
    delete publicChannelInstances;
    publicChannelInstances = nullptr;

    if (type == PEX_PUBLIC || type == PEX_PUBLICCUSTOMCHANNELGET) {
        channelInternal.DoPublicChannelNameCheck(this);
    } else if (type == PEX_PUBLICCALL) {
        channelInternal.ReleaseChilderen(this);
        publicCallInfo = new (std::nothrow) PublicCallInfo();
    } else if (type == PEX_PARAMETER) {
        channelInternal.ReleaseChilderen(this);
        parameterInfo = new (std::nothrow) ParameterInfo();
    }
}

void Tev_Channel::CheckIndexNrRemoval(int indexNr) {
    for (int i = 0; i < children.GetItemCount(); ++i) {
        ChildInfo* entry = listitems::At<ChildInfo>(children, i);
        if (!entry || !entry->channel) continue;
        int type = entry->channel->channelInterfaceType;
        Tev_Channel* linked =
            (type >= PEX_PUBLICCALL && type <= PEX_PUBLICCUSTOMCHANNELGET) ? entry->channel : GetChild(i);
        if (linked && linked->channelIDIndexNr == indexNr) SetEntryChannel(entry, i, nullptr);
    }
}

void Tev_Channel::DoDependencyInit(Tev_List*) {}
