// Privileged operations through channelInternal: offsets, removal, sorting, release,
// deferred links and the simple accessors.
#include "ChannelTestFixture.h"
#include "Tev_List.h"

namespace {

// A channel made in the test itself, to reach state that only loading would make.
class ProbeChannel : public Tev_Channel {
public:
    void AddPendingLink(int channelIndex, int targetChannel) {
        if (!pendingLinks) pendingLinks = new Tev_List();
        PendingLink* link = new PendingLink();
        link->channelIndex = channelIndex;
        link->targetChannel = targetChannel;
        pendingLinks->AddItem(link);
    }
    int PendingCount() { return pendingLinks ? pendingLinks->GetItemCount() : -1; }
};

class ChannelInternals : public ChannelTest {
protected:
    // Positions 0 single, 1 multiple, 2 single, 3 multiple, all accepting root.
    Tev_Channel* MakeMixed() {
        Tev_Channel* channel = Make(TEST_ROOT_DLL);
        channel->SetChildCreateType(Position(kTestRootGuid, 0), 0);
        channel->SetChildCreateType(Position(kTestRootGuid, -1), 1);
        channel->SetChildCreateType(Position(kTestRootGuid, 2), 2);
        channel->SetChildCreateType(Position(kTestRootGuid, -1), 3);
        return channel;
    }

    void ExpectOffsets(Tev_Channel* channel, const std::vector<int>& counts) {
        ASSERT_EQ(channel->GetChildCount(), static_cast<int>(counts.size()));
        for (int i = 0; i < channel->GetChildCount(); ++i) {
            ChildInfo* entry = Entry(channel, i);
            ASSERT_NE(entry, nullptr) << i;
            EXPECT_EQ(entry->nodeOffset, i) << i;
            EXPECT_EQ(entry->nodeCount, counts[i]) << i;
        }
    }
};

TEST_F(ChannelInternals, RecalculateNodeOffsetsOnMixedPositions) {
    Tev_Channel* channel = MakeMixed();
    channel->SetChild(Make(TEST_ROOT_DLL), -1, 0);
    channel->SetChild(Make(TEST_ROOT_DLL), -1, 1);
    channel->SetChild(Make(TEST_ROOT_DLL), -1, 1);
    channel->SetChild(Make(TEST_ROOT_DLL), -1, 3);
    // 0 head(single) | 1,2 slots | 3 head(multi, 2) | 4 head(single) | 5 slot | 6 head(multi, 1)
    ExpectOffsets(channel, {0, 0, 1, 2, 0, 0, 1});

    for (int i = 0; i < channel->GetChildCount(); ++i) {
        Entry(channel, i)->nodeOffset = 77;
        Entry(channel, i)->nodeCount = -3;
    }
    channelInternal.RecalculateNodeOffsets(channel);
    ExpectOffsets(channel, {0, 0, 1, 2, 0, 0, 1});
    EXPECT_EQ(channel->GetChildLinkPositionCount(1), 2);
    EXPECT_EQ(channel->GetChildLinkPositionCount(3), 1);
    channelInternal.RecalculateNodeOffsets(nullptr);
}

TEST_F(ChannelInternals, RemoveChildPositionClosesSlotAndKeepsHeads) {
    Tev_Channel* channel = MakeMixed();
    Tev_Channel* slots[3] = {Make(TEST_ROOT_DLL), Make(TEST_ROOT_DLL), Make(TEST_ROOT_DLL)};
    for (Tev_Channel* slot : slots) channel->SetChild(slot, -1, 1);
    ASSERT_EQ(channel->GetChildLinkPositionCount(1), 3);

    channelInternal.RemoveChildPosition(channel, 2);  // slot 1 of position 1
    EXPECT_EQ(channel->GetChildLinkPositionCount(1), 2);
    EXPECT_EQ(channel->GetChildFromLinkPosition(1, 0), slots[0]);
    EXPECT_EQ(channel->GetChildFromLinkPosition(1, 1), slots[2]);

    // A head is emptied but stays.
    channel->SetChild(Make(TEST_ROOT_DLL), -1, 0);
    int count = channel->GetChildCount();
    channelInternal.RemoveChildPosition(channel, 0);
    EXPECT_EQ(channel->GetChildCount(), count);
    EXPECT_EQ(channel->GetChild(0), nullptr);
    EXPECT_TRUE(Entry(channel, 0)->isLinkHead);

    channelInternal.RemoveChildPosition(channel, 99);
    EXPECT_EQ(channel->GetChildCount(), count);
}

TEST_F(ChannelInternals, SortChilderenClosesGapsInMultiplePositions) {
    Tev_Channel* channel = MakeMixed();
    Tev_Channel* a = Make(TEST_ROOT_DLL);
    Tev_Channel* b = Make(TEST_ROOT_DLL);
    channel->SetChild(a, 0, 1);
    channel->SetChild(b, 3, 1);  // slots 1 and 2 empty
    channel->SetChild(Make(TEST_ROOT_DLL), 2, 3);  // slots 0 and 1 of position 3 empty
    ASSERT_EQ(channel->GetChildLinkPositionCount(1), 4);

    channelInternal.SortChilderen(channel);
    EXPECT_EQ(channel->GetChildLinkPositionCount(1), 2);
    EXPECT_EQ(channel->GetChildFromLinkPosition(1, 0), a);
    EXPECT_EQ(channel->GetChildFromLinkPosition(1, 1), b);
    EXPECT_EQ(channel->GetChildLinkPositionCount(3), 1);
    // 0 head | 1,2 slots | 3 head(2) | 4 head | 5 slot | 6 head(1)
    ExpectOffsets(channel, {0, 0, 1, 2, 0, 0, 1});
}

TEST_F(ChannelInternals, RemoveChildEmptiesEveryEntryOfThatChild) {
    Tev_Channel* parent = Make(TEST_COUNTER_DLL);
    Tev_Channel* child = Make(TEST_ROOT_DLL);
    Tev_Channel* other = Make(TEST_ROOT_DLL);
    Tev_Channel* custom = Make(TEST_CUSTOM_DLL);
    custom->SetChild(child, -1, 0);
    parent->SetChild(child, -1, 0);
    parent->SetChild(other, -1, 0);
    parent->SetChild(child, -1, 0);
    parent->SetChild(custom, -1, 0);  // hands out child

    channelInternal.RemoveChild(parent, child);
    EXPECT_EQ(parent->GetChildCount(), 5);
    EXPECT_EQ(parent->GetChild(0), nullptr);
    EXPECT_EQ(parent->GetChild(1), other);
    EXPECT_EQ(parent->GetChild(2), nullptr);
    EXPECT_EQ(channelInternal.GetInternalChild(parent, 3), nullptr);
    EXPECT_EQ(custom->GetChild(0), child);  // the custom channel keeps its own link
}

TEST_F(ChannelInternals, ReleaseChilderenDropsEntriesAndPositions) {
    Tev_Channel* channel = Make(TEST_LINKS_DLL);
    Tev_Channel* child = Make(TEST_ROOT_DLL);
    channel->SetChild(child, -1, 3);
    channelInternal.ReleaseChilderen(channel);
    EXPECT_EQ(channel->GetChildCount(), 0);
    EXPECT_EQ(channelInternal.GetChildCreationCount(channel), 0);
    EXPECT_EQ(channelInternal.GetChildCreateType(channel, 0), nullptr);
    EXPECT_EQ(channel->SetChild(child, -1, -1), -1);
    // The positions can be declared anew.
    channel->SetChildCreateType(Position(kTestRootGuid, 0), 0);
    EXPECT_EQ(channel->SetChild(child, -1, -1), 0);
}

TEST_F(ChannelInternals, CheckChannelRequestAnswersPendingLinkOnce) {
    ProbeChannel parent;
    parent.SetChildCreateType(Position(TEV_WILDCARD_GUID, -1), 0);
    parent.SetChildCreateType(Position(TEV_WILDCARD_GUID, 1), 1);
    parent.AddPendingLink(5, 1);
    parent.AddPendingLink(6, 0);
    Tev_Channel* five = Make(TEST_ROOT_DLL);
    Tev_Channel* six = Make(TEST_ROOT_DLL);

    EXPECT_FALSE(channelInternal.CheckChannelRequest(&parent, 5, 0, five, 0));
    EXPECT_FALSE(channelInternal.CheckChannelRequest(&parent, 7, 1, five, 0));
    EXPECT_EQ(parent.GetChildLinkPositionCount(0), 0);
    EXPECT_EQ(parent.PendingCount(), 2);

    EXPECT_TRUE(channelInternal.CheckChannelRequest(&parent, 5, 1, five, 0));
    EXPECT_EQ(parent.GetChildFromLinkPosition(0, 1), five);
    EXPECT_EQ(parent.PendingCount(), 1);
    EXPECT_FALSE(channelInternal.CheckChannelRequest(&parent, 5, 1, five, 0));

    // Link position -1 links by type; the list goes when the last record is answered.
    EXPECT_TRUE(channelInternal.CheckChannelRequest(&parent, 6, 0, six, -1));
    EXPECT_EQ(parent.GetChildFromLinkPosition(0, 0), six);
    EXPECT_EQ(parent.PendingCount(), -1);
    EXPECT_FALSE(channelInternal.CheckChannelRequest(&parent, 6, 0, six, -1));
    EXPECT_FALSE(channelInternal.CheckChannelRequest(nullptr, 6, 0, six, -1));
}

TEST_F(ChannelInternals, ParameterInfoExistsOnlyForParameterChannels) {
    Tev_Channel* plain = Make(TEST_ROOT_DLL);
    channelInternal.SetParameterInfo(plain, 4);
    EXPECT_EQ(channelInternal.GetParameterInfo(plain), nullptr);

    Tev_Channel* parameter = Make(TEST_ROOT_DLL);
    parameter->SetChannelInterfaceType(PEX_PARAMETER);
    ASSERT_NE(channelInternal.GetParameterInfo(parameter), nullptr);
    EXPECT_EQ(channelInternal.GetParameterInfo(parameter)->index, 0);
    channelInternal.SetParameterInfo(parameter, 4);
    EXPECT_EQ(channelInternal.GetParameterInfo(parameter)->index, 4);
    // A parameter child of a channel without a group resolves to nothing.
    Tev_Channel* parent = Make(TEST_COUNTER_DLL);
    int index = parent->SetChild(parameter, -1, 0);
    EXPECT_EQ(parent->GetChild(index), nullptr);
    EXPECT_EQ(channelInternal.GetInternalChild(parent, index), parameter);
}

TEST_F(ChannelInternals, PublicCallGathersChildrenInPlaceholderWhileUnreachable) {
    Tev_Channel* call = Make(TEST_ROOT_DLL);
    call->SetChannelInterfaceType(PEX_PUBLICCALL);
    EXPECT_EQ(call->GetChildCount(), 0);
    EXPECT_EQ(channelInternal.GetChildCreationCount(call), 1);

    Tev_Channel* a = Make(TEST_ROOT_DLL);
    Tev_Channel* b = Make(TEST_COUNTER_DLL);
    // Each child keeps its intended link position as its placeholder slot.
    EXPECT_EQ(call->SetChild(a, -1, 0), 0);
    EXPECT_EQ(call->SetChild(b, -1, 2), 2);
    EXPECT_EQ(call->GetChildLinkPositionCount(0), 3);
    EXPECT_EQ(call->GetChildLinkPositionCount(7), 3);  // every position asked is the placeholder
    EXPECT_EQ(call->GetChildFromLinkPosition(0, 2), b);
    // A public call does not take declared positions.
    call->SetChildCreateType(Position(kTestRootGuid, 4), 1);
    EXPECT_EQ(channelInternal.GetChildCreationCount(call), 1);

    // Releasing drops the placeholder head; the next link makes a new one.
    channelInternal.ReleaseChilderen(call);
    EXPECT_EQ(call->SetChild(a, -1, 1), 1);
    EXPECT_EQ(call->GetChildFromLinkPosition(0, 1), a);
}

}  // namespace
