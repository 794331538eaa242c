// The player's tools on projects written by the kernel: the load doctor (--check) and its
// exit status, the trace file (--trace), frame statistics (--stats) and the status line, and
// what it says of a run: the engine's messages (--verbose, --log), restored files, the cause
// of a failed load.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ChannelInternal.h"
#include "ChannelList.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "fixtures/thirdlink/ThirdLinkChannel.h"
#include "support/ChildProcess.h"
#include "support/GroupFileSupport.h"
#include "support/ProjectBuilder.h"
#include "support/TempDir.h"
#include "support/TestEngine.h"
#include "tools/JsonCheck.h"

#ifndef _WIN32
#include "support/FifoSwap.h"
#endif

using namespace tarnwell_test;
namespace fs = std::filesystem;

namespace {

struct PlayerRun {
    int status = -1;
    bool timedOut = false;  // still running at the time limit (then killed)
    std::string output;     // standard output, then standard error
    std::string out;        // standard output alone
    std::string errors;     // standard error alone
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class PlayerTools : public ::testing::Test {
protected:
    void SetUp() override {
        installDir = fs::path(root.Path()) / "vantor";
        fs::copy(TARNWELL_VANTOR_DIR, installDir,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }

    // Runs the player and waits for it, at most timeoutMs when that is given.
    PlayerRun Player(std::vector<std::string> arguments, int timeoutMs = 0) {
        arguments.insert(arguments.begin(), {(installDir / "vantor-player").string(), "--registry-key",
                                             "SOFTWARE\\PlayerToolsTest"});
        const std::string output = root.Path() + "/output.txt";
        const std::string errors = root.Path() + "/errors.txt";
        ChildOptions options;
        options.environment = {{"TARNWELL_REGISTRY_DIR", root.Path() + "/registry"}};
        options.output = output;
        options.errors = errors;
        ChildProcess child(arguments, options);
        PlayerRun run;
        run.timedOut = !child.Wait(timeoutMs > 0 ? timeoutMs : -1);
        if (run.timedOut) child.Kill();
        run.status = run.timedOut ? -1 : child.ExitCode();
        run.errors = ReadAll(errors);
        run.out = ReadAll(output);
        run.output = run.out + run.errors;
        return run;
    }

    // A start group (a counter with a root below it) and a project carrying both plug-ins;
    // `extra` adds entries after them. With `background`, the counter's further children are
    // that many public calls that load a target group in the background, each under a pool of
    // its own ("Target", "Target1", ...).
    void WriteProject(const ProjectBlocks& extra = {}, int extraCount = 0, int background = 0) {
        TestEngineOptions options;
        options.pluginPaths = {TestChannelPath(TEST_COUNTER_DLL), TestChannelPath(TEST_ROOT_DLL)};
        TestEngine writer(options);
        EngineInterface* api = writer.Engine();
        Tev_ChannelGroup* group = api->CreateNewGroup("Tools Start", false, -1);
        Tev_Channel* start = api->InitChannelFromType(kTestCounterGuid, group, false);
        Tev_Channel* child = api->InitChannelFromType(kTestRootGuid, group, false);
        ASSERT_TRUE(start && child);
        start->SetChild(child, -1, 0);
        group->SetStartChannel(start->GetChannelIDIndexNr());
        if (background) {
            Tev_ChannelGroup* target = api->CreateNewGroup("Target", false, -1);
            Tev_Channel* lamp = api->InitChannelFromType(kTestRootGuid, target, false);
            ASSERT_NE(lamp, nullptr);
            lamp->SetChannelName("Lamp");
            lamp->SetChannelInterfaceType(PEX_PUBLIC);
            ASSERT_TRUE(target->SaveChannelGroup((root.Path() + "/target.cgr").c_str()));
            api->DeleteChannelGroup(target->GetGroupIndex());

            for (int i = 0; i < background; ++i) {
                Tev_Channel* call = api->InitChannelFromType(kTestRootGuid, group, false);
                ASSERT_NE(call, nullptr);
                call->SetChannelInterfaceType(PEX_PUBLICCALL);
                PublicCallInfo info;
                const std::string pool = i == 0 ? "Target" : "Target" + std::to_string(i);
                std::strcpy(info.poolName, pool.c_str());
                std::strcpy(info.channelName, "Lamp");
                std::strcpy(info.fileName, "target.cgr");
                info.autoLoadGroup = false;
                info.dynamicAutoLoadGroup = 1;
                channelInternal.SetPublicCallInfo(call, info);
                start->SetChild(call, -1, 0);
            }
        }
        ASSERT_TRUE(group->SaveChannelGroup((root.Path() + "/start.cgr").c_str()));

        ProjectBlocks blocks = {{"QSPT", {Int32Data(1)}},
                                {"QSGR", {TextData("start.cgr")}},
                                {"QDDC", {Int32Data(2 + extraCount)}}};
        for (auto [type, module] :
             {std::pair{kTestCounterGuid, TEST_COUNTER_DLL}, {kTestRootGuid, TEST_ROOT_DLL}}) {
            const ChannelType local = writer.Ext()->GetChannelList()->GetChannelType(type);
            const std::string path = TestChannelPath(module);
            Append(blocks,
                   ChannelEntry(type, {local.versionInfo[0], local.versionInfo[1], local.versionInfo[2]},
                                FileCrc(api, path)));
            Append(blocks, EmbeddedChannel(module, ReadBinaryFile(path)));
        }
        Append(blocks, extra);
        ASSERT_TRUE(tarnwell_test::WriteProject(api, Project(), blocks));
    }

    std::string Project() const { return root.Path() + "/project.vtr"; }

    // A start group of one channel of `type`, and a project naming it with `entries` (`count`
    // of them) in its plug-in list.
    void WriteProjectUsing(const _GUID& type, const ProjectBlocks& entries, int count) {
        TestEngine writer;
        const std::vector<char> group = FileBuilder(writer.Engine())
                                            .Tag("TEVG")
                                            .Int("CHCO", 1)
                                            .Entry(0, type, "Used")
                                            .Int("CHSC", 0)
                                            .Int("CGIC", 0)
                                            .Text("CINA", "Used")
                                            .Bytes();
        ASSERT_TRUE(WriteBinaryFile(root.Path() + "/start.cgr", std::string(group.begin(), group.end())));
        ProjectBlocks blocks = {
            {"QSPT", {Int32Data(1)}}, {"QSGR", {TextData("start.cgr")}}, {"QDDC", {Int32Data(count)}}};
        Append(blocks, entries);
        ASSERT_TRUE(tarnwell_test::WriteProject(writer.Engine(), Project(), blocks));
    }

    // The plug-in that links a library of its own, installed without that library.
    fs::path InstallPluginWithoutItsLibrary() {
        const fs::path module = installDir / "channels" / THIRD_LINK_DLL;
        fs::copy_file(std::string(TARNWELL_TEST_THIRDLINK_DIR) + "/channels/" THIRD_LINK_DLL, module,
                      fs::copy_options::overwrite_existing);
        return module;
    }

    TempDir root{"tarnwell-player-tools"};
    fs::path installDir;
};

// On an install without the project's plug-ins the doctor names each and says a run restores
// them; after a run they are in place. A plug-in neither installed nor carried, and one whose
// installed file differs from what the project was saved with, fail the check.
TEST_F(PlayerTools, CheckExitStatusAndNamesFollowWhatARunWouldLoad) {
    WriteProject();
    PlayerRun before = Player({"--check", Project()});
    EXPECT_EQ(before.status, 4) << before.output;
    EXPECT_TRUE(Has(before.output, "restore testcounter.dll")) << before.output;
    EXPECT_TRUE(Has(before.output, "restore testroot.dll")) << before.output;
    EXPECT_FALSE(fs::exists(installDir / "channels" / TEST_COUNTER_DLL)) << "a check writes nothing";

    ASSERT_EQ(Player({"--frames", "1", "--fps", "0", Project()}).status, 0);
    PlayerRun healthy = Player({"--check", Project()});
    EXPECT_EQ(healthy.status, 0) << healthy.output;
    EXPECT_TRUE(Has(healthy.output, "ok      Test Counter")) << healthy.output;
    EXPECT_TRUE(Has(healthy.output, "group        ok")) << healthy.output;

    const struct {
        const char* name;
        ProjectBlocks entry;
        const char* shown;
    } failures[] = {
        {"missing plug-in", ChannelEntry(kTestMissingGuid, {1, 52, 1}, 0),
         "7E57C4FF-7E57-4000-8000-0000000000FF"},
        {"checksum mismatch", ChannelEntry(kTestCounterGuid, {1, 52, 1}, 12345), "checksum"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.name);
        WriteProject(failure.entry, 1);
        PlayerRun run = Player({"--check", Project()});
        EXPECT_EQ(run.status, 5) << run.output;
        EXPECT_TRUE(Has(run.output, "FAILS")) << run.output;
        EXPECT_TRUE(Has(run.output, failure.shown)) << run.output;
    }
}

// python3's json module is the independent reader: the file is valid JSON in the trace event
// format, one complete event per frame, the group and plug-in loads on record, the background
// read on a worker thread of its own.
TEST_F(PlayerTools, TraceIsJsonWithOneEventPerFrameAndStatsAndStatusAreReported) {
    WriteProject({}, 0, 1);
    const std::string trace = root.Path() + "/trace.json";
    PlayerRun run =
        Player({"--frames", "30", "--fps", "20", "--trace", trace, "--stats", "--status", Project()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "frame times over 30 frames: min ")) << run.output;
    EXPECT_TRUE(Has(run.output, "99th percentile")) << run.output;
    // The frames take 1.45 s: at least one status line.
    EXPECT_TRUE(Has(run.output, " fps, 4 channels, 2 groups, loaded in the background: target.cgr\n"))
        << run.output;

    const std::string spans = "[e for e in d['traceEvents'] if e['ph']=='X']";
    const std::string mainThreads =
        "[e['tid'] for e in d['traceEvents'] if e['ph']=='M' and e['args']['name']=='vantor-player']";
    auto count = [&](const char* category) {
        return "sum(1 for e in " + spans + " if e['cat']=='" + category + "')";
    };
    EXPECT_EQ(tooltest::JsonProblems(ReadAll(trace),
                                     {"all(e['dur']>=0 and 'ts' in e and 'tid' in e for e in " + spans + ")",
                                      count("frame") + "==30",
                                      // The start group, the background read and the group made from it.
                                      count("group") + "==3", count("plugin") + ">0",
                                      "[e['tid'] not in " + mainThreads + " for e in " + spans +
                                          " if e['name'].startswith('background group read')][:1]==[True]"},
                                     root.Path()),
              "");
}

// Two hundred public calls load the target group in the background while a FIFO is swapped
// in and out for its file: no reader waits on the FIFO, so the player ends right after its
// frames instead of waiting for stuck workers.
TEST_F(PlayerTools, FifoSwappedInForABackgroundGroupFileDoesNotHoldTheShutdown) {
#ifdef _WIN32
    GTEST_SKIP() << "no FIFOs on Windows";
#else
    WriteProject({}, 0, 200);
    FifoSwapper swapper(root.Path() + "/target.cgr");
    ASSERT_TRUE(swapper.Ready());
    PlayerRun run = Player({"--frames", "20", "--fps", "200", Project()}, 10000);
    swapper.Stop();
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "ran 20 frames")) << run.output;
    EXPECT_FALSE(Has(run.output, "Thread is not responding")) << run.output;
#endif
}

}  // namespace

// A group whose channel type no installed plug-in makes: the kernel says only that the group
// is newer than the engine. The check, and a run that fails, name the type, the module the
// project expects to make it, and a module of channels/ that does not load with the loader's
// reason (here: its own library missing from 3rd/).
TEST_F(PlayerTools, CheckAndAFailedRunNameTheMissingTypeAndWhyNoPluginMakesIt) {
    const std::string missingType =
        "no plug-in installed here makes channel type {7E57C4FF-7E57-4000-8000-0000000000FF}";
    ProjectBlocks listed = ChannelEntry(kTestMissingGuid, {1, 52, 1}, 0);
    Append(listed, EmbeddedChannel("missing.dll", ""));
    ProjectBlocks linked = ChannelEntry(kThirdLinkGuid, {1, 52, 1}, 0);
    Append(linked, EmbeddedChannel(THIRD_LINK_DLL, ""));
    const struct {
        const char* name;
        _GUID type;
        ProjectBlocks entries;
        int count;
        bool withoutLibrary;
        std::vector<std::string> shown;
    } cases[] = {
        {"listed with its module",
         kTestMissingGuid,
         listed,
         1,
         false,
         {missingType, "the project expects missing.dll to make it"}},
        {"not listed", kTestMissingGuid, {}, 0, false, {missingType, "the project does not list the type"}},
        {"plug-in without its library",
         kThirdLinkGuid,
         linked,
         1,
         true,
         {"the project expects " THIRD_LINK_DLL " to make it",
          THIRD_LINK_DLL " in channels/ does not load: ", THIRD_LINK_VALUE_DLL}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteProjectUsing(c.type, c.entries, c.count);
        const fs::path module = c.withoutLibrary ? InstallPluginWithoutItsLibrary() : fs::path();
        const PlayerRun check = Player({"--check", Project()});
        EXPECT_EQ(check.status, 5) << check.output;
        const PlayerRun run = Player({"--frames", "1", "--fps", "0", Project()});
        EXPECT_NE(run.status, 0) << run.output;
        EXPECT_TRUE(Has(run.errors, "vantor-player: why " + Project() + " did not load")) << run.errors;
        for (const std::string& shown : c.shown) {
            EXPECT_TRUE(Has(check.out, shown)) << check.out;
            EXPECT_TRUE(Has(run.errors, shown)) << run.errors;
        }
        if (c.withoutLibrary) fs::remove(module);
    }
}

// Whatever the registry says of error.log: every file a run writes from the project is named
// on standard error, restored where there was none and replaced where there was one.
TEST_F(PlayerTools, RunNamesEveryFileItRestoresOrReplacesAndWhy) {
    WriteProject();
    const PlayerRun fresh = Player({"--frames", "1", "--fps", "0", Project()});
    ASSERT_EQ(fresh.status, 0) << fresh.output;
    for (const char* module : {TEST_COUNTER_DLL, TEST_ROOT_DLL}) {
        EXPECT_TRUE(Has(fresh.errors, std::string("vantor-player: restored ") +
                                          SystemPath((installDir / "channels" / module).string()) +
                                          " (plug-in "))
            << fresh.errors;
    }
    EXPECT_TRUE(Has(fresh.errors, "): not installed: no plug-in in channels/ makes this type"))
        << fresh.errors;

    // Another module under the root's name: the root's type is gone, its file is there.
    // Removed first: the MinGW runtime's copy_file refuses to overwrite.
    fs::remove(installDir / "channels" / TEST_ROOT_DLL);
    fs::copy_file(installDir / "channels" / TEST_COUNTER_DLL, installDir / "channels" / TEST_ROOT_DLL);
    const PlayerRun replacing = Player({"--frames", "1", "--fps", "0", Project()});
    ASSERT_EQ(replacing.status, 0) << replacing.output;
    EXPECT_TRUE(Has(replacing.errors, "vantor-player: replaced " +
                                          SystemPath((installDir / "channels" / TEST_ROOT_DLL).string())))
        << replacing.errors;
    EXPECT_FALSE(Has(replacing.errors, "restored")) << replacing.errors;

    const PlayerRun inPlace = Player({"--frames", "1", "--fps", "0", Project()});
    EXPECT_FALSE(Has(inPlace.errors, "restored") || Has(inPlace.errors, "replaced")) << inPlace.errors;
}

// --verbose and --log show the engine's messages from the start's plug-in scan (a module that
// does not load, with the loader's reason) to the shutdown's count of libraries, told as the
// information it is; without them the player says none of it.
TEST_F(PlayerTools, VerboseAndLogCarryTheEnginesMessagesFromStartToShutdown) {
    InstallPluginWithoutItsLibrary();
    const std::string log = root.Path() + "/player.log";
    const struct {
        const char* name;
        std::vector<std::string> options;
        bool shown;
    } cases[] = {
        {"verbose", {"--verbose"}, true},
        {"log", {"--log", log}, true},
        {"neither", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(log);
        std::vector<std::string> arguments = c.options;
        arguments.insert(arguments.end(), {"--frames", "1", "--fps", "0"});
        const PlayerRun run = Player(arguments);
        ASSERT_EQ(run.status, 0) << run.output;
        const std::string said = c.options.empty()         ? run.errors
                                 : c.options[0] == "--log" ? ReadAll(log)
                                                           : run.errors;
        EXPECT_EQ(Has(said, THIRD_LINK_VALUE_DLL), c.shown) << said;
        EXPECT_EQ(Has(said, "info: Libraries loaded : "), c.shown) << said;
        EXPECT_FALSE(Has(said, "error: Libraries loaded")) << said;
    }
}

// --check --json: standard output is one JSON object with the verdict, the counts and every
// finding; python3's json module reads it.
TEST_F(PlayerTools, CheckJsonIsOneObjectWithEveryFinding) {
    WriteProject();
    const PlayerRun run = Player({"--check", "--json", Project()});
    EXPECT_EQ(run.status, 4) << run.output;
    EXPECT_EQ(
        tooltest::JsonProblems(
            run.out,
            {"d['exitStatus']==4", "d['project']=='" + Project() + "'", "d['counts']['restore']==3",
             "[i['name'] for i in d['items'] if i['subject']=='plug-in']==['testcounter.dll','testroot.dll']",
             "all(set(i)=={'subject','verdict','name','where','detail','reason'} for i in d['items'])"},
            root.Path()),
        "");
}
