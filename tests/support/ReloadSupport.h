// Loading and releasing one large group many times: a saved tree of test channels and the
// process's memory figures, shared by the reload test and the reload memory program.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "ChannelInternal.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/ProcessFigures.h"

namespace tarnwell_test {

// `count` counter channels, each parent linked to up to 8 children, saved to `path`; the
// group itself is released again. False when a channel could not be made or saved.
inline bool SaveTreeGroup(EngineInterface* engine, int count, const std::string& path) {
    auto group = std::make_unique<Tev_ChannelGroup>(engine);
    // Placed directly: AddChannel looks for the channel first, which is quadratic here.
    for (int i = 0; i < count; i++) {
        Tev_Channel* channel = engine->InitChannelFromType(kTestCounterGuid, nullptr, false);
        if (!channel) return false;
        channelInternal.SetChannelIDIndexNr(channel, i);
        channelInternal.SetChannelGroup(channel, group.get());
        group->SetChannel(channel, i);
    }
    for (int node = 1; node < count; node++)
        group->GetChannel((node - 1) / 8)->SetChild(group->GetChannel(node), (node - 1) % 8, 0);
    return group->SaveChannelGroup(path.c_str());
}

}  // namespace tarnwell_test
