// Where a public call's target group comes from, as the kernel, the load check and pack read it.
#include <gtest/gtest.h>

#include <string>

#include "EngineInterface.h"
#include "TarnwellHost.h"
#include "Tev_ChannelGroup.h"
#include "support/PublicCallShapes.h"
#include "support/TestEngine.h"

using namespace tarnwell_test;

// The target file of a public call: relative to its own group's file, refused for a name too
// short to load, for a group without a file and for a channel that is no public call.
TEST(PublicCallTarget, FileComesFromTheRecordBesideTheOwnGroupFile) {
    TestEngineOptions options;
    options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
    TestEngine engine(options);
    ASSERT_TRUE(engine.Started());
    EngineInterface* api = engine.Engine();
    Tev_ChannelGroup* group = api->CreateNewGroup("Caller", false, 0);
    ASSERT_NE(group, nullptr);
    Tev_Channel* named = AddWaitingCall(api, group, "Target", "sub\\target.cgr", true);
    Tev_Channel* shortName = AddWaitingCall(api, group, "Target", "t", true);
    Tev_Channel* plain = api->InitChannelFromType(kTestRootGuid, group, false);
    ASSERT_TRUE(named && shortName && plain);
    char path[TEV_TARGET_FILE_SIZE];

    EXPECT_EQ(TevPublicCallTargetFile(named, path, sizeof(path)), 0) << "the group has no file yet";
    group->SetChannelGroupFileName("/srv/show/caller.cgr");
    ASSERT_EQ(TevPublicCallTargetFile(named, path, sizeof(path)), 1);
    EXPECT_EQ(std::string(path), "/srv/show/sub/target.cgr");
    EXPECT_EQ(TevPublicCallTargetFile(shortName, path, sizeof(path)), 0);
    EXPECT_EQ(TevPublicCallTargetFile(plain, path, sizeof(path)), -1);
    EXPECT_EQ(TevPublicCallTargetFile(named, path, TEV_TARGET_FILE_SIZE - 1), -1);
}
