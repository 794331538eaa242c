// A large group loaded and released again and again in one engine leaves nothing behind:
// heap in use returns to the same figure each round (under the sanitizers their heap, and
// their leak check at exit covers what is no longer referenced at all).
#include <gtest/gtest.h>

#include "Tev_Channel.h"
#include "support/ReloadSupport.h"
#include "support/TestEngine.h"

TEST(ChannelGroupReload, LoadingAndReleasingALargeGroupKeepsMemoryFlat) {
    constexpr int kChannels = 10000;
    constexpr int kRounds = 8;
    tarnwell_test::TestEngineOptions options;
    options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
    options.forwardToErrorLog = false;
    tarnwell_test::TestEngine engine(options);
    tarnwell_test::TempDir dir("tarnwell-reload");
    const std::string path = dir.Path() + "/tree.cgr";
    EngineInterface* api = engine.Engine();
    ASSERT_TRUE(tarnwell_test::SaveTreeGroup(api, kChannels, path));

    size_t settled = 0;
    long settledRecords = 0;
    for (int round = 1; round <= kRounds; round++) {
        Tev_ChannelGroup* group = api->LoadChannelGroup(path.c_str(), nullptr);
        ASSERT_NE(group, nullptr);
        ASSERT_EQ(group->GetChannelCount(), kChannels);
        EXPECT_GE(group->GetChannel(0)->GetChildCount(), 8) << "links were made";
        api->DeleteChannelGroup(group->GetGroupIndex());
        // The first rounds grow the engine's tables to their working size.
        if (round == 3) {
            settled = tarnwell_test::HeapInUse();
            settledRecords = Tev_Channel::GetSlabRecordCount();
        }
    }
    const size_t last = tarnwell_test::HeapInUse();
    // Some kilobytes of slack for the allocator's own bookkeeping, far below one channel per round.
    EXPECT_LE(last, settled + 64 * 1024) << "heap grew from " << settled << " to " << last << " bytes";
    // Channels and their link records live in the kernel's slabs, which the heap figure misses.
    EXPECT_EQ(Tev_Channel::GetSlabRecordCount(), settledRecords);
    EXPECT_EQ(engine.Messages().size(), 0u);
    EXPECT_EQ(api->GetChannelGroup(0), nullptr);
}
