// The player's --watch on a running project: a group file changed on disk is loaded again
// between two frames, the public call into it reaches the new public channel, and a file
// that does not load leaves the running group in place with one line that says why.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ChannelInternal.h"
#include "ChannelList.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/ChildProcess.h"
#include "support/LoaderSupport.h"
#include "support/ProjectBuilder.h"
#include "support/TempDir.h"
#include "support/TestEngine.h"

using namespace tarnwell_test;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int CountLines(const std::string& text, const std::string& line) {
    int count = 0;
    std::stringstream lines(text);
    for (std::string each; std::getline(lines, each);)
        if (each == line || each == line + "\r") count++;  // the channels write text lines
    return count;
}

// Polls until `done` holds; a generous deadline, so that a slow machine only takes longer.
bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

const std::vector<std::pair<_GUID, const char*>> kPlugins = {{kTestCounterGuid, TEST_COUNTER_DLL},
                                                             {kTestRootGuid, TEST_ROOT_DLL},
                                                             {kTestDerivedGuid, TEST_DERIVED_DLL}};

class PlayerWatch : public ::testing::Test {
protected:
    void SetUp() override {
        installDir = fs::path(root.Path()) / "vantor";
        fs::copy(TARNWELL_VANTOR_DIR, installDir,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        for (const auto& [type, module] : kPlugins) options.pluginPaths.push_back(TestChannelPath(module));
    }

    // The group "Lib": a public channel "Lamp" of `type` and `channels` - 1 roots, saved to `path`.
    void SaveLibrary(const _GUID& type, const std::string& path, int channels = 1) {
        TestEngine writer(options);
        Tev_ChannelGroup* group = writer.Engine()->CreateNewGroup("Lib", false, -1);
        Tev_Channel* lamp = writer.Engine()->InitChannelFromType(type, group, false);
        ASSERT_NE(lamp, nullptr);
        lamp->SetChannelName("Lamp");
        lamp->SetChannelInterfaceType(PEX_PUBLIC);
        for (int i = 1; i < channels; i++)
            ASSERT_NE(writer.Engine()->InitChannelFromType(kTestRootGuid, group, false), nullptr);
        ASSERT_TRUE(group->SaveChannelGroup(path.c_str()));
    }

    // A start group whose counter calls "Lamp" of "Lib" through a public call that loads
    // lib.cgr, and with `derived` a derived channel as well.
    void SaveStart(const std::string& path, bool derived) {
        TestEngine writer(options);
        EngineInterface* api = writer.Engine();
        Tev_ChannelGroup* group = api->CreateNewGroup("Watch Start", false, -1);
        Tev_Channel* start = api->InitChannelFromType(kTestCounterGuid, group, false);
        Tev_Channel* call = api->InitChannelFromType(kTestRootGuid, group, false);
        ASSERT_TRUE(start && call);
        call->SetChannelInterfaceType(PEX_PUBLICCALL);
        PublicCallInfo info;
        std::strcpy(info.poolName, "Lib");
        std::strcpy(info.channelName, "Lamp");
        std::strcpy(info.fileName, "lib.cgr");
        info.autoLoadGroup = true;
        ASSERT_TRUE(channelInternal.SetPublicCallInfo(call, info));
        start->SetChild(call, -1, 0);
        if (derived) start->SetChild(api->InitChannelFromType(kTestDerivedGuid, group, false), -1, 0);
        group->SetStartChannel(start->GetChannelIDIndexNr());
        ASSERT_TRUE(group->SaveChannelGroup(path.c_str()));
    }

    // That start group, the library with a root as its lamp, and a project carrying the plug-ins.
    void WriteProject(const std::string& dir, int libraryChannels = 1) {
        SaveLibrary(kTestRootGuid, dir + "/lib.cgr", libraryChannels);
        SaveStart(dir + "/start.cgr", false);
        TestEngine writer(options);
        EngineInterface* api = writer.Engine();

        ProjectBlocks blocks = {{"QSPT", {Int32Data(1)}},
                                {"QSGR", {TextData("start.cgr")}},
                                {"QDDC", {Int32Data(static_cast<int>(kPlugins.size()))}}};
        for (const auto& [type, module] : kPlugins) {
            const ChannelType local = writer.Ext()->GetChannelList()->GetChannelType(type);
            const std::string path = TestChannelPath(module);
            Append(blocks,
                   ChannelEntry(type, {local.versionInfo[0], local.versionInfo[1], local.versionInfo[2]},
                                FileCrc(api, path)));
            Append(blocks, EmbeddedChannel(module, ReadBinaryFile(path)));
        }
        ASSERT_TRUE(tarnwell_test::WriteProject(api, dir + "/project.vtr", blocks));
    }

    // The player on the project in `dir`, its test channels logging their calls.
    std::unique_ptr<ChildProcess> Start(const std::string& dir, const char* option, const char* fps) {
        ChildOptions child;
        child.output = dir + "/output.txt";
        child.errors = dir + "/errors.txt";
        child.environment = {{"TARNWELL_REGISTRY_DIR", dir + "/registry"},
                             {TEST_CHANNEL_CALL_LOG_ENV, dir + "/calls.txt"}};
        return std::make_unique<ChildProcess>(
            std::vector<std::string>{(installDir / "vantor-player").string(), "--registry-key",
                                     "SOFTWARE\\PlayerWatchTest", "--fps", fps, "--stats", option,
                                     dir + "/project.vtr"},
            child);
    }

    TempDir root{"tarnwell-player-watch"};
    fs::path installDir;
    TestEngineOptions options;
};

// An editor writing over the file, one renaming a finished file over it, and a share where
// only polling sees changes; the group a public call reaches, and the start group.
struct WatchCase {
    const char* name;
    const char* option;
    bool byRename;
    const char* file;
};

void Replace(const std::string& path, const std::string& bytes, bool byRename) {
    const std::string target = byRename ? path + ".new" : path;
    {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    if (byRename) fs::rename(target, path);
}

TEST_F(PlayerWatch, AChangedGroupRunsNextFrameAndADamagedOneLeavesItRunning) {
    const WatchCase cases[] = {
        {"notices, written in place", "--watch", false, "lib.cgr"},
        {"notices, renamed over", "--watch", true, "lib.cgr"},
        {"polled, written in place", "--watch-poll", false, "lib.cgr"},
        {"start group, renamed over", "--watch", true, "start.cgr"},
    };
    for (const WatchCase& each : cases) {
        SCOPED_TRACE(each.name);
        const std::string dir = root.Path() + "/" + std::to_string(&each - cases);
        fs::create_directories(dir);
        WriteProject(dir);
        const std::string file = dir + "/" + each.file;
        if (std::string(each.file) == "lib.cgr")
            SaveLibrary(kTestDerivedGuid, dir + "/edited.cgr");
        else
            SaveStart(dir + "/edited.cgr", true);
        const std::string output = dir + "/output.txt", errors = dir + "/errors.txt",
                          calls = dir + "/calls.txt";
        const std::unique_ptr<ChildProcess> started = Start(dir, each.option, "200");
        ChildProcess& player = *started;
        ASSERT_TRUE(player.Started());
        ASSERT_TRUE(WaitFor([&] { return Has(ReadAll(output), "lib.cgr ("); }))
            << ReadAll(output) << ReadAll(errors);
        EXPECT_TRUE(Has(ReadAll(calls), "Test Root"));

        Replace(file, ReadBinaryFile(dir + "/edited.cgr"), each.byRename);
        ASSERT_TRUE(WaitFor([&] { return Has(ReadAll(calls), "Test Derived"); }))
            << ReadAll(output) << ReadAll(errors);
        EXPECT_TRUE(Has(ReadAll(output), "reloaded")) << ReadAll(output);
        if (std::string(each.file) == "start.cgr") {  // the new public call reaches the library
            const int roots = CountLines(ReadAll(calls), "Test Root");
            EXPECT_TRUE(WaitFor([&] { return CountLines(ReadAll(calls), "Test Root") > roots; }));
        }

        const size_t said = ReadAll(errors).size();
        Replace(file, "not a group at all", each.byRename);
        ASSERT_TRUE(WaitFor([&] { return Has(ReadAll(errors).substr(said), "the running group stays"); }))
            << ReadAll(output);
        const std::string reason = ReadAll(errors).substr(said);
        EXPECT_TRUE(
            Has(reason, std::string(each.file) +
                            " failed, the running group stays: The selected file is not a channel group"))
            << reason;
        const int before = CountLines(ReadAll(calls), "Test Derived");
        EXPECT_TRUE(WaitFor([&] { return CountLines(ReadAll(calls), "Test Derived") > before; }));

        player.Stop();
        ASSERT_TRUE(player.Wait(60000));
        EXPECT_EQ(player.ExitCode(), 0) << ReadAll(output) << ReadAll(errors);
        EXPECT_TRUE(Has(ReadAll(output), "frames with a group reload: ")) << ReadAll(output);
    }
}

// The frame that reloads a 10,000-channel group, as --stats tells it (printed, not judged).
TEST_F(PlayerWatch, SlowTenThousandChannelReloadIsCountedByStats) {
    const std::string dir = root.Path() + "/large";
    fs::create_directories(dir);
    WriteProject(dir, 10000);
    SaveLibrary(kTestDerivedGuid, dir + "/edited.cgr", 10000);
    const std::string output = dir + "/output.txt";
    const std::unique_ptr<ChildProcess> player = Start(dir, "--watch", "60");
    ASSERT_TRUE(WaitFor([&] { return Has(ReadAll(output), "lib.cgr ("); })) << ReadAll(output);
    Replace(dir + "/lib.cgr", ReadBinaryFile(dir + "/edited.cgr"), true);
    ASSERT_TRUE(WaitFor([&] { return Has(ReadAll(dir + "/calls.txt"), "Test Derived"); })) << ReadAll(output);
    player->Stop();
    ASSERT_TRUE(player->Wait(60000));
    EXPECT_EQ(player->ExitCode(), 0);
    const std::string said = ReadAll(output);
    EXPECT_TRUE(Has(said, "(10000 channels, ")) << said;
    EXPECT_TRUE(Has(said, "frames with a group reload: 1,")) << said;
    std::stringstream lines(said);
    for (std::string line; std::getline(lines, line);)
        if (Has(line, "reload") || Has(line, "frame times")) std::printf("%s\n", line.c_str());
}

}  // namespace
