// The channel's record in a group file: the kernel-owned state as a run of tagged blocks.
// Links are stored by the child's index number; a link to a channel that is read later is
// left with the group as a request and completed when that channel arrives.
#include <cstdint>
#include <string>

#include "ChannelInternal.h"
#include "ChannelPoolManagement.h"
#include "ChannelRecords.h"
#include "ChildCreation.h"
#include "ChildInfo.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FilePathFind.h"
#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "Tev_String.h"
#include "channel/ChannelMessages.h"
#include "format/ChannelRecordFormat.h"
#include "format/LinkRecordCodec.h"
#include "foundation/ListStorage.h"
#include "foundation/TaggedBlocks.h"
#include "platform/Text.h"

namespace {

namespace tags = channelrecordformat;

// The smallest stored link: the link tag, its size and its index number.
const unsigned long kMinLinkBytes = 12;
// No plug-in declares anywhere near this many link positions. A waiting public call keeps a
// link's position as its placeholder slot, so a larger one would grow that many empty slots.
const int32_t kMaxLinkPosition = 65535;
const char* const kUnnamed = " ";

bool ReadBool(TevFileLoader& loader, const char* tag, bool& value) {
    unsigned char byte = value ? 1 : 0;
    if (!tagblock::ReadFlag(loader, tag, byte)) return false;
    value = byte != 0;
    return true;
}

// Names of a pool list: present ones as text blocks, absent ones as the bare end tag.
void SaveNames(TevFileSaver& saver, Tev_List* names, const char* countTag, const char* nameTag,
               const char* absentTag) {
    tagblock::WriteInt(saver, countTag, names->GetItemCount());
    for (int i = 0; i < names->GetItemCount(); i++) {
        Tev_String* name = static_cast<Tev_String*>(names->GetItem(i));
        if (name && name->GetString())
            tagblock::WriteText(saver, nameTag, name->GetString());
        else
            tagblock::WriteTagOnly(saver, absentTag);
    }
}

}  // namespace

// ---- saving ----

bool Tev_Channel::SaveChannel(TevFileSaver& saver) {
    RewritePublicCallFileName();
    tagblock::WriteFlag(saver, tags::kIgnoreTreeCount, ignoreTreeCount ? 1 : 0);
    tagblock::WriteText(saver, tags::kName, channelName ? channelName : kUnnamed);
    tagblock::WriteInt(saver, tags::kInterfaceType, channelInterfaceType);
    if (channelInterfaceType == PEX_PUBLICCALL) {
        PublicCallInfo fallback;
        unsigned char record[linkrecord::kPublicCallInfoSize];
        linkrecord::EncodePublicCallInfo(publicCallInfo ? *publicCallInfo : fallback, record);
        tagblock::WriteBytes(saver, tags::kPublicCall, record, sizeof(record));
        tagblock::WriteFlag(saver, tags::kTreeCountMode, treeCountMode);
    }
    if (channelInterfaceType == PEX_PARAMETER)
        tagblock::WriteInt(saver, tags::kParameterIndex, parameterInfo ? parameterInfo->index : 0);
    SaveLinks(saver);
    tagblock::WriteFlag(saver, tags::kUsePool, usePoolChannel ? 1 : 0);
    SavePoolNames(saver);
    return true;
}

// A public call that can reach its target stores the target's group file relative to its own,
// so the pair of files can move together.
void Tev_Channel::RewritePublicCallFileName() {
    if (channelInterfaceType != PEX_PUBLICCALL || !publicCallInfo) return;
    if (!publicCallInfo->autoLoadGroup && !publicCallInfo->dynamicAutoLoadGroup) return;
    Tev_Channel* target = channelInternal.GetPublicChannelForPublicCall(this, false);
    Tev_ChannelGroup* targetGroup = target ? target->GetChannelGroup() : nullptr;
    const char* targetFile = targetGroup ? targetGroup->GetChannelGroupFileName() : nullptr;
    if (!targetFile || !targetFile[0]) return;
    FilePathFind paths(engineInterface);
    if (channelGroup) paths.SetSourcePath(channelGroup->GetChannelGroupFileName());
    const char* relative = paths.GetValidRelativeDir(targetFile);
    if (relative) platform::CopyText(publicCallInfo->fileName, sizeof(publicCallInfo->fileName), relative);
}

void Tev_Channel::SaveLinks(TevFileSaver& saver) {
    // The placeholder head of a waiting public call is rebuilt on loading, never stored.
    int count = children.GetItemCount() - (waitingForPublicChannel ? 1 : 0);
    if (count < 0) count = 0;
    tagblock::WriteInt(saver, tags::kLinkCount, count);
    for (int i = 0; i < count; i++) {
        ChildInfo* entry = static_cast<ChildInfo*>(children.GetItem(i));
        Tev_Channel* child = entry ? entry->channel : nullptr;
        tagblock::WriteInt(saver, tags::kLinkIndex, child ? child->channelIDIndexNr : -1);
        if (!entry) continue;
        // A waiting public call records each child at the link position it will take.
        tagblock::WriteInt(saver, tags::kLinkPosition, waitingForPublicChannel ? i : entry->linkPosition);
        if (child) tagblock::WriteInt(saver, tags::kLinkSlot, waitingForPublicChannel ? 0 : entry->nodeCount);
    }
}

// A channel that uses pools may also be a member of others: both lists are written, or the
// memberships would be lost on loading (the reader takes the second after the first either way).
void Tev_Channel::SavePoolNames(TevFileSaver& saver) {
    if (channelPoolInfo)
        SaveNames(saver, channelPoolInfo->poolNames, tags::kPoolCount, tags::kPoolName, tags::kPoolEnd);
    if (poolItemNames)
        SaveNames(saver, poolItemNames, tags::kPoolItemCount, tags::kPoolItemName, tags::kPoolItemEnd);
}

// ---- loading ----

bool Tev_Channel::LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) {
    delete publicCallInfo;
    publicCallInfo = nullptr;
    delete parameterInfo;
    parameterInfo = nullptr;
    if (!group) {
        channelmsg::Error(engineInterface, channelmsg::kGroupIsNull);
        return false;
    }
    ReadBool(loader, tags::kIgnoreTreeCount, ignoreTreeCount);
    if (!loader.GetInfoIfTag(tags::kName)) {
        channelmsg::Error(engineInterface, channelmsg::kNoNameHeader);
        return false;
    }
    std::string name;
    if (tagblock::ReadText(loader, name) > 0) SetChannelName(name.c_str());
    int32_t type = channelInterfaceType;
    if (tagblock::ReadInt(loader, tags::kInterfaceType, type))
        channelInterfaceType = type;  // no checks: the file is trusted here
    LoadInterfaceRecord(loader);
    if (!LoadLinks(loader, group)) return false;
    ReadBool(loader, tags::kUsePool, usePoolChannel);
    LoadPoolNames(loader);
    return true;
}

void Tev_Channel::LoadInterfaceRecord(TevFileLoader& loader) {
    if (channelInterfaceType == PEX_PUBLICCALL) {
        channelInternal.ReleaseChilderen(this);
        publicCallInfo = new PublicCallInfo();
        if (loader.GetInfoIfTag(tags::kPublicCall)) {
            // A short block replaces only the bytes it has; the rest keeps the defaults.
            unsigned char record[linkrecord::kPublicCallInfoSize];
            linkrecord::EncodePublicCallInfo(*publicCallInfo, record);
            tagblock::ReadBlock(loader, record, sizeof(record));
            linkrecord::DecodePublicCallInfo(record, *publicCallInfo);
            publicCallInfo->childCreation.childInfo = nullptr;
        }
        treeCountMode = 1;
        tagblock::ReadFlag(loader, tags::kTreeCountMode, treeCountMode);
    } else if (channelInterfaceType == PEX_PARAMETER) {
        channelInternal.ReleaseChilderen(this);
        parameterInfo = new ParameterInfo();
        int32_t index = 0;
        tagblock::ReadInt(loader, tags::kParameterIndex, index);
        parameterInfo->index = index;
    }
}

bool Tev_Channel::LoadLinks(TevFileLoader& loader, Tev_ChannelGroup* group) {
    if (!loader.GetInfoIfTag(tags::kLinkCount)) {
        channelmsg::Error(engineInterface, channelmsg::kNoLinkCountHeader);
        return false;
    }
    int32_t count = tagblock::ReadIntBlock(loader, 0);
    // Every link takes at least one block: a count beyond what the rest of the file can hold
    // is missing its links, and must not bound the slot numbers below.
    if (count > 0 && static_cast<unsigned long>(count) > loader.GetBufferSize() / kMinLinkBytes) {
        ReportMissingLinks(count);
        return false;
    }
    for (int i = 0; i < count; i++) {
        if (!loader.GetInfoIfTag(tags::kLinkIndex)) {
            ReportMissingLinks(count);
            return false;
        }
        int32_t indexNr = tagblock::ReadIntBlock(loader, -1);
        int32_t linkPosition = -1;
        tagblock::ReadInt(loader, tags::kLinkPosition, linkPosition);
        // Older files have no slot numbers: the slot follows from the entry's place.
        int64_t slot = static_cast<int64_t>(i) - linkPosition;
        int32_t storedSlot = 0;
        if (tagblock::ReadInt(loader, tags::kLinkSlot, storedSlot)) slot = storedSlot;
        if (indexNr == -1) continue;
        if (linkPosition > kMaxLinkPosition) {
            channelmsg::Error(engineInterface, channelmsg::kLinkPositionOutOfRange);
            channelmsg::Error(engineInterface, static_cast<int>(linkPosition));
            channelmsg::Error(engineInterface, channelName ? channelName : "");
            return false;
        }
        // A waiting public call keeps the position as its placeholder slot, so it is bounded as
        // slots are: a file written by the kernel never names one beyond the links it stores.
        if (channelInterfaceType == PEX_PUBLICCALL && linkPosition > count) {
            channelmsg::Error(engineInterface, channelmsg::kLinkPositionBeyondLinks);
            channelmsg::Error(engineInterface, static_cast<int>(linkPosition));
            channelmsg::Error(engineInterface, channelName ? channelName : "");
            return false;
        }
        // A slot is never beyond the entries stored before it; a larger one would make a
        // multiple position grow by that many empty slots.
        if (slot > count) {
            channelmsg::Error(engineInterface, channelmsg::kSlotOutOfRange);
            channelmsg::Error(engineInterface, static_cast<int>(slot));
            channelmsg::Error(engineInterface, channelName ? channelName : "");
            return false;
        }
        LoadLink(group, indexNr, static_cast<int>(slot), linkPosition);
    }
    return true;
}

void Tev_Channel::LoadLink(Tev_ChannelGroup* group, int indexNr, int slot, int linkPosition) {
    Tev_Channel* child = group->GetChannel(indexNr);
    if (child) {
        SetChild(child, slot, linkPosition);
        return;
    }
    ChannelRequestInfo request;
    request.channelIndex = indexNr;
    request.targetChannel = slot;
    request.channel = this;
    request.linkPosition = linkPosition;
    group->AddChannelRequest(request);
    if (!pendingLinks) pendingLinks = new Tev_List();
    PendingLink* pending = new PendingLink();
    pending->channelIndex = indexNr;
    pending->targetChannel = slot;
    if (TevListStorage::Append(*pendingLinks, pending) < 0) delete pending;
}

void Tev_Channel::ReportMissingLinks(int count) {
    channelmsg::Error(engineInterface, channelmsg::kNoLinksHeader);
    channelmsg::Error(engineInterface, count);
    channelmsg::Error(engineInterface, channelName ? channelName : "");
}

void Tev_Channel::LoadPoolNames(TevFileLoader& loader) {
    int32_t count = 0;
    if (tagblock::ReadInt(loader, tags::kPoolCount, count)) {
        if (!channelPoolInfo) channelPoolInfo = new ChannelPoolInfo();
        for (int i = 0; i < count; i++) {
            bool named = loader.GetInfoIfTag(tags::kPoolName);
            std::string name;
            if (named && tagblock::ReadText(loader, name) > 0) {
                Tev_String* text = new Tev_String();
                text->SetString(name.c_str());
                channelPoolInfo->poolNames->AddItem(text);
            }
            bool ended = loader.GetInfoIfTag(tags::kPoolEnd);
            // A round that reads nothing leaves the reader where it was: so would every
            // further round, however large the stored count.
            if (!named && !ended) break;
        }
    }
    if (!tagblock::ReadInt(loader, tags::kPoolItemCount, count)) return;
    if (!poolItemNames) poolItemNames = new Tev_List();
    ChannelPoolManagement* pools = nullptr;
    if (engineInterface && engineInterface->engineInterfaceExt)
        pools = engineInterface->engineInterfaceExt->GetChannelPoolManagement();
    for (int i = 0; i < count; i++) {
        bool named = loader.GetInfoIfTag(tags::kPoolItemName);
        std::string name;
        if (named && tagblock::ReadText(loader, name) > 0) {
            Tev_String* text = new Tev_String();
            text->SetString(name.c_str());
            poolItemNames->AddItem(text);
            if (pools) pools->CreatePoolItem(name.c_str(), this);
        }
        bool ended = loader.GetInfoIfTag(tags::kPoolItemEnd);
        if (!named && !ended) break;
    }
}
