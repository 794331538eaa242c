// Declaring link positions, linking by type and finding children by position and by type.
#include "ChannelTestFixture.h"

namespace {

class ChannelPositions : public ChannelTest {};

TEST_F(ChannelPositions, DuplicateRequestLinkIsRefused) {
    Tev_Channel* channel = Make(TEST_ROOT_DLL);
    channel->SetChildCreateType(Position(kTestRootGuid, 3), 0);
    channel->SetChildCreateType(Position(kTestRootGuid, 3), 1);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_ERROR, "Can't add child creation with the same request link!"), 1);
    EXPECT_EQ(channelInternal.GetChildCreationCount(channel), 1);

    // Many multiple positions are fine.
    channel->SetChildCreateType(Position(kTestRootGuid, -1), 1);
    channel->SetChildCreateType(Position(kTestRootGuid, -1), 2);
    EXPECT_EQ(channelInternal.GetChildCreationCount(channel), 3);

    // Re-declaring position 0 with its own request link collides with itself.
    ChildCreation again = Position(kTestDerivedGuid, 3);
    channel->SetChildCreateType(again, 0);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_ERROR, "Can't add child creation with the same request link!"), 2);
    EXPECT_EQ(channelInternal.GetChildCreateType(channel, 0)->channelType.typeGuid, kTestRootGuid);
}

TEST_F(ChannelPositions, SetChildByTypeSkipsOccupiedSinglePositions) {
    Tev_Channel* channel = Make(TEST_ROOT_DLL);
    channel->SetChildCreateType(Position(kTestCounterGuid, 0), 0);
    channel->SetChildCreateType(Position(kTestRootGuid, 1), 1);
    channel->SetChildCreateType(Position(kTestRootGuid, 2), 2);
    Tev_Channel* a = Make(TEST_ROOT_DLL);
    Tev_Channel* b = Make(TEST_DERIVED_DLL);
    Tev_Channel* c = Make(TEST_ROOT_DLL);

    EXPECT_EQ(channelInternal.SetChildByType(channel, a, -1), 1);
    EXPECT_EQ(channelInternal.SetChildByType(channel, b, -1), 2);
    EXPECT_EQ(channelInternal.SetChildByType(channel, c, -1), -1);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(channel->GetChild(0), nullptr);
    EXPECT_EQ(channel->GetChild(1), a);
    EXPECT_EQ(channel->GetChild(2), b);
    EXPECT_EQ(channelInternal.SetChildByType(nullptr, c, -1), -1);
    EXPECT_EQ(channelInternal.SetChildByType(channel, nullptr, -1), -1);
}

TEST_F(ChannelPositions, SetChildByTypeFillsFirstEmptySlotOfMultiplePosition) {
    Tev_Channel* channel = Make(TEST_ROOT_DLL);
    channel->SetChildCreateType(Position(kTestRootGuid, -1), 0);
    Tev_Channel* a = Make(TEST_ROOT_DLL);
    Tev_Channel* b = Make(TEST_ROOT_DLL);
    Tev_Channel* c = Make(TEST_ROOT_DLL);
    channel->SetChild(a, 2, 0);  // slots 0 and 1 empty
    EXPECT_EQ(channelInternal.SetChildByType(channel, b, -1), 0);
    EXPECT_EQ(channelInternal.SetChildByType(channel, c, -1), 1);
    Tev_Channel* d = Make(TEST_ROOT_DLL);
    EXPECT_EQ(channelInternal.SetChildByType(channel, d, -1), 3);  // full: appended
    EXPECT_EQ(channel->GetChildLinkPositionCount(0), 4);
    EXPECT_EQ(channel->GetChildFromLinkPosition(0, 3), d);
}

TEST_F(ChannelPositions, MatchingByTypeCountsBaseAndResolvesCustomGetters) {
    Tev_Channel* parent = Make(TEST_COUNTER_DLL);
    Tev_Channel* root = Make(TEST_ROOT_DLL);
    Tev_Channel* derived = Make(TEST_DERIVED_DLL);
    Tev_Channel* custom = Make(TEST_CUSTOM_DLL);
    Tev_Channel* behindCustom = Make(TEST_DERIVED_DLL);
    Tev_Channel* emptyCustom = Make(TEST_CUSTOM_DLL);
    custom->SetChild(behindCustom, -1, 0);
    parent->SetChild(root, -1, 0);
    parent->SetChild(emptyCustom, -1, 0);  // hands out nothing: skipped
    parent->SetChild(custom, -1, 0);
    parent->SetChild(derived, -1, 0);

    EXPECT_EQ(parent->GetChildTypeCount(kTestRootGuid), 3);
    EXPECT_EQ(parent->GetChildTypeCount(kTestDerivedGuid), 2);
    EXPECT_EQ(parent->GetChildTypeCount(kTestCustomGuid), 0);
    EXPECT_EQ(parent->GetChildFromLinkGuid(kTestRootGuid, 0), root);
    EXPECT_EQ(parent->GetChildFromLinkGuid(kTestRootGuid, 1), behindCustom);
    EXPECT_EQ(parent->GetChildFromLinkGuid(kTestDerivedGuid, 1), derived);
    EXPECT_EQ(parent->GetChildFromLinkGuid(kTestRootGuid, 3), nullptr);
}

TEST_F(ChannelPositions, CustomGetterResolvesThroughGetChild) {
    Tev_Channel* parent = Make(TEST_COUNTER_DLL);
    Tev_Channel* custom = Make(TEST_CUSTOM_DLL);
    Tev_Channel* target = Make(TEST_ROOT_DLL);
    ASSERT_EQ(custom->GetChannelInterfaceType(), PEX_CUSTOMCHANNELGET);
    int index = parent->SetChild(custom, -1, 0);
    EXPECT_EQ(parent->GetChild(index), nullptr);
    custom->SetChild(target, -1, 0);
    EXPECT_EQ(parent->GetChild(index), target);
    EXPECT_EQ(parent->GetChildFromLinkPosition(0, 0), target);
    EXPECT_EQ(channelInternal.GetInternalChild(parent, index), custom);
    EXPECT_TRUE(channelInternal.GetIfExternalChild(parent, index));
}

TEST_F(ChannelPositions, RedeclaringOverAnotherHeadLeavesNoDanglingPosition) {
    Tev_Channel* channel = Make(TEST_ROOT_DLL);
    channel->SetChildCreateType(Position(kTestRootGuid, -1), 0);
    channel->SetChild(Make(TEST_ROOT_DLL), -1, 0);  // head of position 0 moves to index 1
    channel->SetChildCreateType(Position(kTestRootGuid, 1), 1);
    ChildCreation* first = channelInternal.GetChildCreateType(channel, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->childInfo, nullptr);
    EXPECT_EQ(channel->SetChild(Make(TEST_ROOT_DLL), -1, 0), -1);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_USER_INFO,
                            "Tev_Channel::SetChild childCreation->childInfo==NULL group not found?"),
              1);
}

}  // namespace
