#include "channel/PlaceholderChannel.h"

#include <string>

#include "EngineInterface.h"
#include "channel/ChannelMessages.h"
#include "channel/EntryEnds.h"
#include "format/ChannelRecordFormat.h"
#include "format/GuidText.h"

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
