// EngineControl: the host's life cycle of the engine.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "PluginChannels.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/kinds/KindChannels.h"
#include "support/ScopedStdin.h"
#include "support/TestEngine.h"

using tarnwell_test::ScopedBoxCapture;
using tarnwell_test::TestEngine;
using tarnwell_test::TestEngineOptions;

namespace {

// Reads the fields the host cannot see.
class ControlProbe : public EngineControl {
public:
    const char* CommandLine() const { return commandLine; }
    const char* InstallDir() const { return installDir; }
};

TestEngineOptions Unstarted() {
    TestEngineOptions options;
    options.standardPlugins = false;
    options.start = false;
    return options;
}

// Calls back into the loop from inside a frame, as a channel pumping window
// messages would.
class ReenteringChannel : public Tev_Channel {
public:
    void CallChannel() override {
        calls++;
        if (control) control->EngineLoop();
    }
    EngineControl* control = nullptr;
    int calls = 0;
};

}  // namespace

TEST(EngineControl, BeforeInitEngineEverythingIsQuiet) {
    ScopedBoxCapture boxes;
    EngineControl* control = GetEngineControlInstance();
    ASSERT_NE(control, nullptr);
    control->EngineLoop();
    control->ProcessWindowMessage(nullptr, 1, 2, 3);
    EXPECT_EQ(control->GetEngineInterface(), nullptr);
    EXPECT_FALSE(control->GetIfKeepRunningApplication());
    delete control;
    EXPECT_EQ(debugOutPut, nullptr);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(EngineControl, FailedInitEngineLeavesNothingAndRetrySucceeds) {
    TestEngine fixture(Unstarted());  // registry and install directories only
    ScopedBoxCapture boxes;
    EngineControl* control = GetEngineControlInstance();
    control->SetVantorRegKey(TestEngine::kRegistryKey);
    // No install directory: the engine refuses to start.
    EXPECT_FALSE(control->InitEngine(nullptr, const_cast<char*>("Vantor Test"), nullptr));
    EXPECT_EQ(debugOutPut, nullptr);
    EXPECT_EQ(control->GetEngineInterface(), nullptr);
    ASSERT_FALSE(boxes.boxes.empty());
    EXPECT_EQ(boxes.boxes.back().caption, "Vantor Error");
    EXPECT_EQ(boxes.boxes.back().text, "An error occured during the initalization of Vantor");
    control->EngineLoop();  // still a created, not started, control

    control->SetInstallDir(fixture.InstallDir().c_str());
    EXPECT_TRUE(control->InitEngine(nullptr, const_cast<char*>("Vantor Test"), nullptr));
    EXPECT_NE(debugOutPut, nullptr);
    ASSERT_NE(control->GetEngineInterface(), nullptr);
    EXPECT_STREQ(control->GetEngineInterface()->GetInstallDir(), fixture.InstallDir().c_str());
    delete control;
    EXPECT_EQ(debugOutPut, nullptr);
}

TEST(EngineControl, SecondInitEngineKeepsTheRunningEngine) {
    TestEngine engine;
    ASSERT_TRUE(engine.Started());
    EngineInterface* first = engine.Engine();
    EXPECT_TRUE(engine.Control()->InitEngine(nullptr, const_cast<char*>("Vantor Test"), nullptr));
    EXPECT_EQ(engine.Engine(), first);
}

TEST(EngineControl, TextsAreCopiedWithBounds) {
    TestEngine fixture(Unstarted());
    ControlProbe control;
    std::string longLine(1500, 'q');
    control.SetCommandLine(&longLine[0]);
    EXPECT_EQ(std::string(control.CommandLine()), std::string(999, 'q'));
    control.SetCommandLine(nullptr);
    EXPECT_EQ(std::string(control.CommandLine()).size(), 999u);

    std::string longDir = fixture.InstallDir() + "/" + std::string(500, 'd');
    control.SetInstallDir(longDir.c_str());
    EXPECT_EQ(std::string(control.InstallDir()), longDir.substr(0, 399));
}

// The engine starts only in an install directory it can hold whole, with room for its own
// subpaths (channels\<module>, channel.lst, error.log); a cut one would be another directory.
TEST(EngineControl, InstallDirectoriesTheEngineCannotUseAreRefused) {
    TestEngine fixture(Unstarted());
    const std::string file = fixture.InstallDir() + "/plain-file";
    FILE* plain = fopen(file.c_str(), "w");
    ASSERT_NE(plain, nullptr);
    fclose(plain);
    std::string tooLong = fixture.InstallDir() + "/";
    tooLong += std::string(201 - tooLong.size(), 'd');
    ASSERT_TRUE(std::filesystem::create_directory(tooLong));
    const std::string cut = tooLong + "/" + std::string(400, 'c');  // longer than the control holds
    struct Case {
        std::string dir;
        const char* reason;
    };
    for (const Case& c :
         {Case{fixture.InstallDir() + "/missing", "install directory missing"}, Case{file, "not a directory"},
          Case{tooLong, "200 characters"}, Case{cut, "200 characters"}}) {
        ScopedBoxCapture boxes;
        EngineControl* control = GetEngineControlInstance();
        control->SetInstallDir(c.dir.c_str());
        control->SetVantorRegKey(TestEngine::kRegistryKey);
        EXPECT_FALSE(control->InitEngine(nullptr, const_cast<char*>("Vantor Test"), nullptr)) << c.dir;
        EXPECT_EQ(control->GetEngineInterface(), nullptr);
        EXPECT_EQ(debugOutPut, nullptr);
        bool named = false;
        for (const auto& box : boxes.boxes) named = named || box.text.find(c.reason) != std::string::npos;
        EXPECT_TRUE(named) << c.reason;
        delete control;
    }
    // The longest directory that is taken.
    const std::string longest = tooLong.substr(0, 200);
    ASSERT_TRUE(std::filesystem::create_directory(longest));
    EngineControl* control = GetEngineControlInstance();
    control->SetInstallDir(longest.c_str());
    control->SetVantorRegKey(TestEngine::kRegistryKey);
    EXPECT_TRUE(control->InitEngine(nullptr, const_cast<char*>("Vantor Test"), nullptr));
    delete control;
}

TEST(EngineControl, LoadProjectWithoutDialogChannelAnswers1) {
    TestEngine engine(TestEngineOptions::Bare());  // no plug-ins at all
    ASSERT_TRUE(engine.Started());
    EXPECT_EQ(engine.Control()->LoadProject(), TEV_PROJECT_LOADER_FAILED);
    EXPECT_TRUE(engine.Contains("EngineControl::LoadProject(): Error loading the File Dialog channel"));
}

// A channel of another class installed for the dialog's type is not asked to choose a file.
TEST(EngineControl, LoadProjectRefusesAFileDialogTypeThatIsNoDialog) {
    TestEngineOptions options = TestEngineOptions::Bare();
    // The lister finds the plug-ins; the standard dialog is left out.
    options.pluginPaths = {TARNWELL_VANTOR_DIR "/channels/Directory.dll",
                           TEST_KIND_CHANNELS_DIR "/" TEST_FAKE_DIALOG_DLL};
    TestEngine engine(options);
    ASSERT_TRUE(engine.Started());
    Tev_Channel* fake = engine.Engine()->InitChannelFromType(TEV_FILEDIALOG_GUID, nullptr, false);
    ASSERT_NE(fake, nullptr) << "the impostor is installed";
    delete fake;
    EXPECT_EQ(engine.Control()->LoadProject(), TEV_PROJECT_LOADER_FAILED);
    EXPECT_TRUE(engine.Contains("EngineControl::LoadProject(): Error loading the File Dialog channel"));
}

TEST(EngineControl, LoadProjectWithNothingChosenReleasesGroupsAndAnswers3) {
    TestEngine engine;  // with the standard file dialog channel
    ASSERT_TRUE(engine.Started());
    EngineInterface* e = engine.Engine();
    ASSERT_NE(e->CreateNewGroup("Old", false, -1), nullptr);
    // The dialog asks on a terminal only; with no terminal nothing is chosen.
    int code;
    {
        tarnwell_test::ScopedStdin noTerminal;
        code = engine.Control()->LoadProject();
    }
    EXPECT_EQ(code, TEV_PROJECT_NO_PATH);
    EXPECT_EQ(e->GetChannelGroupCount(), 0);
    EXPECT_FALSE(engine.Contains("File Dialog"));
}

TEST(EngineControl, LoadProjectRefusesOverlongPath) {
    TestEngine engine(TestEngineOptions::Bare());
    ASSERT_TRUE(engine.Started());
    std::string path = tarnwell_test::TempRoot() + "/" + std::string(300, 'p') + ".vtr";
    engine.Control()->SetCommandLine(&path[0]);
    EXPECT_EQ(engine.Control()->LoadProject(), TEV_PROJECT_LOADER_FAILED);
    EXPECT_TRUE(engine.Contains("Project path too long"));
}

TEST(EngineControl, EngineLoopRefusesReentryFromInsideAFrame) {
    TestEngine engine;
    ASSERT_TRUE(engine.Started());
    EngineInterface* e = engine.Engine();
    Tev_ChannelGroup* group = e->CreateNewGroup("Start", false, -1);
    ASSERT_NE(group, nullptr) << "the start group could not be made";
    ASSERT_EQ(group->GetGroupIndex(), e->engineInterfaceExt->GetStartGroup());
    ReenteringChannel* channel = new ReenteringChannel();
    channel->control = engine.Control();
    group->SetStartChannel(group->AddChannel(channel));

    const int count = e->GetTreeCalculateCount();
    engine.Control()->EngineLoop();
    EXPECT_EQ(channel->calls, 1);  // the inner call returned at once
    EXPECT_EQ(e->GetTreeCalculateCount(), count + 1);
    engine.Control()->EngineLoop();  // the guard was cleared after the frame
    EXPECT_EQ(channel->calls, 2);

    e->engineInterfaceExt->SetStartGroup(5);  // an empty slot: no frame at all
    engine.Control()->EngineLoop();
    EXPECT_EQ(channel->calls, 2);
}
