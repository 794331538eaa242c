// Public calls: resolving to a public channel of another group, the cache and request marks,
// entering the target group, loading it on demand, and forgetting removed targets.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/TempDir.h"
#include "support/TestEngine.h"

namespace {

class PublicCalls : public ::testing::Test {
protected:
    PublicCalls() : engine(Options()) {}

    static tarnwell_test::TestEngineOptions Options() {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
        return options;
    }

    EngineInterface* Api() { return engine.Engine(); }

    Tev_ChannelGroup* Group(const char* poolName) { return Api()->CreateNewGroup(poolName, false, 0); }

    Tev_Channel* Add(Tev_ChannelGroup* group, const _GUID& type, const char* name = nullptr) {
        Tev_Channel* channel = Api()->InitChannelFromType(type, group, false);
        EXPECT_NE(channel, nullptr);
        if (channel && name) channel->SetChannelName(name);
        return channel;
    }

    Tev_Channel* Public(Tev_ChannelGroup* group, const char* name, const _GUID& type = kTestRootGuid) {
        Tev_Channel* channel = Add(group, type, name);
        if (channel) channel->SetChannelInterfaceType(PEX_PUBLIC);
        return channel;
    }

    // A public call for channelName in poolName; autoload off unless a file is named.
    Tev_Channel* Call(Tev_ChannelGroup* group, const char* poolName, const char* channelName,
                      const char* fileName = nullptr, const _GUID& type = kTestRootGuid) {
        Tev_Channel* call = Add(group, type, "Call");
        if (!call) return nullptr;
        call->SetChannelInterfaceType(PEX_PUBLICCALL);
        PublicCallInfo info;
        std::strcpy(info.poolName, poolName);
        std::strcpy(info.channelName, channelName);
        if (fileName) std::strcpy(info.fileName, fileName);
        info.autoLoadGroup = fileName != nullptr;
        channelInternal.SetPublicCallInfo(call, info);
        return call;
    }

    static Tev_Channel* Look(Tev_Channel* call, bool enter = true) {
        return channelInternal.GetPublicChannelForPublicCall(call, enter);
    }

    static void AddParameter(Tev_ChannelGroup* group, const char* name, const _GUID& type) {
        ParameterInterfaceInfo parameter{};
        std::strcpy(parameter.name, name);
        parameter.typeGuid = type;
        group->AddParameterInfo(parameter);
    }

    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const auto& message : engine.Messages())
            if (message.type == TEV_MESSAGE_ERROR) texts.push_back(message.text);
        return texts;
    }

    tarnwell_test::TestEngine engine;
};

TEST_F(PublicCalls, ReachableTargetIsHandedOutThroughGetChildAndCached) {
    Tev_ChannelGroup* a = Group("A");
    Tev_ChannelGroup* b = Group("B");
    Tev_Channel* sun = Public(b, "Sun");
    Tev_Channel* call = Call(a, "b", "SUN");
    Tev_Channel* parent = Add(a, kTestCounterGuid);
    int index = parent->SetChild(call, -1, 0);

    EXPECT_EQ(parent->GetChild(index), sun);
    // Renamed without telling anyone: only the cache can still answer.
    sun->SetChannelName("Moon");
    EXPECT_EQ(Look(call), sun);
}

TEST_F(PublicCalls, TargetOfAnotherBaseTypeIsNeverHandedOut) {
    Tev_ChannelGroup* a = Group("A");
    Tev_ChannelGroup* b = Group("B");
    Tev_Channel* links = Public(b, "Sun", kTestLinksGuid);
    Tev_Channel* call = Call(a, "B", "Sun");
    EXPECT_EQ(Look(call), nullptr);
    EXPECT_FALSE(channelInternal.CheckPublicChannelRequest(call, links, 0, "B"));

    // A derived type shares the base and is accepted.
    Tev_ChannelGroup* c = Group("C");
    Tev_Channel* derived = Public(c, "Sun", kTestDerivedGuid);
    Tev_Channel* other = Call(a, "C", "Sun");
    EXPECT_EQ(Look(other), derived);
}

TEST_F(PublicCalls, WaitingCallRegistersOneRequestAnsweredWhenTheGroupOffersItsChannels) {
    Tev_ChannelGroup* a = Group("A");
    Tev_Channel* call = Call(a, "B", "Sun");
    EXPECT_EQ(Look(call), nullptr);

    Tev_ChannelGroup* b = Group("B");
    Tev_Channel* sun = Public(b, "Sun");
    // The engine holds the request: the call does not look again by itself.
    EXPECT_EQ(Look(call), nullptr);
    // Pool and channel names must match with their first character exact.
    EXPECT_FALSE(channelInternal.CheckPublicChannelRequest(call, sun, 0, "b"));
    b->CheckPublicChannels();
    EXPECT_EQ(Look(call), sun);
    EXPECT_FALSE(channelInternal.CheckPublicChannelRequest(call, sun, 0, "B"));  // answered
}

TEST_F(PublicCalls, EnteringTheTargetFollowsTheTreeCountModeAndHandsOverTheChildren) {
    Tev_ChannelGroup* a = Group("A");
    Tev_ChannelGroup* b = Group("B");
    AddParameter(b, "Light", kTestRootGuid);
    Tev_Channel* sun = Public(b, "Sun");
    Tev_Channel* call = Call(a, "B", "Sun");
    int count = b->GetTreeCalculateCount();

    // Looking without entering changes nothing in the target group.
    EXPECT_EQ(Look(call, false), sun);
    EXPECT_EQ(b->GetTreeCalculateCount(), count);
    EXPECT_EQ(b->GetParameterChannel(0), nullptr);

    // Mode 1 without children: no new pass, no parameters.
    EXPECT_EQ(Look(call), sun);
    EXPECT_EQ(b->GetTreeCalculateCount(), count);
    channelInternal.SetTreeCountMode(call, 2);
    Look(call);
    EXPECT_EQ(b->GetTreeCalculateCount(), count + 1);

    Tev_Channel* light = Add(a, kTestRootGuid, "Light");
    EXPECT_EQ(call->SetChild(light, -1, 0), 0);
    channelInternal.SetTreeCountMode(call, 1);
    Look(call);
    EXPECT_EQ(b->GetTreeCalculateCount(), count + 2);
    EXPECT_EQ(b->GetParameterChannel(0), light);
    // A parameter channel inside the target resolves to the call's child.
    Tev_Channel* parameter = Add(b, kTestRootGuid);
    parameter->SetChannelInterfaceType(PEX_PARAMETER);
    Tev_Channel* user = Add(b, kTestCounterGuid);
    EXPECT_EQ(user->GetChild(user->SetChild(parameter, -1, 0)), light);

    channelInternal.SetTreeCountMode(call, 0);
    Look(call);
    EXPECT_EQ(b->GetTreeCalculateCount(), count + 2);
}

TEST_F(PublicCalls, ChildrenWaitInThePlaceholderAndMoveToTheParametersKeepingLinkData) {
    Tev_ChannelGroup* a = Group("A");
    Tev_Channel* call = Call(a, "B", "Sun");
    Tev_Channel* first = Add(a, kTestRootGuid);
    Tev_Channel* second = Add(a, kTestDerivedGuid);
    ASSERT_EQ(call->SetChild(first, -1, 0), 0);
    ASSERT_EQ(call->SetChild(second, -1, 1), 1);
    channelInternal.GetChildInfo(call, 1)->linkData = 7;
    EXPECT_EQ(channelInternal.GetChildCreationCount(call), 1);

    Tev_ChannelGroup* b = Group("B");
    AddParameter(b, "First", kTestRootGuid);
    AddParameter(b, "Second", kTestRootGuid);
    Public(b, "Sun");
    b->CheckPublicChannels();

    EXPECT_EQ(channelInternal.GetChildCreationCount(call), 2);
    ASSERT_NE(channelInternal.GetChildCreateType(call, 0), nullptr);
    EXPECT_EQ(call->GetChildFromLinkPosition(0, 0), first);
    EXPECT_EQ(call->GetChildFromLinkPosition(1, 0), second);
    EXPECT_EQ(channelInternal.GetChildInfo(call, 1)->linkData, 7);
    EXPECT_EQ(channelInternal.GetChildCreateType(call, 2), nullptr);

    // The target goes and comes back: every child returns to its position.
    Api()->DeleteChannelGroup(b->GetGroupIndex());
    EXPECT_EQ(call->GetChildFromLinkPosition(0, 1), second);  // back in the placeholder
    b = Group("B");
    AddParameter(b, "First", kTestRootGuid);
    AddParameter(b, "Second", kTestRootGuid);
    Public(b, "Sun");
    b->CheckPublicChannels();
    EXPECT_EQ(call->GetChildFromLinkPosition(0, 0), first);
    EXPECT_EQ(call->GetChildFromLinkPosition(1, 0), second);
    EXPECT_EQ(channelInternal.GetChildInfo(call, 1)->linkData, 7);
}

// A public switch of the root base type that stands for another channel.
class PublicSwitch : public Tev_Channel {
public:
    explicit PublicSwitch(Tev_Channel* target) : target(target) {
        SetChannelInterfaceType(PEX_PUBLICCUSTOMCHANNELGET);
    }
    ChannelType GetChannelType() override {
        ChannelType type;
        type.typeGuid = kTestDerivedGuid;
        type.baseGuid = kTestRootGuid;
        return type;
    }
    Tev_Channel* GetChannelFromChannel(Tev_Channel* caller, ChildInfo* entry) override {
        return caller || entry ? nullptr : target;
    }

private:
    Tev_Channel* target;
};

TEST_F(PublicCalls, PublicCustomTargetHandsOutWhatItStandsFor) {
    Tev_ChannelGroup* a = Group("A");
    Tev_ChannelGroup* b = Group("B");
    Tev_Channel* inside = Add(b, kTestRootGuid);
    Tev_Channel* custom = new PublicSwitch(inside);
    b->AddChannel(custom);  // the group deletes it
    custom->SetChannelName("Switch");
    Tev_Channel* call = Call(a, "B", "Switch");
    EXPECT_EQ(Look(call), inside);
}

// A removed target must never come back out of a cache: under AddressSanitizer a stale entry
// is a use after free.
TEST_F(PublicCalls, RemovedGroupOrChannelOrPublicStatusLeavesNoCachedTarget) {
    Tev_ChannelGroup* a = Group("A");
    Tev_Channel* call = Call(a, "B", "Sun");

    Tev_ChannelGroup* b = Group("B");
    Tev_Channel* sun = Public(b, "Sun");
    b->CheckPublicChannels();
    ASSERT_EQ(Look(call), sun);
    Api()->DeleteChannelGroup(b->GetGroupIndex());
    EXPECT_EQ(Look(call), nullptr);

    b = Group("B");
    sun = Public(b, "Sun");
    b->CheckPublicChannels();
    ASSERT_EQ(Look(call), sun);
    b->RemoveChannel(sun);
    EXPECT_EQ(Look(call), nullptr);

    for (int type : {PEX_NORMAL, PEX_PARAMETER}) {
        sun = Public(b, "Sun");
        b->CheckPublicChannels();
        ASSERT_EQ(Look(call), sun) << type;
        sun->SetChannelInterfaceType(type);
        EXPECT_EQ(Look(call), nullptr) << type;
        b->RemoveChannel(sun);
    }

    sun = Public(b, "Sun");
    b->CheckPublicChannels();
    ASSERT_EQ(Look(call), sun);
    // A group whose pool number changed after the call found it.
    b->SetPoolNr(3);
    b->RemoveChannel(sun);
    channelInternal.SetRequestedPublicChannelNr(call, 0);
    EXPECT_EQ(Look(call), nullptr);
}

TEST_F(PublicCalls, AutoloadIntoALoadedGroupWithoutTheChannelReportsOnceWordForWord) {
    Tev_ChannelGroup* a = Group("Scene");
    a->SetChannelGroupFileName("/data/scene.cgr");
    Tev_Channel* call = Call(a, "Lights", "Sun", "lights.cgr");
    call->SetChannelName("Sky");
    Group("Lights");
    engine.ClearMessages();

    EXPECT_EQ(Look(call), nullptr);
    const std::vector<std::string> expected = {
        "Tev_Channel::GetPublicChannelForPublicCall error looking for channel",
        "Sky  : is a public channel looking for a non existing channel",
        "Original Poolname :  Scene",
        "Original Filename :  /data/scene.cgr",
        "Target Filename :  lights.cgr",
        "Non existing channel :  Sun",
        "Target Poolname :  Lights",
        "Target Filename :  lights.cgr",
        "Autoload turned off",
        "Reason for error might be that the target public channel has been renamed or deleted but the group "
        "still "
        "exists!!"};
    EXPECT_EQ(Errors(), expected);
    EXPECT_FALSE(channelInternal.GetAutoLoadGroup(call));
}

TEST_F(PublicCalls, FailedAutoloadIsReportedOnceAndSwitchedOff) {
    tarnwell_test::TempDir dir;
    Tev_ChannelGroup* a = Group("Scene");
    std::string own = dir.Path() + "/scene.cgr";
    a->SetChannelGroupFileName(own.c_str());
    Tev_Channel* call = Call(a, "Lights", "Sun", "missing.cgr");
    int groups = Api()->GetChannelGroupCount();
    engine.ClearMessages();

    EXPECT_EQ(Look(call), nullptr);
    EXPECT_EQ(engine.Count("Couldn't autoload group"), 1);
    EXPECT_TRUE(engine.Contains(tarnwell_test::SystemPath(dir.Path() + "/missing.cgr")));
    EXPECT_FALSE(channelInternal.GetAutoLoadGroup(call));
    EXPECT_EQ(Api()->GetPoolGroup("Lights", 0), nullptr);
    EXPECT_EQ(Api()->GetChannelGroup(groups), nullptr);

    engine.ClearMessages();
    EXPECT_EQ(Look(call), nullptr);
    EXPECT_EQ(engine.Count("Couldn't autoload group"), 0);
}

TEST_F(PublicCalls, AutoloadOnlyForInstanceZeroAndOnlyFromAGroupWithAFile) {
    Tev_ChannelGroup* a = Group("Scene");
    a->SetChannelGroupFileName("/data/scene.cgr");
    Tev_Channel* call = Call(a, "Lights", "Sun", "missing.cgr");
    channelInternal.SetRequestedPublicChannelNr(call, 1);
    engine.ClearMessages();
    EXPECT_EQ(Look(call), nullptr);
    EXPECT_EQ(engine.Count("Couldn't autoload group"), 0);
    EXPECT_TRUE(channelInternal.GetAutoLoadGroup(call));

    Tev_ChannelGroup* unsaved = Group("Unsaved");
    Tev_Channel* other = Call(unsaved, "Lights", "Sun", "missing.cgr");
    EXPECT_EQ(Look(other), nullptr);
    EXPECT_EQ(engine.Count("Couldn't autoload group"), 0);
    EXPECT_TRUE(channelInternal.GetAutoLoadGroup(other));
}

TEST_F(PublicCalls, DynamicAutoloadIntoALoadedPoolSwitchesItselfOff) {
    Tev_ChannelGroup* a = Group("Scene");
    a->SetChannelGroupFileName("/data/scene.cgr");
    Tev_Channel* call = Call(a, "Lights", "Sun", "lights.cgr");
    channelInternal.SetDynamicAutoLoadGroup(call, true);
    EXPECT_FALSE(channelInternal.GetAutoLoadGroup(call));
    Group("Lights");
    EXPECT_EQ(Look(call), nullptr);
    EXPECT_EQ(engine.Count("Error channel not found dissabeling dynamic loading"), 1);
    EXPECT_FALSE(channelInternal.GetDynamicAutoLoadGroup(call));
    channelInternal.SetAutoLoadGroup(call, true);
    channelInternal.SetDynamicAutoLoadGroup(call, true);
    channelInternal.SetAutoLoadGroup(call, true);
    EXPECT_FALSE(channelInternal.GetDynamicAutoLoadGroup(call));
}

// ----------------------------------------------------------------- unique public names

struct NameCase {
    std::vector<std::string> existing;
    std::string name;
    std::string expected;
};

TEST_F(PublicCalls, DuplicatePublicNamesGetANumberedSuffix) {
    const std::vector<NameCase> cases = {
        {{"Light"}, "Light", "Light(02)"},
        {{"Light", "Light(02)"}, "Light", "Light(03)"},
        {{"light(07)"}, "Light(07)", "Light(08)"},
        {{"Light(50)"}, "Light(50)", "Light(50)(02)"},
        {{"A(x)"}, "A(x)", "A(x)(02)"},
        {{"A(ab)"}, "A(ab)", "A(01)"},
        {{"Sun"}, "Moon", "Moon"},
    };
    int pool = 0;
    for (const NameCase& test : cases) {
        Tev_ChannelGroup* group = Group(("Names" + std::to_string(pool++)).c_str());
        for (const std::string& name : test.existing) Public(group, name.c_str());
        Tev_Channel* channel = Public(group, test.name.c_str());
        EXPECT_EQ(channel->GetChannelName(), test.expected) << test.name;
    }
}

TEST_F(PublicCalls, PublicNamesAtTheLengthLimitStillBecomeUnique) {
    Tev_ChannelGroup* group = Group("Long");
    const std::string base(TEV_CHANNEL_NAME_LENGTH - 4, 'x');
    std::vector<std::string> names;
    for (const std::string& name :
         {base + "(50)", base + "(50)", base + "(50)", std::string(500, 'y'), std::string(500, 'y')}) {
        Tev_Channel* channel = Public(group, name.c_str());
        names.push_back(channel->GetChannelName());
    }
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_LE(names[i].size(), static_cast<size_t>(TEV_CHANNEL_NAME_LENGTH));
        for (size_t j = 0; j < i; ++j) EXPECT_NE(names[i], names[j]);
    }
}

}  // namespace

// The engine tells a leaving public channel only to the calls that hold it, however they
// found it and wherever they sit now; under AddressSanitizer a call not told is a use after
// free at its next look-up.
TEST_F(PublicCalls, EveryCallHoldingALeavingTargetForgetsIt) {
    Tev_ChannelGroup* a = Group("A");
    Tev_ChannelGroup* b = Group("B");
    Tev_Channel* sun = Public(b, "Sun");
    Tev_Channel* looked = Call(a, "B", "Sun");
    Tev_Channel* inOwnGroup = Call(b, "B", "Sun");
    Tev_Channel* moved = Call(a, "B", "Sun");
    for (Tev_Channel* call : {looked, inOwnGroup, moved}) ASSERT_EQ(Look(call), sun);
    Tev_Channel* waiting = Call(a, "B", "Moon");
    EXPECT_EQ(Look(waiting), nullptr);  // waits for a request to be answered
    Tev_Channel* moon = Public(b, "Moon");
    b->CheckPublicChannels();
    ASSERT_EQ(Look(waiting), moon);
    Tev_ChannelGroup* c = Group("C");
    ASSERT_TRUE(a->TransferChannel(moved->GetChannelIDIndexNr(), c));

    b->RemoveChannel(moon);
    EXPECT_EQ(Look(waiting), nullptr);
    Api()->DeleteChannelGroup(a->GetGroupIndex());  // the transferred call outlives its old group
    Api()->DeleteChannelGroup(b->GetGroupIndex());
    EXPECT_EQ(Look(moved), nullptr);
}
