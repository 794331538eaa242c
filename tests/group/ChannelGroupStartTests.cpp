// Running a group: the start channel and the group's tree calculation counter.
#include "ChannelGroupFixture.h"

using ChannelGroupStart = ChannelGroupTest;

TEST_F(ChannelGroupStart, StartChannelMinusOneCallsPositionZero) {
    InspectableGroup* group = NewGroup();
    Tev_Channel* first = AddNew(group, TEST_COUNTER_DLL);
    Tev_Channel* second = AddNew(group, TEST_COUNTER_DLL);
    group->SetStartChannel(-1);

    group->CallStartChannel();
    EXPECT_EQ(Calls(first), 1);
    EXPECT_EQ(Calls(second), 0);

    group->SetStartChannel(1);
    group->CallStartChannel();
    EXPECT_EQ(Calls(first), 1);
    EXPECT_EQ(Calls(second), 1);
}

TEST_F(ChannelGroupStart, EmptyStartPositionOnlyAdvancesTheTreeCount) {
    InspectableGroup* group = NewGroup();
    Tev_Channel* other = AddNew(group, TEST_COUNTER_DLL);
    AddNew(group, TEST_COUNTER_DLL);
    group->RemoveChannel(1);
    group->SetStartChannel(1);
    int before = group->GetTreeCalculateCount();

    group->CallStartChannel();
    EXPECT_EQ(group->GetTreeCalculateCount(), before + 1);
    EXPECT_EQ(Calls(other), 0);

    group->SetStartChannel(9);  // beyond the array
    group->CallStartChannel();
    EXPECT_EQ(group->GetTreeCalculateCount(), before + 2);
}

TEST_F(ChannelGroupStart, TreeCountRunsFromMinusOneToThirtyThousandThenWrapsToZero) {
    InspectableGroup* group = NewGroup();
    EXPECT_EQ(group->TreeCount(), -1);
    group->IncreaseTreeCount();
    EXPECT_EQ(group->TreeCount(), 0);
    while (group->TreeCount() < 29999) group->IncreaseTreeCount();
    group->IncreaseTreeCount();
    EXPECT_EQ(group->TreeCount(), 30000);
    group->IncreaseTreeCount();
    EXPECT_EQ(group->TreeCount(), 0);

    engine->SetTreeCalculateCount(100);
    EXPECT_EQ(group->GetTreeCalculateCount(), 100) << "engine count plus the group's";
}
