// Channel handles: a remembered channel is handed out only while it still holds its place.
#include <cstring>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "SmartChannel.h"
#include "group/TableGroupFixture.h"

namespace {

class ChannelHandles : public TableGroupTest {};

}  // namespace

TEST_F(ChannelHandles, ARemovedIndexStaysStaleWhenReused) {
    Tev_ChannelGroup* group = NewGroup("Handles");
    for (int i = 0; i < 3; i++) AddNew(group);
    Tev_Channel* channel = AddNew(group);
    ASSERT_EQ(channel->GetChannelIDIndexNr(), 3);
    GChannel plain;
    SmartChannel smart(Api());
    plain.SetChannel(channel);
    EXPECT_TRUE(smart.SetChannel(channel));
    EXPECT_EQ(plain.GetChannel(), channel);
    EXPECT_EQ(smart.GetChannel(), channel);

    // Made while the old one lives, so the allocator cannot hand out the same address.
    Tev_Channel* successor = AddNew(nullptr);
    factory->Release(successor);
    group->RemoveChannel(3);
    EXPECT_EQ(plain.GetChannel(), nullptr);
    EXPECT_EQ(smart.GetChannel(), nullptr);
    ASSERT_EQ(group->AddChannel(successor), 3);
    EXPECT_EQ(plain.GetChannel(), nullptr);
    EXPECT_EQ(smart.GetChannel(), nullptr);
}

// Another group at the same table position, holding the same pointer at the same index.
TEST_F(ChannelHandles, OnlyTheSmartHandleNoticesAnotherGroupAtTheSamePosition) {
    Tev_ChannelGroup* first = NewGroup("First");
    Tev_Channel* channel = AddNew(first);
    GChannel plain;
    SmartChannel smart(Api());
    plain.SetChannel(channel);
    smart.SetChannel(channel);
    int position = first->GetGroupIndex();

    Tev_ChannelGroup parking(Api());
    first->TransferChannel(0, &parking);
    Api()->DeleteChannelGroup(position);
    Tev_ChannelGroup* second = NewGroup("Second");
    ASSERT_EQ(second->GetGroupIndex(), position);
    parking.TransferChannel(0, second);
    ASSERT_EQ(second->GetChannel(0), channel);

    EXPECT_EQ(plain.GetChannel(), channel);
    EXPECT_EQ(smart.GetInternalChannel(), nullptr);
    EXPECT_EQ(smart.GetChannel(), nullptr);
}

TEST_F(ChannelHandles, AChannelWithoutAGroupIsKeptOnlyBySmartHandles) {
    Tev_Channel* loose = AddNew(nullptr);
    GChannel plain;
    SmartChannel smart(Api());
    plain.SetChannel(loose);
    EXPECT_FALSE(smart.SetChannel(loose));
    EXPECT_EQ(plain.GetChannel(), nullptr);
    EXPECT_EQ(smart.GetInternalChannel(), loose);
    EXPECT_EQ(smart.GetChannel(), loose);

    plain.SetChannel(nullptr);
    EXPECT_FALSE(smart.SetChannel(nullptr));
    EXPECT_EQ(plain.GetChannel(), nullptr);
    EXPECT_EQ(smart.GetInternalChannel(), nullptr);
    factory->Destroy(loose);
}

// What a smart handle hands out for each kind of indirect channel.
TEST_F(ChannelHandles, SmartHandlesResolveIndirectChannels) {
    Tev_ChannelGroup* group = NewGroup("Indirect");
    Tev_Channel* target = AddNew(group);
    Tev_Channel* custom = AddNew(group, TEST_CUSTOM_DLL);
    custom->SetChild(target, -1, 0);
    Tev_Channel* parameter = AddNew(group);
    parameter->SetChannelInterfaceType(PEX_PARAMETER);
    Tev_Channel* publicOne = AddNew(group);
    publicOne->SetChannelName("Lamp");
    publicOne->SetChannelInterfaceType(PEX_PUBLIC);
    Tev_Channel* call = AddNew(NewGroup("Caller"));
    call->SetChannelInterfaceType(PEX_PUBLICCALL);
    PublicCallInfo info;
    std::strcpy(info.poolName, "Indirect");
    std::strcpy(info.channelName, "Lamp");
    info.autoLoadGroup = false;
    channelInternal.SetPublicCallInfo(call, info);

    struct Case {
        const char* what;
        Tev_Channel* held;
        Tev_Channel* expected;
    };
    const Case cases[] = {
        {"normal", target, target},
        {"public", publicOne, publicOne},
        {"custom getter", custom, target},
        {"parameter", parameter, nullptr},
        {"public call", call, publicOne},
    };
    for (const Case& c : cases) {
        SmartChannel smart(Api());
        smart.SetChannel(c.held);
        EXPECT_EQ(smart.GetInternalChannel(), c.held) << c.what;
        EXPECT_EQ(smart.GetChannel(), c.expected) << c.what;
    }
}
