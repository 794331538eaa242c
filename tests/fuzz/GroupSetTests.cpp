// Group sets as the group set fuzz harness decodes, writes and loads them
// (groupset/GroupSet*.h): the decoder keeps its bounds whatever the bytes, sound sets load
// without a verdict and do what they describe, and the sets the harness found
// (inputs/group_set/, one file each) pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "EngineInterface.h"
#include "TevFileSaver.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "groupset/GroupSetFiles.h"
#include "groupset/GroupSetPlan.h"
#include "groupset/GroupSetRun.h"
#include "groupset/GroupSetSeeds.h"
#include "support/LoaderSupport.h"
#include "support/ReaderInputs.h"

namespace fs = std::filesystem;
using namespace tarnwell_test;

namespace {

std::string Feed(TestEngine& engine, const std::string& bytes, const groupset::StepCheck& check = nullptr) {
    return groupset::FeedGroupSet(engine, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                  check);
}

// Bytes of a fixed pseudo-random sequence, so every run decodes the same inputs.
std::string Noise(uint32_t& state, size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; i++) {
        state = state * 1664525u + 1013904223u;
        bytes += static_cast<char>(state >> 24);
    }
    return bytes;
}

void ExpectWithinBounds(const groupset::Plan& plan) {
    ASSERT_GE(plan.groups.size(), 1u);
    ASSERT_LE(plan.groups.size(), static_cast<size_t>(groupset::kMaxFiles));
    int slots = 0;
    size_t poolChars = 0;
    for (const groupset::Group& group : plan.groups) {
        const int channels = static_cast<int>(group.channels.size());
        ASSERT_LE(channels, groupset::kMaxChannels);
        for (const groupset::Link& link : group.links) {
            ASSERT_TRUE(link.parent >= 0 && link.parent < channels && link.child > 0 &&
                        link.child < channels);
            ASSERT_NE(link.parent, link.child);
            if (group.channels[link.parent].interfaceType == PEX_PUBLICCALL) slots += link.position;
        }
        for (const groupset::Channel& channel : group.channels) {
            ASSERT_LE(channel.memberOf.size(), static_cast<size_t>(groupset::kMaxPoolDepth) + 1);
            poolChars += channel.memberOf.size();
            if (channel.interfaceType == PEX_PUBLICCALL) {
                ASSERT_LT(channel.call.file, static_cast<int>(plan.groups.size()));
            }
        }
        ASSERT_LE(group.parameters, groupset::kMaxParameters);
    }
    EXPECT_LE(slots, groupset::kMaxPlaceholderSlots);
    EXPECT_LE(poolChars, static_cast<size_t>(groupset::kMaxPoolPathChars));
}

}  // namespace

TEST(GroupSetPlan, AnyBytesDecodeWithinTheBounds) {
    uint32_t state = 1;
    for (size_t size : {0, 1, 2, 5, 64, 333, 1024, 4096}) {
        for (int round = 0; round < 16; round++) {
            SCOPED_TRACE("size " + std::to_string(size) + ", round " + std::to_string(round));
            const std::string bytes = Noise(state, size);
            ExpectWithinBounds(
                groupset::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        }
    }
}

// An extra block goes between its channel's record and the next entry; after the last
// channel, before the closing blocks; the group reads back whole when it is not the last.
TEST(GroupSetFiles, ExtraBlocksLandAfterTheirChannel) {
    TestEngine engine(ReaderEngineOptions());
    ASSERT_TRUE(engine.Started());
    EngineInterface* api = engine.Engine();
    Tev_ChannelGroup group(api);
    for (int i = 0; i < 2; i++) group.AddChannel(api->InitChannelFromType(kTestRootGuid, nullptr, false));
    TevFileSaver saver(api);
    ASSERT_TRUE(saver.OpenMemory() && group.SaveChannelGroup(saver));
    const std::string saved(saver.GetBuffer(), saver.GetBufferSize());

    const std::string middle = groupset::WithExtraBlocks(api, saved, {{0, "XTRA", "data"}});
    const size_t second = middle.find("CHIX", middle.find("CHIX") + 4);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(middle.find("XTRA"), second - 12);  // tag, size and four bytes
    Tev_ChannelGroup loaded(api);
    std::vector<char> bytes(middle.begin(), middle.end());
    ASSERT_TRUE(
        loaded.LoadChannelGroupFromBuffer("middle.cgr", static_cast<int>(bytes.size()), bytes.data(), true));
    EXPECT_NE(loaded.GetChannel(1), nullptr);
    EXPECT_EQ(loaded.GetUniqueGroupGuid(), group.GetUniqueGroupGuid());

    const std::string last = groupset::WithExtraBlocks(api, saved, {{1, "XTRA", ""}});
    EXPECT_EQ(last.find("XTRA") + 8, last.find("CHSC"));
    EXPECT_EQ(last.size(), saved.size() + 8);
}

// Whether the pool's group is in the table at some step tells the call reached its file.
TEST(GroupSetRun, SoundSetsLoadWithoutAVerdict) {
    struct Case {
        const char* seed;
        const char* pool;  // looked for at every step
        bool loaded;       // whether it ever appears
    };
    const Case kCases[] = {
        {"start-only", "P1", false},   {"leaves", "P1", false},
        {"autoload-pair", "P1", true}, {"dynamic-pair", "P1", true},
        {"waiting-pair", "P1", false}, {"waiting-high-positions", "P200", false},
        {"shallow-pool", "P1", false}, {"extra-between-channels", "P1", false},
        // The shapes of the faults the harness was made to find.
        {"autoload-ring", "P1", true}, {"dynamic-ring", "P1", true},
        {"deep-pool", "P1", false},    {"extra-after-last-channel", "P1", false},
        {"many-waiting", "P1", false}, {"self-load-chain", "P1", true},
    };
    TestEngine engine(ReaderEngineOptions());
    ASSERT_TRUE(engine.Started());
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.seed);
        const std::string bytes = groupset::SeedSet(c.seed);
        ASSERT_FALSE(bytes.empty());
        bool seen = false;
        const auto check = [&](const std::string&) {
            seen = seen || engine.Engine()->GetPoolGroup(c.pool, 0) != nullptr;
            return std::string();
        };
        EXPECT_EQ(Feed(engine, bytes, check), "");
        EXPECT_EQ(seen, c.loaded);
        EXPECT_EQ(engine.Engine()->GetChannelGroupCount(), 0);
    }
}

TEST(GroupSetInputs, FoundInputsPass) {
    std::vector<fs::path> inputs;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(TARNWELL_READER_INPUTS) / "group_set", error))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    TestEngine engine(ReaderEngineOptions());
    ASSERT_TRUE(engine.Started());
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        EXPECT_EQ(Feed(engine, ReadBinaryFile(input.string())), "");
    }
}
