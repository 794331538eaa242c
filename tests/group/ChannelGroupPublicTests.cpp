// Public channels of a group as public calls in other groups find them.
#include <cstring>

#include "ChannelGroupFixture.h"
#include "ChannelInternal.h"
#include "ChannelRecords.h"

using ChannelGroupPublic = ChannelGroupTest;

namespace {

PublicCallInfo Call(const char* poolName, const char* channelName, int nr) {
    PublicCallInfo info;
    std::strncpy(info.poolName, poolName, sizeof(info.poolName) - 1);
    std::strncpy(info.channelName, channelName, sizeof(info.channelName) - 1);
    info.requestedPublicChannelNr = nr;
    return info;
}

}  // namespace

TEST_F(ChannelGroupPublic, FoundByPoolNumberAndNamesIgnoringCase) {
    InspectableGroup* group = NewGroup("Lights", 1);
    AddNew(group, TEST_ROOT_DLL, "Sun");  // same name, but not public
    Tev_Channel* sun = AddPublic(group, "Sunny");
    sun->SetChannelName("Sun");

    PublicCallInfo call = Call("LIGHTS", "sUN", 1);
    EXPECT_EQ(group->GetPublicChannel(&call), sun);

    PublicCallInfo otherNumber = Call("Lights", "Sun", 0);
    EXPECT_EQ(group->GetPublicChannel(&otherNumber), nullptr);
    PublicCallInfo otherPool = Call("Light", "Sun", 1);
    EXPECT_EQ(group->GetPublicChannel(&otherPool), nullptr);
    PublicCallInfo missing = Call("Lights", "Moon", 1);
    EXPECT_EQ(group->GetPublicChannel(&missing), nullptr);
    EXPECT_EQ(group->GetPublicChannel(nullptr), nullptr);

    InspectableGroup* unnamed = NewGroup(nullptr, 1);
    AddPublic(unnamed, "Sun");
    PublicCallInfo anyPool = Call("", "Sun", 1);
    EXPECT_EQ(unnamed->GetPublicChannel(&anyPool), nullptr) << "a group without a pool name offers nothing";
}

TEST_F(ChannelGroupPublic, UnterminatedCallRecordIsReadWithinItsBounds) {
    InspectableGroup* group = NewGroup("Lights", 0);
    AddPublic(group, "Sun");
    PublicCallInfo call = Call("Lights", "Sun", 0);
    std::memset(call.channelName, 'S', sizeof(call.channelName));
    EXPECT_EQ(group->GetPublicChannel(&call), nullptr);
}

TEST_F(ChannelGroupPublic, DuplicateNamesAreThoseOfOtherPublicMembers) {
    InspectableGroup* group = NewGroup("Pool");
    Tev_Channel* first = AddPublic(group, "Gate");
    Tev_Channel* second = AddPublic(group, "Door");
    Tev_Channel* plain = AddNew(group, TEST_ROOT_DLL, "gate");
    Tev_Channel* unnamed = AddNew(group);

    EXPECT_FALSE(group->CheckDuplicatePublicChannelName(first)) << "a plain channel does not count";
    EXPECT_TRUE(group->CheckDuplicatePublicChannelName(plain));
    second->SetChannelName("GATE");
    EXPECT_TRUE(group->CheckDuplicatePublicChannelName(first));
    EXPECT_FALSE(group->CheckDuplicatePublicChannelName(unnamed));
    EXPECT_FALSE(group->CheckDuplicatePublicChannelName(nullptr));
}

TEST_F(ChannelGroupPublic, InterfaceChangeClearsTheLinksOfPublicCallsIntoThatPool) {
    InspectableGroup* group = NewGroup("Caller");
    Tev_Channel* call = AddNew(group, TEST_ROOT_DLL, "call");
    Tev_Channel* other = AddNew(group, TEST_ROOT_DLL, "other call");
    call->SetChannelInterfaceType(PEX_PUBLICCALL);
    other->SetChannelInterfaceType(PEX_PUBLICCALL);
    PublicCallInfo info = Call("Target", "Sun", 0);
    info.autoLoadGroup = false;
    channelInternal.SetPublicCallInfo(call, info);
    info = Call("Elsewhere", "Sun", 0);
    info.autoLoadGroup = false;
    channelInternal.SetPublicCallInfo(other, info);
    ASSERT_GE(call->SetChild(AddNew(group), -1, -1), 0);
    ASSERT_GE(other->SetChild(AddNew(group), -1, -1), 0);

    group->CheckInterfaceChange("tARGET");
    EXPECT_EQ(call->GetChildCount(), 0);
    EXPECT_GT(other->GetChildCount(), 0);
    group->CheckInterfaceChange(nullptr);
    EXPECT_GT(other->GetChildCount(), 0);
}
