// The engine facade: version, debug lines, the debug-line functor, release.
#include <gtest/gtest.h>

#include <string>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "support/TestEngine.h"

using tarnwell_test::TestEngine;
using tarnwell_test::TestEngineOptions;

TEST(EngineInterface, DebugLinesRejectBadSlotsAndLongTexts) {
    TestEngine engine(TestEngineOptions::Bare());
    ASSERT_TRUE(engine.Started());
    EngineInterfaceExt* ext = engine.Ext();
    EXPECT_EQ(ext->GetDebug(10), nullptr);
    EXPECT_EQ(ext->GetDebug(-1), nullptr);
    const std::string t289(289, 'a');
    const std::string t290(290, 'b');
    ext->DebugOut(t289.c_str(), 9);
    EXPECT_EQ(ext->GetDebug(9), t289);
    ext->DebugOut(t290.c_str(), 9);
    EXPECT_EQ(ext->GetDebug(9), t289);
    ext->DebugOut("x", 10);
    ext->DebugOut("x", -1);
    ext->DebugOut(nullptr, 0);
    EXPECT_STREQ(ext->GetDebug(0), "");
}

TEST(EngineInterface, ShowDebugComposesWithoutBlank) {
    TestEngine engine(TestEngineOptions::Bare());
    ASSERT_TRUE(engine.Started());
    EngineInterface* e = engine.Engine();
    EngineInterfaceExt* ext = engine.Ext();
    e->showDebug("fps", 3, 0);
    EXPECT_STREQ(ext->GetDebug(0), "fps3");
    e->showDebug("t=", 0.5f, 1);
    EXPECT_STREQ(ext->GetDebug(1), "t=0.5");
    e->showDebug("name:", "value", 2);
    EXPECT_STREQ(ext->GetDebug(2), "name:value");
    e->showDebug(7, 3);
    EXPECT_STREQ(ext->GetDebug(3), "7.");
    e->showDebug(4000000000u, 4);
    EXPECT_STREQ(ext->GetDebug(4), "4000000000.");
    e->showDebug(1.0 / 3.0, 5);
    EXPECT_STREQ(ext->GetDebug(5), "0.3333333333");  // ten significant digits
    e->showDebug("plain", 6);
    EXPECT_STREQ(ext->GetDebug(6), "plain");

    e->showDebug("lost", 3, 10);
    e->showDebug("lost", 3, -1);
    const std::string t351(351, 'x');
    e->showDebug(t351.c_str(), 1, 0);
    EXPECT_STREQ(ext->GetDebug(0), "fps3");
    const std::string t200(200, 'y');
    e->showDebug(t200.c_str(), t200.c_str(), 2);  // 400 characters together
    e->showDebug(static_cast<const char*>(nullptr), "x", 2);
    e->showDebug("x", static_cast<const char*>(nullptr), 2);
    EXPECT_STREQ(ext->GetDebug(2), "name:value");
}

// A started engine waits, untouched, for its first frame; release stops its events for good.
TEST(EngineInterface, StartedEngineWaitsForItsFirstFrameAndReleaseStopsEventsRepeatably) {
    TestEngine engine(TestEngineOptions::Bare());
    ASSERT_TRUE(engine.Started());
    EngineInterfaceExt* ext = engine.Ext();
    EXPECT_EQ(ext->GetInterfaceID(), TEV_ENGINE_INTERFACE_ID);
    EXPECT_TRUE(engine.Engine()->GetGraphRunning());
    EXPECT_EQ(ext->GetCurrentEvent(), TEV_EVENT_NONE);
    EXPECT_EQ(ext->GetStartGroup(), 0);
    EXPECT_EQ(engine.Engine()->GetTreeCalculateCount(), 0);
    EXPECT_STREQ(engine.Engine()->GetEngineClassName(), "Vantor Test");
    for (int line = 0; line < 10; line++) EXPECT_STREQ(ext->GetDebug(line), "");

    engine.Ext()->Release();
    EXPECT_EQ(engine.Ext()->GetCurrentEvent(), TEV_EVENT_RELEASED);
    EXPECT_TRUE(engine.Contains("Libraries loaded : "));
    engine.Ext()->ProcessWindowMessage(nullptr, 1, 2, 3);
    EXPECT_EQ(engine.Ext()->GetCurrentEvent(), TEV_EVENT_RELEASED);
    engine.Stop();  // releases once more
}

TEST(EngineInterface, EnginesComeAndGo) {
    // The process-wide plug-in lock is made by the first engine and dropped
    // with the last; making engines again after that must work.
    for (int round = 0; round < 2; round++) {
        TestEngine a(TestEngineOptions::Bare());
        TestEngine b(TestEngineOptions::Bare());
        ASSERT_TRUE(a.Started());
        ASSERT_TRUE(b.Started());
        EXPECT_NE(a.Engine(), b.Engine());
    }
    EngineInterface* standalone = new EngineInterface();
    EXPECT_EQ(standalone->engineInterfaceExt->GetInterfaceID(), TEV_ENGINE_INTERFACE_ID);
    standalone->engineInterfaceExt->Release();
    delete standalone;
}
