// TevWalkProjectGroups: the groups a run loads, walked as the load check walks them, for the
// hosts and tools that need the groups themselves (vantor-project pack).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "EngineControl.h"
#include "EngineInterface.h"
#include "TarnwellHost.h"
#include "Tev_ChannelGroup.h"
#include "support/PublicCallShapes.h"
#include "support/TestEngine.h"

using namespace tarnwell_test;
namespace fs = std::filesystem;

namespace {

struct Step {
    int step;
    bool group, loadedBefore, missing;
    std::string file;  // the last path component
};

void Record(const TevWalkItem* item, void* context) {
    const std::string file = item->file;
    static_cast<std::vector<Step>*>(context)->push_back({item->step, item->group != nullptr,
                                                         item->loadedBefore != 0, item->missing != 0,
                                                         file.substr(file.find_last_of("/\\") + 1)});
}

TestEngineOptions WithTestChannels() {
    TestEngineOptions options;
    options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
    return options;
}

}  // namespace

// The chain g0 -> g1 -> g2 autoloads; the kernel loads it whole with g0. A missing link is met
// as a missing file; a call that loads nothing comes last.
TEST(GroupWalk, MeetsTheGroupsARunLoadsInTheirOrder) {
    TempDir dir{"tarnwell-walk"};
    {
        TestEngine author(WithTestChannels());
        ASSERT_TRUE(SaveAutoloadChain(author.Engine(), dir.Path(), 3));
        Tev_ChannelGroup* waiting = NewCalledGroup(author.Engine(), "W");
        ASSERT_NE(AddWaitingCall(author.Engine(), waiting, "Nobody", "nobody.cgr", false), nullptr);
        ASSERT_TRUE(waiting->SaveChannelGroup((dir.Path() + "/w.cgr").c_str()));
    }
    const Step start{TEV_WALK_START_GROUP, true, false, false, "g0.cgr"};
    struct Case {
        const char* name;
        const char* startFile;
        const char* removed;
        int answer;
        std::vector<Step> steps;
    } cases[] = {
        {"whole chain",
         "g0.cgr",
         nullptr,
         3,
         {start,
          {TEV_WALK_LOADING_CALL, true, true, false, "g1.cgr"},
          {TEV_WALK_LOADING_CALL, true, true, false, "g2.cgr"}}},
        {"last link missing",
         "g0.cgr",
         "g2.cgr",
         2,
         {start,
          {TEV_WALK_LOADING_CALL, true, true, false, "g1.cgr"},
          {TEV_WALK_LOADING_CALL, false, false, true, "g2.cgr"}}},
        {"start group missing",
         "none.cgr",
         nullptr,
         0,
         {{TEV_WALK_START_GROUP, false, false, true, "none.cgr"}}},
        {"waiting call",
         "w.cgr",
         nullptr,
         1,
         {{TEV_WALK_START_GROUP, true, false, false, "w.cgr"},
          {TEV_WALK_WAITING_CALL, false, false, false, ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.removed) fs::remove(dir.Path() + "/" + c.removed);
        TestEngine engine(WithTestChannels());
        std::vector<Step> steps;
        const std::string path = dir.Path() + "/" + c.startFile;
        EXPECT_EQ(TevWalkProjectGroups(engine.Control(), path.c_str(), &Record, &steps), c.answer);
        ASSERT_EQ(steps.size(), c.steps.size());
        for (size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].step, c.steps[i].step) << i;
            EXPECT_EQ(steps[i].group, c.steps[i].group) << i;
            EXPECT_EQ(steps[i].loadedBefore, c.steps[i].loadedBefore) << i;
            EXPECT_EQ(steps[i].missing, c.steps[i].missing) << i;
            EXPECT_EQ(steps[i].file, c.steps[i].file) << i;
        }
    }
    EXPECT_EQ(TevWalkProjectGroups(nullptr, "g0.cgr", &Record, nullptr), -1);
}
