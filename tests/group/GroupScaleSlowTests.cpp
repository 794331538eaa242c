// Sizes that once made the kernel quadratic or overflowed its stack: many groups whose public
// calls reach each other, a pool nested a million levels deep, and a group of a million
// channels built one by one, saved, reloaded into itself, walked and released. They must come through
// whole; bench/HostileShapesBench measures their time and memory.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ChannelRecords.h"
#include "TevFileSaver.h"
#include "group/TableGroupFixture.h"
#include "support/Sanitized.h"

namespace {

const int kSelfCalls = tarnwell_test::ShapeSize(600);
const int kPoolDepth = tarnwell_test::ShapeSize(1000000);
const int kLargeGroup = tarnwell_test::ShapeSize(1000000);

class GroupScaleSlow : public TableGroupTest {
protected:
    // One file whose public calls, one per pool name P0, P1, ..., each reach the public channel
    // "Out" of that same file loaded under that name. Saved from memory, where a call cannot
    // look for its target yet.
    std::string SaveSelfCallingGroup(int calls) {
        Tev_ChannelGroup group(Api());
        group.SetPoolName("Self");
        Tev_Channel* out = AddNew(&group, TEST_COUNTER_DLL);
        out->SetChannelName("Out");
        out->SetChannelInterfaceType(PEX_PUBLIC);
        for (int i = 0; i < calls; i++) {
            Tev_Channel* call = AddNew(&group, TEST_COUNTER_DLL);
            call->SetChannelInterfaceType(PEX_PUBLICCALL);
            PublicCallInfo info;
            std::snprintf(info.poolName, sizeof(info.poolName), "P%d", i);
            std::strcpy(info.channelName, "Out");
            std::strcpy(info.fileName, ".\\self.cgr");
            channelInternal.SetPublicCallInfo(call, info);
            out->SetChild(call, -1, 0);
        }
        TevFileSaver saver(Api());
        saver.OpenMemory();
        EXPECT_TRUE(group.SaveChannelGroup(saver));
        const std::string path = engine.InstallDir() + "/self.cgr";
        std::ofstream(path, std::ios::binary).write(saver.GetBuffer(), saver.GetBufferSize());
        group.Release();
        return path;
    }

    std::vector<Tev_Channel*> PublicCalls() {
        std::vector<Tev_Channel*> calls;
        for (int g = 0; g < Api()->GetChannelGroupCount(); g++) {
            Tev_ChannelGroup* group = Api()->GetChannelGroup(g);
            for (int c = 0; group && c < group->GetChannelCount(); c++) {
                Tev_Channel* channel = group->GetChannel(c);
                if (channel && channel->GetChannelInterfaceType() == PEX_PUBLICCALL) calls.push_back(channel);
            }
        }
        return calls;
    }
};

}  // namespace

TEST_F(GroupScaleSlow, SelfCallingGroupsAndDeepPoolsStayInProportion) {
    // A member a million pools down, found by a user of the top pool and released again.
    std::string poolPath = "Top";
    for (int level = 0; level < kPoolDepth; level++) poolPath += "@a";
    Tev_ChannelGroup* pools = NewGroup("Pools");
    Tev_Channel* member = AddNew(pools);
    ASSERT_NE(Pools()->CreatePoolItem(poolPath.c_str(), member), nullptr);
    Tev_Channel* user = AddNew(pools);
    user->SetIfUsePoolChannel(true);
    channelInternal.AddPoolToChannel(user, "Top");
    EXPECT_EQ(user->GetPoolChannel(0), member);
    Api()->DeleteChannelGroup(pools->GetGroupIndex());
    EXPECT_EQ(Pools()->GetMainGroupPoolItemCount(), 0);

    // Every pool name loaded once: each call loads its target at its first look-up. Then
    // every call forgets its target and asks the engine again, and the engine shuts down.
    Tev_ChannelGroup* root = Api()->LoadChannelGroup(SaveSelfCallingGroup(kSelfCalls).c_str(), nullptr);
    ASSERT_NE(root, nullptr);
    for (Tev_Channel* call : PublicCalls()) channelInternal.GetPublicChannelForPublicCall(call, false);
    ASSERT_EQ(Api()->GetChannelGroupCount(), kSelfCalls + 1);
    const std::vector<Tev_Channel*> calls = PublicCalls();
    ASSERT_EQ(calls.size(), static_cast<size_t>((kSelfCalls + 1) * kSelfCalls));
    for (Tev_Channel* call : calls)
        channelInternal.SetPublicCallInfo(call, channelInternal.GetPublicCallInfo(call));
    for (Tev_Channel* call : calls)
        ASSERT_NE(channelInternal.GetPublicChannelForPublicCall(call, false), nullptr);
    engine.Stop();
}

TEST_F(GroupScaleSlow, AMillionChannelGroupIsBuiltReloadedWalkedAndReleasedWhole) {
    Tev_ChannelGroup* group = NewGroup("Large");
    AddNew(group, TEST_COUNTER_DLL);
    for (int i = 1; i < kLargeGroup; i++) {
        Tev_Channel* channel = AddNew(group, TEST_COUNTER_DLL);
        ASSERT_EQ(channel->GetChannelIDIndexNr(), i);
        ASSERT_GE(group->GetChannel((i - 1) / 8)->SetChild(channel, -1, 0), 0);
    }
    const std::string path = engine.InstallDir() + "/large.cgr";
    ASSERT_TRUE(group->SaveChannelGroup(path.c_str()));
    ASSERT_TRUE(group->LoadChannelGroupFromFile(path.c_str(), false));
    ASSERT_EQ(group->GetChannelCount(), kLargeGroup);

    group->CallStartChannel();
    long calls = 0;
    for (int i = 0; i < kLargeGroup; i++) calls += AsTestChannel(group->GetChannel(i))->GetCallCount();
    EXPECT_EQ(calls, kLargeGroup);
    group->Release();
    EXPECT_EQ(group->GetChannel(kLargeGroup - 1), nullptr);
}
