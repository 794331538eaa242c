// The parameter interface of a group and the channel that supplies its parameters.
#include <cstring>

#include "ChannelGroupFixture.h"

using ChannelGroupParameters = ChannelGroupTest;

namespace {

ParameterInterfaceInfo Parameter(const char* name) {
    ParameterInterfaceInfo info;
    std::memset(&info, 0, sizeof(info));
    std::strncpy(info.name, name, sizeof(info.name) - 1);
    info.typeGuid = kTestRootGuid;
    return info;
}

}  // namespace

TEST_F(ChannelGroupParameters, RemovingTheLastShrinksRemovingAnotherLeavesAHoleThatIsReused) {
    InspectableGroup* group = NewGroup("Pool");
    EXPECT_EQ(group->AddParameterInfo(Parameter("a")), 0);
    EXPECT_EQ(group->AddParameterInfo(Parameter("b")), 1);
    EXPECT_EQ(group->AddParameterInfo(Parameter("c")), 2);

    group->RemoveParameterInfo(2);
    EXPECT_EQ(group->GetParameterCount(), 2);

    group->AddParameterInfo(Parameter("c"));
    group->RemoveParameterInfo(0);
    EXPECT_EQ(group->GetParameterCount(), 3);
    ParameterInterfaceInfo empty = group->GetParameterInfo(0);
    EXPECT_STREQ(empty.name, "");
    EXPECT_TRUE(IsNullGuid(empty.typeGuid));
    EXPECT_STREQ(group->GetParameterInfo(1).name, "b");

    EXPECT_EQ(group->AddParameterInfo(Parameter("d")), 0) << "the hole is reused";
    EXPECT_STREQ(group->GetParameterInfo(0).name, "d");
    EXPECT_TRUE(group->GetParameterInfo(0).typeGuid == kTestRootGuid);

    group->RemoveParameterInfo(7);
    group->RemoveParameterInfo(-1);
    EXPECT_EQ(group->GetParameterCount(), 3);
}

TEST_F(ChannelGroupParameters, SetParameterInfoGrowsTheListAndBoundsTheName) {
    InspectableGroup* group = NewGroup();
    ParameterInterfaceInfo unterminated;
    std::memset(unterminated.name, 'x', sizeof(unterminated.name));
    unterminated.typeGuid = kTestDerivedGuid;

    group->SetParameterInfo(unterminated, 3);
    EXPECT_EQ(group->GetParameterCount(), 4);
    ParameterInterfaceInfo stored = group->GetParameterInfo(3);
    EXPECT_EQ(std::strlen(stored.name), sizeof(stored.name) - 1);
    EXPECT_TRUE(stored.typeGuid == kTestDerivedGuid);
    EXPECT_STREQ(group->GetParameterInfo(1).name, "");

    group->SetParameterInfo(Parameter("again"), 3);
    EXPECT_STREQ(group->GetParameterInfo(3).name, "again");
    group->SetParameterInfo(Parameter("nowhere"), -2);
    EXPECT_EQ(group->GetParameterCount(), 4);
}

TEST_F(ChannelGroupParameters, ParameterChannelAnswersTheSuppliersChildren) {
    InspectableGroup* group = NewGroup();
    InspectableGroup* caller = NewGroup();
    EXPECT_EQ(group->GetParameterChannel(0), nullptr);

    Tev_Channel* supplier = AddNew(caller, TEST_LINKS_DLL);
    Tev_Channel* value = AddNew(caller, TEST_ROOT_DLL);
    ASSERT_GE(supplier->SetChild(value, -1, 0), 0);

    group->SetParameterChannel(supplier);
    EXPECT_EQ(group->GetParameterChannel(0), value);
    EXPECT_EQ(group->GetParameterChannel(1), nullptr);

    group->SetParameterChannel(nullptr);
    EXPECT_EQ(group->GetParameterChannel(0), nullptr);
}
