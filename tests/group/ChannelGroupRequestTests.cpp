// Link requests a group keeps while its file is loaded.
#include "ChannelGroupFixture.h"
#include "ChannelRecords.h"

using ChannelGroupRequests = ChannelGroupTest;

TEST_F(ChannelGroupRequests, UnansweredRequestsStayAndBrokenEntriesAreReported) {
    InspectableGroup* group = NewGroup();
    Tev_Channel* parent = AddNew(group, TEST_LINKS_DLL);
    Tev_Channel* child = AddNew(group);
    ChannelRequestInfo request;
    request.channelIndex = child->GetChannelIDIndexNr();
    request.targetChannel = -1;
    request.channel = parent;  // the parent never asked for it: the request is not answered
    request.linkPosition = 0;
    group->AddChannelRequest(request);
    group->AddNullRequest();
    request.channelIndex = 5;
    group->AddChannelRequest(request);

    group->CheckRequestListForIndex(child->GetChannelIDIndexNr());

    EXPECT_EQ(group->RequestCount(), 3);
    EXPECT_EQ(parent->GetChild(0), nullptr);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "BUG: error in channel request list");
    EXPECT_EQ(messages.Messages()[0].type, TEV_MESSAGE_ERROR);

    group->Release();
    EXPECT_EQ(group->RequestCount(), 0);
}
