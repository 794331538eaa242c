// vantor-project run as a program: a project packed on one install runs on another that lacks
// its plug-ins; unpack writes the embedded files and refuses unsafe names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "PluginChannels.h"
#include "ProjectFile.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "ToolInstall.h"
#include "fixtures/dependtest/DependTestChannels.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/FileIdentity.h"
#include "support/ProjectBuilder.h"
#include "support/PublicCallShapes.h"

namespace {

namespace fs = std::filesystem;
using tarnwell_test::ReadBinaryFile;
using tarnwell_test::WriteBinaryFile;
using tooltest::ToolInstall;

// Every module the project below needs, through its channels' types and their dependencies.
const std::vector<std::string> kProjectPlugins = {TEST_COUNTER_DLL, TEST_ROOT_DLL, "depderived.dll",
                                                  "deproot.dll", TEST_LINKS_DLL};
const std::vector<std::string> kProjectDlls = {"rootextra.dll", "derivedextra.dll"};

Tev_Channel* Add(EngineInterface* api, Tev_ChannelGroup* group, const _GUID& type, const char* name) {
    Tev_Channel* channel = api->InitChannelFromType(type, group, false);
    EXPECT_NE(channel, nullptr);
    if (channel) channel->SetChannelName(name);
    return channel;
}

// B holds the public counter "Sun" calling a root "Light" and a derived dependency test
// channel; A's start counter calls a public call into B, which loads B from its file beside
// A's when the first frame asks for it. B's plug-ins are found only through the public call.
void SaveGroups(const std::string& dir) {
    tarnwell_test::TestEngineOptions options;
    options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
    tarnwell_test::TestEngine author(options);
    EngineInterface* api = author.Engine();
    Tev_ChannelGroup* b = api->CreateNewGroup("B", false, 0);
    Tev_Channel* sun = Add(api, b, kTestCounterGuid, "Sun");
    sun->SetChannelInterfaceType(PEX_PUBLIC);
    ASSERT_EQ(sun->SetChild(Add(api, b, kTestRootGuid, "Light"), -1, 0), 0);
    ASSERT_GE(sun->SetChild(Add(api, b, kDepDerivedGuid, "Extra"), -1, 0), 0);
    ASSERT_TRUE(b->SaveChannelGroup((dir + "/B.cgr").c_str()));

    Tev_ChannelGroup* a = api->CreateNewGroup("A", false, 0);
    Tev_Channel* start = Add(api, a, kTestCounterGuid, "Start");
    Tev_Channel* call = Add(api, a, kTestCounterGuid, "Call");
    call->SetChannelInterfaceType(PEX_PUBLICCALL);
    PublicCallInfo info;
    std::strcpy(info.poolName, "B");
    std::strcpy(info.channelName, "Sun");
    channelInternal.SetPublicCallInfo(call, info);
    ASSERT_EQ(start->SetChild(call, -1, 0), 0);
    a->SetStartChannel(start->GetChannelIDIndexNr());
    ASSERT_TRUE(a->SaveChannelGroup((dir + "/A.cgr").c_str()));
}

class ProjectTool : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& dll : kProjectDlls)
            WriteBinaryFile(source.Path("3rd/" + dll), "module " + dll);
        SaveGroups(project.Path());
        ASSERT_EQ(source.Run("vantor-project", {"new", In(), File("A.cgr")}), 0) << source.Output();
    }

    std::string File(const std::string& name) const { return project.Path() + "/" + name; }
    std::string In() const { return File("in.vtr"); }
    int Pack() { return source.Run("vantor-project", {"pack", In(), File("packed.vtr")}); }

    tarnwell_test::TempDir project{"tarnwell-project-tool"};
    ToolInstall source{kProjectPlugins};
};

TEST_F(ProjectTool, PackedProjectRestoresItsPluginsAndRunsOnAFreshInstall) {
    // Packed into another directory: its start group name must lead back to the groups.
    fs::create_directory(project.Path() + "/dist");
    ASSERT_EQ(source.Run("vantor-project", {"pack", In(), File("dist/packed.vtr")}), 0) << source.Output();
    ToolInstall fresh;
    // Without its plug-ins the project's start group cannot be made.
    EXPECT_EQ(fresh.Run("vantor-player", {"--frames", "3", "--fps", "0", In()}), 14) << fresh.Output();
    const std::string calls = project.Path() + "/calls.txt";
    ASSERT_EQ(fresh.Run("vantor-player", {"--frames", "3", "--fps", "0", File("dist/packed.vtr")},
                        {{TEST_CHANNEL_CALL_LOG_ENV, calls}}),
              0)
        << fresh.Output();
    for (const std::string& plugin : kProjectPlugins)
        EXPECT_EQ(ReadBinaryFile(fresh.Path("channels/" + plugin)),
                  ReadBinaryFile(source.Path("channels/" + plugin)))
            << plugin;
    for (const std::string& dll : kProjectDlls)
        EXPECT_EQ(ReadBinaryFile(fresh.Path("3rd/" + dll)), "module " + dll);
    // On the install it was packed on, versions and checksums match: nothing is replaced
    // (a restore would rename a new file into place).
    tarnwell_test::FileIdentity before, after;
    ASSERT_TRUE(tarnwell_test::IdentifyFile(source.Path("channels/" TEST_ROOT_DLL), before));
    ASSERT_EQ(source.Run("vantor-player", {"--frames", "1", "--fps", "0", File("dist/packed.vtr")}), 0)
        << source.Output();
    ASSERT_TRUE(tarnwell_test::IdentifyFile(source.Path("channels/" TEST_ROOT_DLL), after));
    EXPECT_EQ(after, before);
    // The group reached through the public call was loaded and ran in every frame.
    // The test plug-ins write their log as text: "\r\n" ends its lines on Windows.
    std::string log = ReadBinaryFile(calls);
    log.erase(std::remove(log.begin(), log.end(), '\r'), log.end());
    size_t rootCalls = 0;
    for (size_t at = log.find("Test Root\n"); at != std::string::npos; at = log.find("Test Root\n", at + 1))
        ++rootCalls;
    EXPECT_EQ(rootCalls, 3u) << log;
}

TEST_F(ProjectTool, PackMakesTheDirectoryOfItsOutput) {
    ASSERT_EQ(source.Run("vantor-project", {"pack", In(), File("new/dist/packed.vtr")}), 0)
        << source.Output();
    EXPECT_TRUE(fs::is_regular_file(project.Path() + "/new/dist/packed.vtr"));
}

TEST_F(ProjectTool, PackKeepsEntriesTheGroupsDoNotNeed) {
    tarnwell_test::TestEngine writer;
    vtr::ProjectBlocks blocks = {
        {"QSPT", {vtr::IntData(1)}}, {"QSGR", {vtr::NameData("A.cgr")}}, {"QDDC", {vtr::IntData(1)}}};
    vtr::Append(blocks, vtr::ChannelEntry(kTestAutoChildGuid, {1, 52, 1}, 5));
    vtr::Append(blocks, vtr::EmbeddedChannel(TEST_AUTOCHILD_DLL, "made at run time"));
    ASSERT_TRUE(vtr::WriteProject(writer.Engine(), project.Path() + "/in.vtr", blocks));
    ASSERT_EQ(Pack(), 0) << source.Output();
    vtr::Project packed;
    ASSERT_TRUE(
        vtr::ReadProject(tagtext::ReadTagStream(ReadBinaryFile(project.Path() + "/packed.vtr")), packed));
    EXPECT_TRUE(packed.problems.empty());
    ASSERT_EQ(packed.channels.size(), kProjectPlugins.size() + 1);
    EXPECT_TRUE(packed.channels.back().type == kTestAutoChildGuid);
    EXPECT_EQ(packed.channels.back().file.data, "made at run time");
    EXPECT_EQ(packed.others.size(), kProjectDlls.size());
}

TEST_F(ProjectTool, PackRefusesAnInstallThatLacksADeclaredDll) {
    fs::remove(source.Path("3rd/derivedextra.dll"));
    EXPECT_EQ(Pack(), 1);
    EXPECT_NE(source.Output().find("Dependency Derived needs derivedextra.dll"), std::string::npos)
        << source.Output();
    EXPECT_FALSE(fs::exists(project.Path() + "/packed.vtr"));
}

TEST_F(ProjectTool, UnpackWritesTheEmbeddedFilesAsAnInstallHoldsThem) {
    ASSERT_EQ(Pack(), 0) << source.Output();
    ASSERT_EQ(source.Run("vantor-project", {"unpack", File("packed.vtr"), File("out")}), 0)
        << source.Output();
    for (const std::string& plugin : kProjectPlugins)
        EXPECT_EQ(ReadBinaryFile(project.Path() + "/out/channels/" + plugin),
                  ReadBinaryFile(source.Path("channels/" + plugin)));
    for (const std::string& dll : kProjectDlls)
        EXPECT_EQ(ReadBinaryFile(project.Path() + "/out/3rd/" + dll), "module " + dll);
}

// What the kernel's project loader makes of a project written by `vantor-project new`.
TEST(ProjectToolNew, WritesAProjectTheKernelLoads) {
    ToolInstall install;
    tarnwell_test::TempDir dir{"tarnwell-project-new"};
    const struct {
        std::vector<std::string> options;
        int code;  // LoadProjectFile's answer
        int editorVersion;
        bool keepRunning;
    } kCases[] = {{{}, 0, 1, false},
                  {{"--version", "7", "--flag", "keep-running"}, 0, 7, true},
                  {{"--version", "2,100005"}, 0, 2, false},
                  {{"--version", "2,100006"}, 2, 2, false}};
    for (const auto& c : kCases) {
        const std::string path = dir.Path() + "/p.vtr";
        std::vector<std::string> arguments = {"new", path, dir.Path() + "/groups/start.cgr"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(install.Run("vantor-project", arguments), 0) << install.Output();
        tarnwell_test::TestEngine engine;
        SCOPED_TRACE(testing::PrintToString(c.options));
        EXPECT_EQ(engine.Ext()->InitializeVTRFile(path.c_str()), c.code);
        EXPECT_EQ(engine.Ext()->GetProjectEditorVersion(), c.editorVersion);
        EXPECT_EQ(engine.Ext()->GetIfKeepRunningApplication(), c.keepRunning);
    }
    EXPECT_EQ(install.Run("vantor-project", {"new", dir.Path() + "/p.vtr", "s.cgr", "--flag", "fast"}), 2);
    EXPECT_NE(install.Output().find("unknown project flag 'fast' (known: keep-running)"), std::string::npos);
}

// A project embedding one file under `name`, framed by hand.
std::string ProjectEmbedding(const std::string& name, int32_t statedSize = 4) {
    tagtext::TagStream stream;
    stream.entries = {{"QSPT", {vtr::IntData(1)}}, {"QDDC", {vtr::IntData(1)}}};
    for (const vtr::ProjectBlock& block : vtr::ChannelEntry(kTestRootGuid, {1, 52, 1}, 7))
        stream.entries.push_back({block.tag, block.data});
    for (const vtr::ProjectBlock& block : vtr::EmbeddedChannel(name, "data", statedSize))
        stream.entries.push_back({block.tag, block.data});
    return tagtext::WriteTagStream(stream);
}

TEST(ProjectToolUnpack, RefusesNamesThatLeaveTheirDirectoryAndWritesNothing) {
    ToolInstall install;
    tarnwell_test::TempDir dir{"tarnwell-unpack"};
    const struct {
        std::string name;
        int32_t statedSize;
    } kRefused[] = {{"../escape.dll", 4}, {"sub/x.dll", 4},       {"a\\b.dll", 4}, {"..", 4},
                    {"c:x.dll", 4},       {"line\nbreak.dll", 4}, {"short.dll", 3}};
    for (const auto& refused : kRefused) {
        WriteBinaryFile(dir.Path() + "/p.vtr", ProjectEmbedding(refused.name, refused.statedSize));
        EXPECT_EQ(install.Run("vantor-project", {"unpack", dir.Path() + "/p.vtr", dir.Path() + "/out"}), 1)
            << refused.name << ": " << install.Output();
        EXPECT_NE(install.Output().find("nothing was written"), std::string::npos) << install.Output();
        EXPECT_FALSE(fs::exists(dir.Path() + "/out")) << refused.name;
        EXPECT_FALSE(fs::exists(dir.Path() + "/escape.dll"));
    }
    WriteBinaryFile(dir.Path() + "/p.vtr", ProjectEmbedding("plain.dll"));
    EXPECT_EQ(install.Run("vantor-project", {"unpack", dir.Path() + "/p.vtr", dir.Path() + "/out"}), 0);
    EXPECT_EQ(ReadBinaryFile(dir.Path() + "/out/channels/plain.dll"), "data");
}

// The kernel loads the groups that public calls reach while the start group loads, before the
// walk looks at the calls: those groups are walked all the same, so their plug-ins are packed.
TEST(ProjectToolWalk, PackWalksTheGroupsTheKernelLoadedWithTheStartGroup) {
    tarnwell_test::TempDir project{"tarnwell-project-chain"};
    {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
        tarnwell_test::TestEngine author(options);
        ASSERT_TRUE(tarnwell_test::SaveAutoloadChain(author.Engine(), project.Path(), 3));
    }
    ToolInstall source{{TEST_COUNTER_DLL, TEST_ROOT_DLL}};
    const std::string in = project.Path() + "/in.vtr";
    ASSERT_EQ(source.Run("vantor-project", {"new", in, project.Path() + "/g0.cgr"}), 0) << source.Output();
    ASSERT_EQ(source.Run("vantor-project", {"pack", in, project.Path() + "/out.vtr"}), 0) << source.Output();
    EXPECT_NE(source.Output().find("(3 groups)"), std::string::npos) << source.Output();
    // Each group as the system spells a path a user opens: '\\' between names on Windows.
    for (const char* group : {"g0.cgr", "g1.cgr", "g2.cgr"})
        EXPECT_NE(
            source.Output().find("  group " + tarnwell_test::SystemPath(project.Path() + "/" + group) + "\n"),
            std::string::npos)
            << source.Output();
}

// A call that loads its group in the background needs the standard dynamic loading plug-in in
// a run: pack lists it with the groups' own. With --embed no nothing is embedded.
TEST(ProjectToolWalk, PackListsTheDynamicLoaderOfBackgroundCallsAndEmbedsOnlyWhenAsked) {
    tarnwell_test::TempDir project{"tarnwell-project-background"};
    {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
        tarnwell_test::TestEngine author(options);
        EngineInterface* api = author.Engine();
        Tev_ChannelGroup* target = tarnwell_test::NewCalledGroup(api, "G1");
        ASSERT_TRUE(target && target->SaveChannelGroup((project.Path() + "/g1.cgr").c_str()));
        api->DeleteChannelGroup(target->GetGroupIndex());
        Tev_ChannelGroup* start = tarnwell_test::NewCalledGroup(api, "G0");
        Tev_Channel* call = tarnwell_test::AddWaitingCall(api, start, "G1", "g1.cgr", false);
        ASSERT_NE(call, nullptr);
        channelInternal.SetDynamicAutoLoadGroup(call, true);
        ASSERT_GE(start->GetChannel("Out")->SetChild(call, -1, 0), 0);
        ASSERT_TRUE(start->SaveChannelGroup((project.Path() + "/g0.cgr").c_str()));
    }
    ToolInstall source{{TEST_COUNTER_DLL, TEST_ROOT_DLL}};
    const std::string in = project.Path() + "/in.vtr";
    const std::string out = project.Path() + "/out.vtr";
    ASSERT_EQ(source.Run("vantor-project", {"new", in, project.Path() + "/g0.cgr"}), 0) << source.Output();
    ASSERT_EQ(source.Run("vantor-project", {"pack", in, out, "--embed", "no"}), 0) << source.Output();
    EXPECT_NE(source.Output().find("(2 groups)"), std::string::npos) << source.Output();
    vtr::Project packed;
    ASSERT_TRUE(vtr::ReadProject(tagtext::ReadTagStream(ReadBinaryFile(out)), packed));
    EXPECT_TRUE(packed.problems.empty());
    ASSERT_EQ(packed.channels.size(), 3u) << source.Output();
    EXPECT_TRUE(packed.channels.back().type == TEV_DYNAMICLOADING_GUID);
    for (const vtr::PluginEntry& entry : packed.channels) EXPECT_FALSE(entry.file.present);
}

}  // namespace
