// A channel's own state: names, the once-per-pass guard, interface types, time stamps, type.
#include <string>
#include <utility>
#include <vector>

#include "ChannelTestFixture.h"
#include "ChannelRecords.h"

namespace {

class ChannelState : public ChannelTest {};

TEST_F(ChannelState, NamesAreCopiedAndCutAt500) {
    Tev_Channel* channel = Make(TEST_ROOT_DLL);
    EXPECT_EQ(channel->GetChannelName(), nullptr);
    std::string longName(600, 'n');
    longName[499] = 'e';
    channel->SetChannelName(longName.c_str());
    ASSERT_NE(channel->GetChannelName(), nullptr);
    EXPECT_EQ(std::string(channel->GetChannelName()), longName.substr(0, 500));

    channel->SetChannelName(nullptr);
    EXPECT_EQ(std::strlen(channel->GetChannelName()), 500u);
    char buffer[] = "Lamp";
    channel->SetChannelName(buffer);
    buffer[0] = 'X';
    EXPECT_STREQ(channel->GetChannelName(), "Lamp");
    channel->SetChannelName("");
    EXPECT_STREQ(channel->GetChannelName(), "");
}

TEST_F(ChannelState, CheckRenderCountOncePerPass) {
    Tev_Channel* channel = Make(TEST_COUNTER_DLL);
    TestChannelCounts* counts = AsTestChannel(channel);
    ASSERT_NE(counts, nullptr);
    engine->SetTreeCalculateCount(10);
    channel->CallChannel();
    channel->CallChannel();
    channel->CallChannel();
    EXPECT_EQ(counts->GetCallCount(), 3);
    EXPECT_EQ(counts->GetPassCount(), 1);
    EXPECT_EQ(channelInternal.GetTreeRecalculateCount(channel), 2);

    engine->SetTreeCalculateCount(11);
    channel->CallChannel();
    EXPECT_EQ(counts->GetPassCount(), 2);
    EXPECT_EQ(channelInternal.GetTreeRecalculateCount(channel), 0);

    // The refusal counter wraps like the byte it is.
    for (int i = 0; i < 256; ++i) channel->CallChannel();
    EXPECT_EQ(channelInternal.GetTreeRecalculateCount(channel), 0);
    channel->CallChannel();
    EXPECT_EQ(channelInternal.GetTreeRecalculateCount(channel), 1);
}

TEST_F(ChannelState, IgnoreTreeCountAnswersEveryCall) {
    Tev_Channel* channel = Make(TEST_COUNTER_DLL);
    TestChannelCounts* counts = AsTestChannel(channel);
    engine->SetTreeCalculateCount(3);
    channel->CallChannel();
    channel->CallChannel();
    ASSERT_EQ(channelInternal.GetTreeRecalculateCount(channel), 1);
    channelInternal.SetIgnoreTreeCount(channel, true);
    EXPECT_TRUE(channelInternal.GetIgnoreTreeCount(channel));
    channel->CallChannel();
    channel->CallChannel();
    EXPECT_EQ(counts->GetPassCount(), 3);
    EXPECT_EQ(channelInternal.GetTreeRecalculateCount(channel), 0);
}

TEST_F(ChannelState, CounterCallsItsChildrenThroughGetChild) {
    Tev_Channel* parent = Make(TEST_COUNTER_DLL);
    Tev_Channel* child = Make(TEST_COUNTER_DLL);
    Tev_Channel* custom = Make(TEST_CUSTOM_DLL);
    Tev_Channel* behind = Make(TEST_ROOT_DLL);
    custom->SetChild(behind, -1, 0);
    parent->SetChild(child, -1, 0);
    parent->SetChild(custom, -1, 0);
    parent->CallChannel();
    parent->DoEvent(1, 77);
    EXPECT_EQ(AsTestChannel(child)->GetCallCount(), 1);
    EXPECT_EQ(AsTestChannel(behind)->GetCallCount(), 1);
    EXPECT_EQ(AsTestChannel(custom)->GetCallCount(), 0);
    EXPECT_EQ(AsTestChannel(parent)->GetEventCount(), 1);
    EXPECT_EQ(AsTestChannel(parent)->GetLastEvent(), 1);
    EXPECT_EQ(AsTestChannel(parent)->GetLastEventData(), 77ul);
}

TEST_F(ChannelState, InterfaceTypeChangesRefusedFromFinalTypes) {
    const char* kFromCall = "Tev_Channel::SetChannelInterfaceType interface can't be changed PEX_PUBLICCALL";
    const char* kFromParameter = "Tev_Channel::SetChannelInterfaceType interface can't be changed PEX_PARAMETER";
    const char* kFromCustom = "Tev_Channel::SetChannelInterfaceType interface can't be changed PEX_CUSTOMCHANNELGET";

    Tev_Channel* call = Make(TEST_ROOT_DLL);
    call->SetChannelInterfaceType(PEX_PUBLICCALL);
    call->SetChannelInterfaceType(PEX_NORMAL);
    EXPECT_EQ(call->GetChannelInterfaceType(), PEX_PUBLICCALL);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_ERROR, kFromCall), 1);

    Tev_Channel* parameter = Make(TEST_ROOT_DLL);
    parameter->SetChannelInterfaceType(PEX_PARAMETER);
    parameter->SetChannelInterfaceType(PEX_PUBLIC);
    EXPECT_EQ(parameter->GetChannelInterfaceType(), PEX_PARAMETER);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_ERROR, kFromParameter), 1);

    Tev_Channel* custom = Make(TEST_CUSTOM_DLL);
    custom->SetChannelInterfaceType(PEX_NORMAL);
    EXPECT_EQ(custom->GetChannelInterfaceType(), PEX_CUSTOMCHANNELGET);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_ERROR, kFromCustom), 1);
    custom->SetChannelInterfaceType(PEX_PUBLICCUSTOMCHANNELGET);
    EXPECT_EQ(custom->GetChannelInterfaceType(), PEX_PUBLICCUSTOMCHANNELGET);

    // Open types change freely, also without a group.
    Tev_Channel* open = Make(TEST_ROOT_DLL);
    open->SetChannelInterfaceType(PEX_PUBLIC);
    open->SetChannelInterfaceType(PEX_NORMAL);
    open->SetChannelInterfaceType(PEX_CUSTOMCHANNELGET);
    EXPECT_EQ(open->GetChannelInterfaceType(), PEX_CUSTOMCHANNELGET);
}

TEST_F(ChannelState, BecomingPublicCallOrParameterReleasesChildren) {
    Tev_Channel* channel = Make(TEST_LINKS_DLL);
    channel->SetChild(Make(TEST_ROOT_DLL), -1, 3);
    channel->SetChannelInterfaceType(PEX_PARAMETER);
    EXPECT_EQ(channel->GetChildCount(), 0);
    EXPECT_EQ(channelInternal.GetChildCreationCount(channel), 0);

    Tev_Channel* call = Make(TEST_LINKS_DLL);
    call->SetChild(Make(TEST_ROOT_DLL), -1, 3);
    call->SetChannelInterfaceType(PEX_PUBLICCALL);
    EXPECT_EQ(call->GetChildCount(), 0);
    PublicCallInfo info = channelInternal.GetPublicCallInfo(call);
    EXPECT_STREQ(info.channelName, "No Name");
    EXPECT_STREQ(info.poolName, "No Pool");
    EXPECT_TRUE(info.autoLoadGroup);
    EXPECT_EQ(channelInternal.GetTreeCountMode(call), 1);
}

TEST_F(ChannelState, TypeComesFromTheEngineOrStaysEmpty) {
    Tev_Channel* channel = Make(TEST_DERIVED_DLL);
    ChannelType type = channel->GetChannelType();
    EXPECT_EQ(type.typeGuid, kTestDerivedGuid);
    EXPECT_EQ(type.baseGuid, kTestRootGuid);

    // A bare channel outside any engine has no type and reports nothing.
    Tev_Channel bare;
    EXPECT_TRUE(IsNullGuid(bare.GetChannelType().typeGuid));
    EXPECT_EQ(bare.SetChild(&bare, -1, 0), -1);
    bare.SetChannelInterfaceType(PEX_PUBLICCALL);
    bare.SetChannelInterfaceType(PEX_NORMAL);
    EXPECT_EQ(bare.GetChannelInterfaceType(), PEX_PUBLICCALL);
}

// Channels of one module share its type. A module unloaded and another loaded in its place
// (which may get the same handle) must not hand its channels the first module's type.
TEST_F(ChannelState, TypeIsTheOwnModulesAfterOtherModulesWereUnloaded) {
    const std::vector<std::pair<const char*, _GUID>> modules = {
        {TEST_ROOT_DLL, kTestRootGuid},     {TEST_DERIVED_DLL, kTestDerivedGuid}, {TEST_LINKS_DLL, kTestLinksGuid},
        {TEST_COUNTER_DLL, kTestCounterGuid}, {TEST_CUSTOM_DLL, kTestCustomGuid},
    };
    for (int round = 0; round < 3; ++round) {
        for (const auto& [module, guid] : modules) {
            factory = std::make_unique<TestChannelFactory>(engine);  // unloads the modules of the last one
            EXPECT_EQ(Make(module)->GetChannelType().typeGuid, guid) << module << ", round " << round;
        }
    }
}

}  // namespace
