// The engine's group table: creating, numbering, finding, loading and deleting groups.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "DebugMessages.h"
#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/TestChannelFactory.h"
#include "support/TestEngine.h"

namespace {

const char* const kNonArraySameName = "Engine::CreateNewGroup non array group created with same name";
const char* const kArrayOfNonArray = "Engine::CreateNewGroup wanted to create an array of a non array group!";

class GroupTable : public ::testing::Test {
protected:
    GroupTable() : engine(Options()) {}

    static tarnwell_test::TestEngineOptions Options() {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
        return options;
    }

    EngineInterface* Api() { return engine.Engine(); }

    // A test plug-in channel handed over to the group, which deletes it.
    Tev_Channel* MakeIn(Tev_ChannelGroup* group, const char* module) {
        if (!factory) factory = std::make_unique<TestChannelFactory>(Api());
        Tev_Channel* channel = factory->Create(module);
        if (!channel) return nullptr;
        factory->Release(channel);
        group->AddChannel(channel);
        return channel;
    }

    int CountOfType(int type, const std::string& text) {
        int count = 0;
        for (const auto& message : engine.Messages())
            if (message.type == type && message.text == text) count++;
        return count;
    }

    std::unique_ptr<TestChannelFactory> factory;  // outlives the engine: channels run its modules' code
    tarnwell_test::TestEngine engine;
};

}  // namespace

TEST_F(GroupTable, SecondNonArrayGroupOfANameIsRefused) {
    ASSERT_TRUE(engine.Started());
    Tev_ChannelGroup* first = Api()->CreateNewGroup("A", false, -1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetPoolNr(), 0);
    EXPECT_FALSE(first->GetIfArrayGroup());

    EXPECT_EQ(Api()->CreateNewGroup("A", false, -1), nullptr);
    EXPECT_EQ(CountOfType(TEV_MESSAGE_ERROR, kNonArraySameName), 1);
    EXPECT_EQ(Api()->GetChannelGroupCount(), 1);
    EXPECT_EQ(Api()->GetPoolGroup("A", 0), first);

    EXPECT_EQ(Api()->CreateNewGroup(nullptr, false, -1), nullptr);
    EXPECT_EQ(Api()->CreateNewGroup("", true, -1), nullptr);
    EXPECT_EQ(Api()->GetChannelGroupCount(), 1);
}

TEST_F(GroupTable, ArrayInstancesCountUpAndTheHighestIsFound) {
    for (int expected = 0; expected < 3; expected++) {
        Tev_ChannelGroup* group = Api()->CreateNewGroup("A", true, -1);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->GetPoolNr(), expected);
        EXPECT_EQ(group->GetGroupIndex(), expected);
        EXPECT_TRUE(group->GetIfArrayGroup());
    }
    EXPECT_EQ(Api()->GetHighInstance("A"), 2);
    EXPECT_EQ(Api()->GetHighInstance("a"), -1) << "the first character must be identical";
    EXPECT_EQ(Api()->GetHighInstance("B"), -1);
    EXPECT_EQ(Api()->GetHighInstance(nullptr), 0);
    EXPECT_EQ(Api()->GetPoolGroup("a", 1), Api()->GetChannelGroup(1)) << "lookups ignore case";
    EXPECT_EQ(Api()->GetPoolGroup("A", 3), nullptr);
    EXPECT_EQ(Api()->GetPoolGroup(nullptr, 0), nullptr);
}

TEST_F(GroupTable, NamesDifferingInTheCaseOfTheFirstLetterAreDifferentPools) {
    Tev_ChannelGroup* upper = Api()->CreateNewGroup("Pool", false, -1);
    Tev_ChannelGroup* lower = Api()->CreateNewGroup("pool", false, -1);
    ASSERT_TRUE(upper && lower);
    EXPECT_EQ(lower->GetPoolNr(), 0);
    EXPECT_EQ(CountOfType(TEV_MESSAGE_ERROR, kNonArraySameName), 0);
    EXPECT_EQ(Api()->GetPoolGroup("POOL", 0), upper) << "the first in table order";

    EXPECT_EQ(Api()->CreateNewGroup("POOL", false, -1), nullptr) << "same pool as Pool";
    EXPECT_EQ(Api()->CreateNewGroup("pOOL", false, -1), nullptr) << "same pool as pool";
    EXPECT_EQ(CountOfType(TEV_MESSAGE_ERROR, kNonArraySameName), 2);
}

TEST_F(GroupTable, DeletedSlotStaysCountedAndIsReused) {
    Api()->CreateNewGroup("A", false, -1);
    Api()->CreateNewGroup("B", false, -1);
    Api()->CreateNewGroup("C", false, -1);

    Api()->DeleteChannelGroup(1);
    EXPECT_EQ(Api()->GetChannelGroupCount(), 3);
    EXPECT_EQ(Api()->GetChannelGroup(1), nullptr);
    Api()->DeleteChannelGroup(1);   // an empty slot: nothing
    Api()->DeleteChannelGroup(17);  // outside the table: nothing

    Tev_ChannelGroup* group = Api()->CreateNewGroup("D", false, -1);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetGroupIndex(), 1);
    EXPECT_EQ(Api()->GetChannelGroup(1), group);
    EXPECT_EQ(Api()->GetChannelGroupCount(), 3);
    EXPECT_EQ(Api()->GetChannelGroup(5), nullptr);
    EXPECT_EQ(Api()->GetChannelGroup(-1), nullptr);
}

TEST_F(GroupTable, ExplicitInstanceReplacesTheGroupOfThatNumber) {
    Tev_ChannelGroup* old = Api()->CreateNewGroup("A", false, -1);
    old->SetChannelGroupFileName("a.cgr");
    Tev_ChannelGroup* replacement = Api()->CreateNewGroup("A", false, 0);
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(Api()->GetChannelGroupCount(), 1);
    EXPECT_EQ(replacement->GetGroupIndex(), 0);
    EXPECT_EQ(Api()->GetChannelGroup("a.cgr", 0), nullptr) << "the old group is gone";
    EXPECT_TRUE(engine.Messages().empty());
}

TEST_F(GroupTable, RefusedExplicitInstanceDestroysNothing) {
    // A non-array group may not have instance 1, even to replace one.
    Api()->CreateNewGroup("A", true, -1);
    Tev_ChannelGroup* second = Api()->CreateNewGroup("A", true, -1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Api()->CreateNewGroup("A", false, 1), nullptr);
    EXPECT_EQ(CountOfType(TEV_MESSAGE_ERROR, kNonArraySameName), 1);
    EXPECT_EQ(Api()->GetPoolGroup("A", 1), second);
    EXPECT_EQ(Api()->GetChannelGroup(1), second);

    // An array instance of a non-array group (found by its file name) is refused too.
    Tev_ChannelGroup* single = Api()->CreateNewGroup("C", false, -1);
    single->SetChannelGroupFileName("C");
    Tev_ChannelGroup* stray = Api()->CreateNewGroup("X", false, -1);
    stray->SetPoolName("C");
    stray->SetPoolNr(1);
    EXPECT_EQ(Api()->CreateNewGroup("C", true, 1), nullptr);
    EXPECT_EQ(CountOfType(TEV_MESSAGE_ERROR, kArrayOfNonArray), 1);
    EXPECT_EQ(Api()->GetPoolGroup("C", 1), stray);
    EXPECT_EQ(Api()->GetChannelGroupCount(), 4);
}

TEST_F(GroupTable, LoadingRefusesPoolNamesInUseAndCleansUpAFailedLoad) {
    Api()->CreateNewGroup("Single", false, -1);
    Api()->CreateNewGroup("Many", true, -1);
    engine.ClearMessages();

    EXPECT_EQ(Api()->LoadChannelGroup("single.cgr", "Single"), nullptr);
    EXPECT_TRUE(engine.Contains("Engine::LoadChannelGroup wanted to load a channel group in a non array pool"));
    EXPECT_EQ(Api()->LoadChannelGroup("many.cgr", "Many"), nullptr);
    EXPECT_EQ(CountOfType(TEV_MESSAGE_USER_ERROR, "Channel group name already exists can't create group called: Many"),
              1);
    EXPECT_EQ(CountOfType(TEV_MESSAGE_ERROR, "Arrays can only be made trough CreateGroup (Array_LoadGroup)"), 1);
    EXPECT_EQ(Api()->GetChannelGroupCount(), 2);

    std::string missing = engine.InstallDir() + "/missing.cgr";
    EXPECT_EQ(Api()->LoadChannelGroup(missing.c_str(), "Fresh"), nullptr);
    EXPECT_TRUE(engine.Contains("Engine::LoadChannelGroup: Error loading channel group"));
    EXPECT_EQ(Api()->GetChannelGroup(2), nullptr) << "the slot of the failed load is empty again";
    EXPECT_EQ(Api()->GetPoolGroup("Fresh", 0), nullptr);
}

TEST_F(GroupTable, LookupsFollowRenamesAndAnswerInTableOrder) {
    Tev_ChannelGroup* first = Api()->CreateNewGroup("Q", false, -1);
    Tev_ChannelGroup* second = Api()->CreateNewGroup("P", false, -1);
    first->SetPoolName("p");  // renamed after joining the table

    EXPECT_EQ(Api()->GetPoolGroup("Q", 0), nullptr);
    EXPECT_EQ(Api()->GetPoolGroup("P", 0), first) << "the lower slot first";
    EXPECT_EQ(Api()->GetHighInstance("p"), 0);
    EXPECT_EQ(Api()->CreateNewGroup("Q", false, -1)->GetGroupIndex(), 2);

    Api()->DeleteChannelGroup(0);
    EXPECT_EQ(Api()->GetPoolGroup("P", 0), second);
    EXPECT_EQ(Api()->GetHighInstance("p"), -1);
    Tev_ChannelGroup* reuse = Api()->CreateNewGroup("R", false, -1);
    EXPECT_EQ(reuse->GetGroupIndex(), 0);
    EXPECT_EQ(Api()->GetPoolGroup("p", 0), second);
    EXPECT_EQ(Api()->GetPoolGroup("r", 0), reuse);
    reuse->SetPoolName(nullptr);
    EXPECT_EQ(Api()->GetPoolGroup("R", 0), nullptr);
}

TEST_F(GroupTable, OverlongPoolNamesAreHeldWhole) {
    std::string name(1000, 'n');
    Tev_ChannelGroup* group = Api()->CreateNewGroup(name.c_str(), false, -1);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(std::string(group->GetPoolName()), name);
    EXPECT_EQ(Api()->GetPoolGroup(name.c_str(), 0), group);
    EXPECT_EQ(Api()->LoadChannelGroup("x.cgr", name.c_str()), nullptr);
}

TEST_F(GroupTable, ReleaseGroupsEmptiesTheTable) {
    Api()->CreateNewGroup("A", false, -1);
    Api()->CreateNewGroup("B", false, -1);
    Api()->DeleteChannelGroup(0);
    engine.Ext()->ReleaseGroups();
    EXPECT_EQ(Api()->GetChannelGroupCount(), 0);
    Tev_ChannelGroup* group = Api()->CreateNewGroup("C", false, -1);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetGroupIndex(), 0);
}

TEST_F(GroupTable, FrameRunsTheStartGroupsStartChannelOnce) {
    Tev_ChannelGroup* other = Api()->CreateNewGroup("Other", false, -1);
    Tev_ChannelGroup* start = Api()->CreateNewGroup("Start", false, -1);
    Tev_Channel* idle = MakeIn(other, TEST_COUNTER_DLL);
    Tev_Channel* counter = MakeIn(start, TEST_COUNTER_DLL);
    ASSERT_TRUE(AsTestChannel(counter) && AsTestChannel(idle));
    engine.Ext()->SetStartGroup(start->GetGroupIndex());

    engine.Control()->EngineLoop();
    EXPECT_EQ(AsTestChannel(counter)->GetCallCount(), 1);
    EXPECT_EQ(AsTestChannel(idle)->GetCallCount(), 0);
}

TEST_F(GroupTable, RemovingAParameterReachesPublicCallsIntoThePoolInEveryGroup) {
    Tev_ChannelGroup* target = Api()->CreateNewGroup("Target", false, -1);
    Tev_ChannelGroup* caller = Api()->CreateNewGroup("Caller", false, -1);
    Tev_Channel* call = MakeIn(caller, TEST_ROOT_DLL);
    ASSERT_NE(call, nullptr);
    call->SetChannelInterfaceType(PEX_PUBLICCALL);
    PublicCallInfo info;
    std::strncpy(info.poolName, "Target", sizeof(info.poolName) - 1);
    info.autoLoadGroup = false;
    channelInternal.SetPublicCallInfo(call, info);
    ASSERT_GE(call->SetChild(MakeIn(caller, TEST_ROOT_DLL), -1, -1), 0);
    ParameterInterfaceInfo parameter = {"size", kTestRootGuid};
    target->AddParameterInfo(parameter);
    ASSERT_GT(call->GetChildCount(), 0);

    target->RemoveParameterInfo(0);
    EXPECT_EQ(call->GetChildCount(), 0);
}

TEST(GroupTableUnstarted, LoadingBeforeInitEngineAnswersNull) {
    tarnwell_test::ScopedSink messages;
    EngineInterface* engine = new EngineInterface();
    EXPECT_EQ(engine->LoadChannelGroup("any.cgr", nullptr), nullptr);
    EXPECT_EQ(engine->LoadChannelGroup("any.cgr", "Pool"), nullptr);
    EXPECT_EQ(engine->GetChannelGroupCount(), 0);
    engine->engineInterfaceExt->Release();
    delete engine;
}
