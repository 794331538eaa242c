// Channel group: writing the group file, and the ways into reading one (a file or a buffer).
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "EngineInterface.h"
#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "channel/KeptBlocks.h"
#include "format/GroupFileFormat.h"
#include "format/ParameterRecordCodec.h"
#include "foundation/ExceptionBoundary.h"
#include "foundation/TaggedBlocks.h"
#include "foundation/TraceHook.h"
#include "group/GroupFileMessages.h"
#include "group/GroupState.h"

namespace {

const char* const kNoPoolName = "No Name Instance";

// After the blocks the channel wrote: what its plug-in left unread when the group was read.
void WriteUnread(TevFileSaver& saver, Tev_Channel* channel,
                 const std::unordered_map<Tev_Channel*, KeptBlocks>& unread) {
    const auto kept = unread.find(channel);
    if (kept != unread.end()) kept->second.Write(saver);
}

}  // namespace

bool Tev_ChannelGroup::SaveChannelGroup(TevFileSaver& saver) {
    tagblock::WriteTagOnly(saver, groupfileformat::kGroup);
    int count = GetChannelCount();
    tagblock::WriteInt(saver, groupfileformat::kChannelCount, count);
    for (int i = 0; i < count; i++) {
        Tev_Channel* channel = GetChannel(i);
        if (!channel) {
            tagblock::WriteInt(saver, groupfileformat::kChannelIndex, -1);
            continue;
        }
        tagblock::WriteInt(saver, groupfileformat::kChannelIndex, channel->GetChannelIDIndexNr());
        tagblock::WriteGuid(saver, groupfileformat::kTypeGuid, channel->GetChannelType().typeGuid);
        channel->SaveChannel(saver);
        if (!state->unread.empty()) WriteUnread(saver, channel, state->unread);
    }
    tagblock::WriteInt(saver, groupfileformat::kStartChannel, startChannel);

    int parameters = parameterInfoList->GetItemCount();
    tagblock::WriteInt(saver, groupfileformat::kParameterCount, parameters);
    std::vector<unsigned char> records(static_cast<size_t>(parameters) * parameterrecord::kSize);
    for (int i = 0; i < parameters; i++) {
        auto* info = static_cast<ParameterInterfaceInfo*>(parameterInfoList->GetItem(i));
        unsigned char* out = records.data() + static_cast<size_t>(i) * parameterrecord::kSize;
        if (info)
            parameterrecord::Encode(*info, out);
        else
            parameterrecord::EncodeEmpty(out);
    }
    tagblock::WriteBytes(saver, groupfileformat::kParameters, records.data(), records.size());

    const char* pool = GetPoolName();
    tagblock::WriteText(saver, groupfileformat::kPoolName, pool && pool[0] ? pool : kNoPoolName);
    tagblock::WriteGuid(saver, groupfileformat::kGroupGuid, uniqueGroupGuid);
    // The writer remembers a failed block and then refuses to close: one answer for the
    // whole file, and a failed save is never reported as done.
    return saver.CloseSaveFile();
}

bool Tev_ChannelGroup::SaveChannelGroup(const char* path) {
    TevFileSaver saver(engineInterface);
    if (readOnly && engineInterface)
        engineInterface->showUserWarningMessage(
            groupfilemsg::WithText(groupfilemsg::kReadOnlySave, path).c_str());
    if (!path || !saver.OpenSaveFile(path, false)) {
        if (engineInterface)
            engineInterface->showErrorMessage(
                groupfilemsg::WithText(groupfilemsg::kCannotCreate, path).c_str());
        return false;
    }
    // Set before writing: channels store paths relative to the group's file.
    const char* previous = GetChannelGroupFileName();
    const bool hadName = previous != nullptr;
    const std::string previousName = hadName ? previous : "";
    SetChannelGroupFileName(path);
    if (SaveChannelGroup(saver)) return true;
    // The file on disk is still the old one (or none), so the group keeps its old name too.
    SetChannelGroupFileName(hadName ? previousName.c_str() : nullptr);
    if (engineInterface)
        engineInterface->showErrorMessage(groupfilemsg::WithText(groupfilemsg::kCannotWrite, path).c_str());
    return false;
}

bool Tev_ChannelGroup::LoadChannelGroupFromFile(const char* path, bool usePoolNameFromFile) {
    if (!path) return false;
    tracehook::Span span(TEV_TRACE_GROUP_LOAD, path);
    TevFileLoader loader(engineInterface);
    if (!loader.LoadFile(path)) {
        if (engineInterface)
            engineInterface->showUserErrorMessage(
                groupfilemsg::WithText(groupfilemsg::kCannotLoad, path).c_str());
        return false;
    }
    SetChannelGroupFileName(path);
    return boundary::Guard(engineInterface, groupfilemsg::kLoadFailedWith, false,
                           [&] { return LoadChannelGroup(loader, usePoolNameFromFile); });
}

bool Tev_ChannelGroup::LoadChannelGroupFromBuffer(const char* name, int size, void* buffer,
                                                  bool usePoolNameFromFile) {
    if (!name) return false;
    tracehook::Span span(TEV_TRACE_GROUP_MAKE, name);
    TevFileLoader loader(engineInterface);
    // A negative size or a missing buffer reads as empty content: not a channel group.
    if (size < 0 || !buffer) size = 0;
    loader.SetBuffer(static_cast<char*>(buffer), static_cast<unsigned long>(size), false);
    SetChannelGroupFileName(name);
    return boundary::Guard(engineInterface, groupfilemsg::kLoadFailedWith, false,
                           [&] { return LoadChannelGroup(loader, usePoolNameFromFile); });
}
