// One dependency test plug-in; DEPENDTEST_KIND selects which (see DependTestChannels.h).
#include "../testchannels/TestChannels.h"
#include "ChannelPlugin.h"
#include "DependTestChannels.h"
#include "Tev_Channel.h"

namespace {

class DependTestChannel : public Tev_Channel {
public:
    void DoDependencyInit(Tev_List* list) override {
#if DEPENDTEST_KIND == 1
        AddDLLDepend("rootextra.dll", list);
        AddChannelGuidDepend(kTestRootGuid, list);
        AddChannelGuidDepend(kTestMissingGuid, list);
#elif DEPENDTEST_KIND == 2
        AddDLLDepend("derivedextra.dll", list);
        AddChannelGuidDepend(kTestLinksGuid, list);
#elif DEPENDTEST_KIND == 3
        AddChannelGuidDepend(kDepSelfGuid, list);
        AddDLLDepend("selfextra.dll", list);
#elif DEPENDTEST_KIND == 4
        AddChannelGuidDepend(kDepCycleBGuid, list);
#elif DEPENDTEST_KIND == 5
        AddChannelGuidDepend(kDepCycleAGuid, list);
#else
        (void)list;
#endif
    }
};

}  // namespace

#if DEPENDTEST_KIND == 1
TARNWELL_CHANNEL_PLUGIN(DependTestChannel, "Dependency Root", kDepRootGuid, kDepRootGuid)
#elif DEPENDTEST_KIND == 2
TARNWELL_CHANNEL_PLUGIN(DependTestChannel, "Dependency Derived", kDepDerivedGuid, kDepRootGuid)
#elif DEPENDTEST_KIND == 3
TARNWELL_CHANNEL_PLUGIN(DependTestChannel, "Dependency Self", kDepSelfGuid, kDepSelfGuid)
#elif DEPENDTEST_KIND == 4
TARNWELL_CHANNEL_PLUGIN(DependTestChannel, "Dependency Cycle A", kDepCycleAGuid, kDepCycleAGuid)
#elif DEPENDTEST_KIND == 5
TARNWELL_CHANNEL_PLUGIN(DependTestChannel, "Dependency Cycle B", kDepCycleBGuid, kDepCycleBGuid)
#elif DEPENDTEST_KIND == 6
TARNWELL_CHANNEL_PLUGIN(DependTestChannel, "Dependency Base A", kDepBaseAGuid, kDepBaseBGuid)
#elif DEPENDTEST_KIND == 7
TARNWELL_CHANNEL_PLUGIN(DependTestChannel, "Dependency Base B", kDepBaseBGuid, kDepBaseAGuid)
#else
#error "DEPENDTEST_KIND must name a dependency test plug-in"
#endif
