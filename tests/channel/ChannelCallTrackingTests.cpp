// Calling time while an engine tracks channel calling: GetChild stamps the caller, the child
// and what a custom getter hands out; without tracking it stamps nothing. GetChild is inline
// in plug-ins, so both copies are checked: the one compiled here and the one in the counter
// plug-in's CallChannel.
#include <chrono>
#include <memory>
#include <thread>

#include "ChannelTestFixture.h"
#include "Tev_ChannelGroup.h"

namespace {

class ChannelCallTracking : public ChannelTest {
protected:
    void SetUp() override {
        ChannelTest::SetUp();
        group = std::make_unique<Tev_ChannelGroup>(engine);
        group->SetGroupIndex(0);  // calling time is kept only for channels of a listed group
    }

    void TearDown() override {
        engine->engineInterfaceExt->SetIfTrackChannelCalling(false);
        group.reset();
        ChannelTest::TearDown();
    }

    Tev_Channel* Member(const char* module) {
        Tev_Channel* channel = Make(module);
        factory->Release(channel);
        group->AddChannel(channel);
        return channel;
    }

    void Track(bool track) { engine->engineInterfaceExt->SetIfTrackChannelCalling(track); }

    // The calling times of the channels, after the tick count has moved past all of them.
    static std::vector<int> TimesThenTick(std::initializer_list<Tev_Channel*> channels) {
        std::vector<int> times;
        for (Tev_Channel* channel : channels) times.push_back(channelInternal.GetChannelGetChildTime(channel));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return times;
    }

    static void ExpectStamped(std::initializer_list<Tev_Channel*> channels, const std::vector<int>& before,
                              bool stamped) {
        int i = 0;
        for (Tev_Channel* channel : channels) {
            int now = channelInternal.GetChannelGetChildTime(channel);
            if (stamped)
                EXPECT_NE(now, before[i]) << "channel " << i << " not stamped";
            else
                EXPECT_EQ(now, before[i]) << "channel " << i << " stamped";
            ++i;
        }
    }

    std::unique_ptr<Tev_ChannelGroup> group;
};

TEST_F(ChannelCallTracking, GetChildStampsCallerAndChildOnlyWhileTracking) {
    for (bool tracking : {false, true, false}) {
        SCOPED_TRACE(tracking ? "tracking" : "not tracking");
        Tev_Channel* parent = Member(TEST_COUNTER_DLL);
        Tev_Channel* child = Member(TEST_ROOT_DLL);
        ASSERT_EQ(parent->SetChild(child, -1, 0), 0);
        Track(tracking);

        std::vector<int> before = TimesThenTick({parent, child});
        EXPECT_EQ(parent->GetChild(0), child);
        ExpectStamped({parent, child}, before, tracking);

        before = TimesThenTick({parent, child});
        parent->CallChannel();  // GetChild as compiled into the plug-in
        EXPECT_EQ(AsTestChannel(child)->GetCallCount(), 1);
        ExpectStamped({parent, child}, before, tracking);

        // An empty entry answers null; the caller still counts as calling.
        before = TimesThenTick({parent});
        EXPECT_EQ(parent->GetChild(1), nullptr);
        EXPECT_EQ(parent->GetChild(7), nullptr);
        ExpectStamped({parent}, before, tracking);
    }
}

TEST_F(ChannelCallTracking, CustomGetterResultIsStampedToo) {
    Tev_Channel* parent = Member(TEST_COUNTER_DLL);
    Tev_Channel* custom = Member(TEST_CUSTOM_DLL);
    Tev_Channel* target = Member(TEST_ROOT_DLL);
    ASSERT_EQ(custom->SetChild(target, -1, 0), 0);
    ASSERT_EQ(parent->SetChild(custom, -1, 0), 0);
    Track(true);
    std::vector<int> before = TimesThenTick({parent, custom, target});
    EXPECT_EQ(parent->GetChild(0), target);
    ExpectStamped({parent, custom, target}, before, true);
}

TEST_F(ChannelCallTracking, AnotherEngineTrackingLeavesThisOneUnstamped) {
    Tev_Channel* parent = Member(TEST_COUNTER_DLL);
    Tev_Channel* child = Member(TEST_ROOT_DLL);
    ASSERT_EQ(parent->SetChild(child, -1, 0), 0);
    auto* other = new EngineInterface();
    other->engineInterfaceExt->SetIfTrackChannelCalling(true);
    other->engineInterfaceExt->SetIfTrackChannelCalling(true);  // counted once

    std::vector<int> before = TimesThenTick({parent, child});
    EXPECT_EQ(parent->GetChild(0), child);
    parent->CallChannel();
    ExpectStamped({parent, child}, before, false);
    EXPECT_EQ(channelCallTrackers.load(), 1);

    // An engine that goes away while tracking no longer counts.
    other->engineInterfaceExt->Release();
    delete other;
    EXPECT_EQ(channelCallTrackers.load(), 0);
}

}  // namespace
