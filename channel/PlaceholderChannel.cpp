#include "channel/PlaceholderChannel.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "EngineInterface.h"
#include "channel/ChannelMessages.h"
#include "channel/EntryEnds.h"
#include "format/ChannelRecordFormat.h"
#include "format/GuidText.h"
#include "format/LittleEndian.h"
#include "format/TagFormat.h"

PlaceholderChannel::PlaceholderChannel(EngineInterface* engine, const ChannelType& storedType)
    : type(storedType) {
    dllInstance = nullptr;  // no module made it
    engineInterface = engine;
    // A custom getter: GetChild asks it for the channel to hand out, and it answers none.
    channelInterfaceType = PEX_CUSTOMCHANNELGET;
}

void PlaceholderChannel::Keep(TevFileLoader& loader, KeptBlocks::EndTag end) {
    kept.Capture(loader, end);
    std::string name;
    if (kept.FindText(channelrecordformat::kName, name) && !name.empty()) SetChannelName(name.c_str());
}

void PlaceholderChannel::CallChannel() { ReportOnce(); }

ChannelType PlaceholderChannel::GetChannelType() { return type; }

bool PlaceholderChannel::SaveChannel(TevFileSaver& saver) {
    kept.Write(saver);
    return true;
}

bool PlaceholderChannel::LoadChannel(TevFileLoader& loader, Tev_ChannelGroup*) {
    kept = KeptBlocks();
    Keep(loader, &entryend::IsNextEntryOrGroupBlock);
    return true;
}

// The interface type stays what lets it hand out nothing; the stored one is in its blocks.
void PlaceholderChannel::SetChannelInterfaceType(int) {}

Tev_Channel* PlaceholderChannel::GetChannelFromChannel(Tev_Channel*, ChildInfo*) {
    ReportOnce();
    return nullptr;
}

void PlaceholderChannel::CheckIndexNrRemoval(int indexNr) {
    namespace record = channelrecordformat;
    int32_t links = -1;  // CHLI blocks still to come once the link count is read
    kept.VisitTags([&](const char* tag, unsigned char* block, size_t size) {
        const bool sized = block && size == sizeof(int32_t);
        if (links < 0) {
            if (std::memcmp(tag, record::kLinkCount, tagformat::kWordSize) == 0)
                links = sized ? std::max(0, littleendian::GetInt(block)) : 0;
            return true;
        }
        if (std::memcmp(tag, record::kLinkIndex, tagformat::kWordSize) == 0) {
            if (sized && littleendian::GetInt(block) == indexNr) littleendian::PutInt(block, -1);
            --links;
        }
        return links > 0;
    });
}

bool PlaceholderChannel::Is(Tev_Channel* channel) {
    return dynamic_cast<PlaceholderChannel*>(channel) != nullptr;
}

void PlaceholderChannel::ReportOnce() {
    if (reported || !engineInterface) return;
    reported = true;
    const char* name = GetChannelName();
    const std::string text = std::string(channelmsg::kPlaceholderCalled) + "\"" + (name ? name : "") + "\" " +
                             GuidText(type.typeGuid);
    engineInterface->showUserWarningMessage(text.c_str());
}
