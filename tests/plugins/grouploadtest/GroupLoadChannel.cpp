#include "GroupLoadChannel.h"

#include "ChannelPlugin.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"

namespace {

class GroupLoadChannel : public Tev_Channel {
public:
    bool LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) override {
        if (!Tev_Channel::LoadChannel(loader, group)) return false;
        const char* file = GetChannelName();
        if (engineInterface && file && file[0]) engineInterface->LoadChannelGroup(file, nullptr);
        return true;
    }
};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(GroupLoadChannel, "Group Load", kGroupLoadGuid, kGroupLoadGuid)
