// vantor-player with project files written by the kernel: a damaged project ends with its
// code and one line that says why; a good one runs its start group once per frame.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ChannelList.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "PlayerStopEnd.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/ChildProcess.h"
#include "support/ProjectBuilder.h"
#include "support/TestEngine.h"

using namespace tarnwell_test;
namespace fs = std::filesystem;

namespace {

struct PlayerRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string output;
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class PlayerProject : public ::testing::Test {
protected:
    void SetUp() override {
        installDir = fs::path(root.Path()) / "vantor";
        fs::copy(TARNWELL_VANTOR_DIR, installDir,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }

    // The player on a project, unthrottled, its test channels logging their calls.
    PlayerRun Run(const std::string& project, int frames) {
        const std::unique_ptr<ChildProcess> child = Start(project, frames);
        PlayerRun run;
        if (child->Wait(120000)) run.status = child->ExitCode();
        run.output = ReadText(Output());
        return run;
    }

    std::unique_ptr<ChildProcess> Start(const std::string& project, int frames, int callSleepMs = 0) {
        const std::vector<std::string> arguments = {(installDir / "vantor-player").string(),
                                                    "--registry-key",
                                                    "SOFTWARE\\PlayerProjectTest",
                                                    "--frames",
                                                    std::to_string(frames),
                                                    "--fps",
                                                    "0",
                                                    project};
        ChildOptions options;
        options.output = Output().string();
        options.environment = {{"TARNWELL_REGISTRY_DIR", (fs::path(root.Path()) / "registry").string()},
                               {TEST_CHANNEL_CALL_LOG_ENV, CallLog()}};
        if (callSleepMs > 0)
            options.environment.push_back({TEST_CHANNEL_CALL_SLEEP_ENV, std::to_string(callSleepMs)});
        return std::make_unique<ChildProcess>(arguments, options);
    }

    fs::path Output() const { return fs::path(root.Path()) / "output.txt"; }

    std::string ProjectPath() const { return root.Path() + "/project.vtr"; }
    std::string CallLog() const { return root.Path() + "/calls.txt"; }

    TempDir root{"tarnwell-player-project"};
    fs::path installDir;
};

int CountLines(const std::string& text, const std::string& line) {
    int count = 0;
    std::stringstream lines(text);
    for (std::string each; std::getline(lines, each);)
        if (each == line) count++;
    return count;
}

// The entry of an installed test plug-in, carrying the module itself.
ProjectBlocks CarriedPlugin(TestEngine& writer, const _GUID& type, const char* module) {
    const ChannelType local = writer.Ext()->GetChannelList()->GetChannelType(type);
    const std::string path = TestChannelPath(module);
    ProjectBlocks blocks =
        ChannelEntry(type, {local.versionInfo[0], local.versionInfo[1], local.versionInfo[2]},
                     FileCrc(writer.Engine(), path));
    Append(blocks, EmbeddedChannel(module, ReadBinaryFile(path)));
    return blocks;
}

// A start group saved by the kernel: a counter channel (the start channel) with a root and
// a derived channel linked below it, and a project that names it and carries their plug-ins.
void WriteRunnableProject(const std::string& dir, const std::string& projectPath) {
    TestEngineOptions options;
    options.pluginPaths = {TestChannelPath(TEST_COUNTER_DLL), TestChannelPath(TEST_ROOT_DLL),
                           TestChannelPath(TEST_DERIVED_DLL)};
    TestEngine writer(options);
    EngineInterface* api = writer.Engine();
    Tev_ChannelGroup* group = api->CreateNewGroup("Player Start", false, -1);
    ASSERT_NE(group, nullptr);
    Tev_Channel* start = api->InitChannelFromType(kTestCounterGuid, group, false);
    Tev_Channel* root = api->InitChannelFromType(kTestRootGuid, group, false);
    Tev_Channel* derived = api->InitChannelFromType(kTestDerivedGuid, group, false);
    ASSERT_TRUE(start && root && derived);
    start->SetChild(root, -1, 0);
    start->SetChild(derived, -1, 0);
    group->SetStartChannel(start->GetChannelIDIndexNr());
    ASSERT_TRUE(group->SaveChannelGroup((dir + "/start.cgr").c_str()));

    ProjectBlocks blocks = {
        {"QSPT", {Int32Data(1)}}, {"QSGR", {TextData("start.cgr")}}, {"QDDC", {Int32Data(3)}}};
    Append(blocks, CarriedPlugin(writer, kTestCounterGuid, TEST_COUNTER_DLL));
    Append(blocks, CarriedPlugin(writer, kTestRootGuid, TEST_ROOT_DLL));
    Append(blocks, CarriedPlugin(writer, kTestDerivedGuid, TEST_DERIVED_DLL));
    ASSERT_TRUE(WriteProject(api, projectPath, blocks));
}

// The installation lacks the test plug-ins: the first run restores them and runs at once;
// the second finds them in place.
TEST_F(PlayerProject, RunsASavedProjectOneStartCallPerFrame) {
    ASSERT_FALSE(fs::exists(installDir / "channels" / TEST_COUNTER_DLL));
    WriteRunnableProject(root.Path(), ProjectPath());
    for (int run = 0; run < 2; run++) {
        SCOPED_TRACE(run);
        fs::remove(CallLog());
        const PlayerRun player = Run(ProjectPath(), 5);
        EXPECT_EQ(player.status, 0) << player.output;
        EXPECT_NE(player.output.find("LoadProject answered 0"), std::string::npos) << player.output;
        EXPECT_NE(player.output.find("ran 5 frames"), std::string::npos) << player.output;
        const std::string calls = ReadText(CallLog());
        EXPECT_EQ(CountLines(calls, "Test Counter"), 5) << calls;
        EXPECT_EQ(CountLines(calls, "Test Root"), 5) << calls;
        EXPECT_EQ(CountLines(calls, "Test Derived"), 5) << calls;
        EXPECT_TRUE(fs::is_regular_file(installDir / "channels" / TEST_COUNTER_DLL));
    }
}

struct DamagedCase {
    const char* name;
    ProjectBlocks blocks;  // none: no file at all
    int status;
};

TEST_F(PlayerProject, DamagedProjectsEndWithTheirCodeAndAReason) {
    TestEngine writer;
    ProjectBlocks hostile = {{"QSPT", {Int32Data(1)}}, {"QDDC", {Int32Data(1)}}};
    Append(hostile, ChannelEntry(kTestMissingGuid, {1, 52, 1}, 0));
    Append(hostile, EmbeddedChannel("../outside.dll", "bytes"));
    const std::vector<DamagedCase> cases = {
        {"missing file", {}, 11},
        {"no header", {{"QSGR", {TextData("start.cgr")}}}, 11},
        {"newer engine", {{"QSPT", {Int32Data(1)}}, {"QHPV", {Int32Data(100006)}}}, 12},
        {"hostile plug-in name", hostile, 12},
    };
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(ProjectPath());
        if (!c.blocks.empty()) {
            ASSERT_TRUE(WriteProject(writer.Engine(), ProjectPath(), c.blocks));
        }
        const PlayerRun run = Run(ProjectPath(), 3);
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find("LoadProject answered " + std::to_string(c.status - 10) + ": "),
                  std::string::npos)
            << run.output;
        EXPECT_NE(run.output.find("ran 0 frames"), std::string::npos) << run.output;
        EXPECT_FALSE(fs::exists(installDir / "outside.dll"));
    }
}

// Polls `done` every 50 ms for up to `seconds`.
template <typename Done>
bool WaitFor(Done done, int seconds) {
    for (int i = 0; i < seconds * 20; i++) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

// A stop signal lets the current frame end; a second one ends a frame that does not return.
TEST_F(PlayerProject, SecondStopSignalEndsAFrameThatDoesNotReturn) {
    WriteRunnableProject(root.Path(), ProjectPath());
    const std::unique_ptr<ChildProcess> player = Start(ProjectPath(), 1000, 120000);
    ASSERT_TRUE(player->Started());
    auto exited = [&] { return player->Wait(0); };
    ASSERT_TRUE(WaitFor([&] { return fs::exists(CallLog()); }, 60)) << ReadText(Output());
    player->Stop();
    EXPECT_FALSE(WaitFor(exited, 1)) << "the first signal must wait for the frame";
    player->Stop();
    const bool ended = WaitFor(exited, 20);
    if (!ended) player->Kill();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(EndedAsAnUnhandledStop(*player)) << player->ExitCode() << ReadText(Output());
}

}  // namespace
