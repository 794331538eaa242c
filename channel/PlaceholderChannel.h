// Private: the channel that stands in a group for one whose type no installed plug-in makes,
// when the engine is asked to keep such channels. It keeps the type, the name and every byte
// of the record and the blocks after it, and writes them back unchanged; the group runs
// without it. Other channels' links to it survive: every link position takes it, and it hands
// out nothing, so no plug-in ever calls into a class it does not know.
#pragma once

#include "ChannelType.h"
#include "Tev_Channel.h"
#include "channel/KeptBlocks.h"

class PlaceholderChannel : public Tev_Channel {
public:
    PlaceholderChannel(EngineInterface* engine, const ChannelType& storedType);

    // Keeps the entry's blocks up to a tag `end` names (the next entry or the group's blocks).
    void Keep(TevFileLoader& loader, KeptBlocks::EndTag end);
    const KeptBlocks& Kept() const { return kept; }

    void CallChannel() override;
    ChannelType GetChannelType() override;
    bool SaveChannel(TevFileSaver& saver) override;
    // Read outside a group file entry: up to the next channel entry or the group's blocks.
    bool LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) override;
    void SetChannelInterfaceType(int type) override;
    Tev_Channel* GetChannelFromChannel(Tev_Channel* caller, ChildInfo* entry) override;
    // A link of its record to the removed index is dropped, as a channel drops it: a channel
    // added there later must not become its child on the next load.
    void CheckIndexNrRemoval(int indexNr) override;

    static bool Is(Tev_Channel* channel);

private:
    void ReportOnce();

    ChannelType type;  // as the group file gave it
    KeptBlocks kept;
    bool reported = false;
};
