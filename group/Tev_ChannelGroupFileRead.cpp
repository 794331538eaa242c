// Channel group: reading the group file. Group files come from other machines, so every count
// and index is checked against what the content can hold before anything is sized by it.
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>

#include "ChannelInternal.h"
#include "ChannelType.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FileLoaderChannels.h"
#include "TevFileLoader.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "channel/EntryEnds.h"
#include "channel/KeptBlocks.h"
#include "channel/PlaceholderChannel.h"
#include "format/GroupFileFormat.h"
#include "format/ParameterRecordCodec.h"
#include "format/TagFormat.h"
#include "foundation/TaggedBlocks.h"
#include "group/GroupFileMessages.h"
#include "group/GroupLoadOptions.h"
#include "group/GroupState.h"
#include "group/LinkRequestWarming.h"

namespace {

namespace tags = groupfileformat;

// The smallest channel entry: the index tag, its size and the index number.
const unsigned long kMinEntryBytes = 12;
const size_t kTypeNameSize = sizeof(ChannelType::typeName);

// Moves past whatever the last channel left unread (blocks a newer version added), up to the
// group's own blocks or the end, as the search for the next index block does between channels.
void SkipToGroupBlocks(TevFileLoader& loader) {
    char tag[tagformat::kWordSize + 1] = {0};
    while (loader.GetTagData(tag) && !entryend::IsGroupBlock(tag))
        if (!loader.GetInfoIfTag(tag)) return;
}

// The type record carried from entry to entry: each block overwrites only its own field.
void ReadTypeBlocks(TevFileLoader& loader, ChannelType& type) {
    if (!tagblock::ReadGuid(loader, tags::kTypeGuid, type.typeGuid)) return;
    if (loader.GetInfoIfTag(tags::kTypeName)) {
        std::memset(type.typeName, 0, kTypeNameSize);
        tagblock::ReadBlock(loader, type.typeName, kTypeNameSize - 1);
    }
    tagblock::ReadInt(loader, tags::kTypeVersion, type.versionInfo[2]);
    tagblock::ReadGuid(loader, tags::kBaseGuid, type.baseGuid);
}

void KeepUnread(TevFileLoader& loader, Tev_Channel* channel, KeptBlocks::EndTag end,
                std::unordered_map<Tev_Channel*, KeptBlocks>& unread) {
    KeptBlocks blocks;
    blocks.Capture(loader, end);
    if (!blocks.Empty()) unread[channel] = std::move(blocks);
}

}  // namespace

bool Tev_ChannelGroup::LoadChannelGroup(TevFileLoader& loader, bool usePoolNameFromFile) {
    readOnly = (loader.GetAttributes() & TEV_FILE_ATTRIBUTE_READONLY) != 0;
    Release();
    if (!engineInterface) return false;
    if (loader.CheckHeader(tags::kTranslator, false) && engineInterface->engineInterfaceExt)
        engineInterface->engineInterfaceExt->TranslateFile(&loader);
    if (!loader.GetInfoIfTag(tags::kGroup)) {
        engineInterface->showUserErrorMessage(groupfilemsg::kNotAGroup);
        engineInterface->showErrorMessage(
            groupfilemsg::WithNumber(groupfilemsg::kFailedBufferSize, loader.GetBufferSize()).c_str());
        return false;
    }
    loader.GetInfoIfTag(tags::kEnvironment);
    if (!loader.GetInfoIfTag(tags::kChannelCount)) {
        engineInterface->showErrorMessage(groupfilemsg::kNoItemCount);
        return false;
    }
    int32_t count = tagblock::ReadIntBlock(loader, 0);
    ChannelType type;
    // Every position has an entry of its own: a count the rest of the content cannot hold
    // lacks entries, and must not bound the index numbers below.
    if (count > 0 && static_cast<unsigned long>(count) > loader.GetBufferSize() / kMinEntryBytes) {
        ReportMissingEntry(type);
        return false;
    }
    state->requests.ExpectNumbers(count);
    for (int i = 0; i < count; i++) {
        // Only an index that stands for the list holds nothing a derived group deleted.
        if (state->requests.Describes(*requestList)) WarmWaitingLinks(state->requests, i);
        if (!LoadChannelEntry(loader, i, count, type)) return false;
    }
    return LoadGroupBlocks(loader, usePoolNameFromFile);
}

bool Tev_ChannelGroup::LoadChannelEntry(TevFileLoader& loader, int position, int count, ChannelType& type) {
    if (!loader.GotoTag(tags::kChannelIndex, 0)) {
        ReportMissingEntry(type);
        return false;
    }
    int32_t indexNr = tagblock::ReadIntBlock(loader, -1);
    if (indexNr == -1) {
        // Grows the array to the position; a channel an earlier entry put here stays.
        if (!GetChannel(position)) channelList->SetItem(nullptr, position);
        return true;
    }
    if (indexNr < 0 || indexNr >= count || GetChannel(indexNr)) {
        engineInterface->showUserErrorMessage(groupfilemsg::kNotAGroup);
        engineInterface->showErrorMessage(groupfilemsg::WithNumber(groupfilemsg::kBadIndex, indexNr).c_str());
        return false;
    }
    ReadTypeBlocks(loader, type);
    const bool keep = grouploadoptions::KeepUnknownChannels(engineInterface);
    Tev_Channel* channel = engineInterface->InitChannelFromType(type, nullptr, false);
    PlaceholderChannel* placeholder = nullptr;
    if (!channel && keep) channel = placeholder = new PlaceholderChannel(engineInterface, type);
    if (!channel) {
        ReportChannelFailure(groupfilemsg::kNoChannelDll, type);
        return false;
    }
    channelInternal.SetChannelIDIndexNr(channel, indexNr);
    channelList->SetItem(channel, indexNr);
    channelInternal.SetChannelGroup(channel, this);
    // The last entry ends where the group's own blocks begin.
    const KeptBlocks::EndTag end =
        position + 1 < count ? &entryend::IsNextEntry : &entryend::IsNextEntryOrGroupBlock;
    if (placeholder) {
        placeholder->Keep(loader, end);
    } else if (!channel->LoadChannel(loader, this)) {
        ReportChannelFailure(groupfilemsg::kCannotLoadChannel, type);
        return false;
    } else if (keep) {
        KeepUnread(loader, channel, end, state->unread);
    }
    CheckRequestListForIndex(indexNr);
    return true;
}

bool Tev_ChannelGroup::LoadGroupBlocks(TevFileLoader& loader, bool usePoolNameFromFile) {
    SkipToGroupBlocks(loader);
    tagblock::ReadInt(loader, tags::kStartChannel, startChannel);
    int32_t parameters = 0;
    tagblock::ReadInt(loader, tags::kParameterCount, parameters);
    if (loader.GetInfoIfTag(tags::kParameters) && !LoadParameterRecords(loader, parameters)) return false;
    if (loader.GetInfoIfTag(tags::kPoolName)) {
        std::string name;
        tagblock::ReadText(loader, name);
        if (usePoolNameFromFile) {
            // Numbered after every group already loaded under that name.
            int high = engineInterface->GetHighInstance(name.c_str());
            SetPoolName(name.c_str());
            SetPoolNr(high + 1);
        }
    } else if (usePoolNameFromFile) {
        // The group keeps no number then; the caller's refusal alone would not say why.
        engineInterface->showErrorMessage(
            groupfilemsg::WithText(groupfilemsg::kNoPoolName, GetChannelGroupFileName()).c_str());
    }
    tagblock::ReadGuid(loader, tags::kGroupGuid, uniqueGroupGuid);
    loader.GetInfoIfTag(tags::kTrailer);
    // Links to index numbers that never appeared are dropped without a message.
    DeleteRequests();
    return true;
}

bool Tev_ChannelGroup::LoadParameterRecords(TevFileLoader& loader, int parameters) {
    unsigned long size = loader.GetSizeDataBlock(true);
    if (parameters <= 0) return true;
    if (static_cast<unsigned long>(parameters) > size / parameterrecord::kSize) {
        engineInterface->showUserErrorMessage(groupfilemsg::kNotAGroup);
        engineInterface->showErrorMessage(
            groupfilemsg::WithNumber(groupfilemsg::kBadParameterCount, parameters).c_str());
        return false;
    }
    for (int b = 0; b < parameters; b++) {
        const unsigned char* record = reinterpret_cast<const unsigned char*>(loader.GetBuffer());
        if (!record) return false;
        SetParameterInfo(parameterrecord::Decode(record), b);
        loader.AddBufferPos(static_cast<long>(parameterrecord::kSize));
    }
    return true;
}

void Tev_ChannelGroup::ReportMissingEntry(const ChannelType& type) {
    engineInterface->showUserErrorMessage(groupfilemsg::kNotAGroup);
    engineInterface->showErrorMessage(groupfilemsg::kNoIndexHeader);
    engineInterface->showErrorMessage(type.typeGuid);
    engineInterface->showErrorMessage(
        groupfilemsg::WithText(groupfilemsg::kLoaderFile, GetChannelGroupFileName()).c_str());
}

void Tev_ChannelGroup::ReportChannelFailure(const char* developerText, const ChannelType& type) {
    engineInterface->showUserInfoMessage(groupfilemsg::kBackwardCompatible);
    engineInterface->showUserErrorMessage(groupfilemsg::kMissingComponent);
    engineInterface->showErrorMessage(developerText);
    engineInterface->showErrorMessage(type.typeGuid);
}
