// The project check: what a load would do with each plug-in the project lists, without
// writing anything, and whether the groups its public calls load are there.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ChannelInternal.h"
#include "ChannelList.h"
#include "ChannelRecords.h"
#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "TarnwellHost.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/dependtest/DependTestChannels.h"
#include "fixtures/loadertest/LoaderTestChannels.h"
#include "fixtures/testchannels/TestChannels.h"
#include "fixtures/thirdlink/ThirdLinkChannel.h"
#include "support/GroupFileSupport.h"
#include "support/ProjectBuilder.h"
#include "support/TestEngine.h"

using namespace tarnwell_test;
namespace fs = std::filesystem;

namespace {

struct Line {
    int subject;
    int verdict;
    std::string name, where, detail, reason;
};

void Collect(const TevCheckItem* item, void* context) {
    static_cast<std::vector<Line>*>(context)->push_back(
        {item->subject, item->verdict, item->name, item->where, item->detail, item->reason});
}

std::vector<Line> Of(const std::vector<Line>& lines, int subject) {
    std::vector<Line> found;
    for (const Line& line : lines)
        if (line.subject == subject) found.push_back(line);
    return found;
}

PublicCallInfo Call(const char* pool, const char* channel, const char* file, bool background) {
    PublicCallInfo info;
    std::strncpy(info.poolName, pool, sizeof(info.poolName) - 1);
    std::strncpy(info.channelName, channel, sizeof(info.channelName) - 1);
    std::strncpy(info.fileName, file, sizeof(info.fileName) - 1);
    info.autoLoadGroup = !background;
    info.dynamicAutoLoadGroup = background ? 1 : 0;
    return info;
}

class ProjectCheck : public ::testing::Test {
protected:
    ProjectCheck() : engine(Options()) {}

    static TestEngineOptions Options() {
        TestEngineOptions options;
        options.pluginPaths = {TestChannelPath(TEST_COUNTER_DLL), TestChannelPath(TEST_ROOT_DLL),
                               TestChannelPath("deproot.dll"), TestChannelPath(LOADER_OLD_DLL)};
        return options;
    }

    std::string Dir() const { return dir.Path(); }

    // The plug-in entry a pack would write for an installed test module.
    ProjectBlocks Listed(const _GUID& type, const char* module, uint32_t crcOffset = 0) {
        const ChannelType local = engine.Ext()->GetChannelList()->GetChannelType(type);
        return ChannelEntry(type, {local.versionInfo[0], local.versionInfo[1], local.versionInfo[2]},
                            FileCrc(engine.Engine(), TestChannelPath(module)) + crcOffset);
    }

    // A start group of one counter channel, plus whatever `fill` adds, saved as start.cgr.
    template <class Fill>
    void SaveStartGroup(Fill fill) {
        EngineInterface* api = engine.Engine();
        Tev_ChannelGroup* group = api->CreateNewGroup("Start", false, -1);
        ASSERT_NE(group, nullptr);
        Tev_Channel* start = api->InitChannelFromType(kTestCounterGuid, group, false);
        ASSERT_NE(start, nullptr);
        group->SetStartChannel(start->GetChannelIDIndexNr());
        ASSERT_TRUE(group->SaveChannelGroup((Dir() + "/start.cgr").c_str()));
        fill(group);
        ASSERT_TRUE(group->SaveChannelGroup((Dir() + "/start.cgr").c_str()));
        engine.Ext()->ReleaseGroups();
    }

    std::vector<Line> Check(const ProjectBlocks& plugins, int& worst) {
        ProjectBlocks blocks = {{"QSPT", {Int32Data(1)}}, {"QSGR", {TextData("start.cgr")}}};
        Append(blocks, plugins);
        EXPECT_TRUE(WriteProject(engine.Engine(), Dir() + "/project.vtr", blocks));
        std::vector<Line> lines;
        worst = TevCheckProject(engine.Control(), (Dir() + "/project.vtr").c_str(), &Collect, &lines);
        return lines;
    }

    TestEngine engine;
    TempDir dir{"tarnwell-project-check"};
};

struct PluginCase {
    const char* name;
    ProjectBlocks entry;  // one "QNDB" entry and what belongs to it
    int verdict;
    const char* lineName;  // the plug-in line is named this
    const char* reason;    // part of its reason
};

TEST_F(ProjectCheck, EachListedPlugInGetsTheVerdictOfWhatALoadWouldDo) {
    SaveStartGroup([](Tev_ChannelGroup*) {});
    ProjectBlocks carried = ChannelEntry(kDepDerivedGuid, {1, 52, 1}, 7);
    Append(carried, EmbeddedChannel("carried.dll", ReadBinaryFile(TestChannelPath("depderived.dll"))));
    ProjectBlocks broken = ChannelEntry(kTestMissingGuid, {1, 52, 1}, 7);
    Append(broken, EmbeddedChannel("carried.dll",
                                   "\x7f"
                                   "ELF bytes"));
    ProjectBlocks refused = ChannelEntry(kLoaderOldGuid, {1, 44, 1}, 7);
    Append(refused, EmbeddedChannel(LOADER_OLD_DLL, "", 0));
    const std::vector<PluginCase> cases = {
        {"installed and equal", Listed(kTestCounterGuid, TEST_COUNTER_DLL), TEV_CHECK_OK, "Test Counter", ""},
        {"missing, not carried", ChannelEntry(kTestMissingGuid, {1, 52, 1}, 7), TEV_CHECK_FAILED,
         "{7E57C4FF-7E57-4000-8000-0000000000FF}", "not installed"},
        {"checksum differs, not carried", Listed(kTestCounterGuid, TEST_COUNTER_DLL, 1), TEV_CHECK_FAILED,
         "Test Counter", "checksum"},
        {"newer in the project, not carried", ChannelEntry(kTestCounterGuid, {1, 53, 1}, 7), TEV_CHECK_FAILED,
         "Test Counter", "older than the project's 1.53.1"},
        {"missing, carried", carried, TEV_CHECK_RESTORE, "carried.dll", "which a run writes into channels/"},
        {"missing, carried copy does not load", broken, TEV_CHECK_FAILED, "carried.dll",
         "which a run refuses: it does not load"},
        {"in channels/ but refused by the engine", refused, TEV_CHECK_FAILED, LOADER_OLD_DLL,
         "does not load: Channel not compatible with current version"},
    };
    for (const PluginCase& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectBlocks blocks = {{"QDDC", {Int32Data(1)}}};
        Append(blocks, c.entry);
        int worst = -1;
        const std::vector<Line> lines = Check(blocks, worst);
        const std::vector<Line> plugins = Of(lines, TEV_CHECK_PLUGIN);
        ASSERT_EQ(plugins.size(), 1u);
        EXPECT_EQ(plugins[0].verdict, c.verdict) << plugins[0].reason;
        EXPECT_EQ(plugins[0].name, c.lineName);
        EXPECT_NE(plugins[0].reason.find(c.reason), std::string::npos) << plugins[0].reason;
        EXPECT_EQ(worst, c.verdict);
        // The start group uses only installed types: it loads whatever the plug-in verdict.
        ASSERT_EQ(Of(lines, TEV_CHECK_GROUP).size(), 1u);
        EXPECT_EQ(Of(lines, TEV_CHECK_GROUP)[0].verdict, TEV_CHECK_OK) << Of(lines, TEV_CHECK_GROUP)[0].reason;
        // A check writes nothing into the install directory.
        EXPECT_FALSE(fs::exists(fs::path(engine.InstallDir()) / "channels" / "carried.dll"));
    }
}

TEST_F(ProjectCheck, PublicCallsAreFollowedAndDeclaredDllsLookedFor) {
    EngineInterface* api = engine.Engine();
    Tev_ChannelGroup* target = api->CreateNewGroup("Target", false, -1);
    Tev_Channel* lamp = api->InitChannelFromType(kTestRootGuid, target, false);
    ASSERT_NE(lamp, nullptr);
    lamp->SetChannelName("Lamp");
    lamp->SetChannelInterfaceType(PEX_PUBLIC);
    ASSERT_TRUE(target->SaveChannelGroup((Dir() + "/target.cgr").c_str()));

    SaveStartGroup([&](Tev_ChannelGroup* group) {
        const std::vector<std::pair<const char*, PublicCallInfo>> calls = {
            {"reaches", Call("Target", "Lamp", "target.cgr", false)},
            {"file gone", Call("Gone", "Lamp", "gone.cgr", true)},
            {"waits", Call("Nobody", "Lamp", "", false)},
        };
        for (const auto& [name, info] : calls) {
            Tev_Channel* call = api->InitChannelFromType(kTestRootGuid, group, false);
            ASSERT_NE(call, nullptr);
            call->SetChannelName(name);
            call->SetChannelInterfaceType(PEX_PUBLICCALL);
            channelInternal.SetPublicCallInfo(call, info);
        }
        // Declares "rootextra.dll" in 3rd/.
        ASSERT_NE(api->InitChannelFromType(kDepRootGuid, group, false), nullptr);
    });
    ProjectBlocks plugins = {{"QDDC", {Int32Data(2)}}};
    Append(plugins, Listed(kTestCounterGuid, TEST_COUNTER_DLL));
    Append(plugins, Listed(kTestRootGuid, TEST_ROOT_DLL));
    int worst = -1;
    const std::vector<Line> lines = Check(plugins, worst);

    const std::vector<Line> calls = Of(lines, TEV_CHECK_PUBLIC_CALL);
    ASSERT_EQ(calls.size(), 3u);
    auto verdictOf = [&](const std::string& call) {
        for (const Line& line : calls)
            if (line.name.size() >= call.size() && line.name.compare(line.name.size() - call.size(), call.size(), call) == 0)
                return line.verdict;
        return -1;
    };
    EXPECT_EQ(verdictOf("reaches"), TEV_CHECK_OK);
    EXPECT_EQ(verdictOf("file gone"), TEV_CHECK_FAILED);
    EXPECT_EQ(verdictOf("waits"), TEV_CHECK_FAILED);
    EXPECT_EQ(worst, TEV_CHECK_FAILED);
    // The types the loaded groups use, their bases and declared types (counter, root, the
    // declaring type); the groups are released afterwards.
    EXPECT_EQ(Of(lines, TEV_CHECK_CHANNEL_TYPE).size(), 3u);
    EXPECT_EQ(api->GetPoolGroup("Target", 0), nullptr);

    const fs::path extra = fs::path(engine.InstallDir()) / "3rd" / "rootextra.dll";
    for (int verdict : {TEV_CHECK_FAILED, TEV_CHECK_OK}) {
        const std::vector<Line> dlls = Of(Check(plugins, worst), TEV_CHECK_DEPENDENCY);
        ASSERT_EQ(dlls.size(), 1u);
        EXPECT_EQ(dlls[0].name, "rootextra.dll");
        EXPECT_EQ(dlls[0].verdict, verdict) << dlls[0].where;
        fs::create_directories(extra.parent_path());
        std::ofstream(extra) << "a library";
    }
}

// A packed project whose plug-in links a library it carries for 3rd/: on an install that has
// neither, the check says a run restores both, the run restores the library before it loads the
// plug-in and runs at once, and the check finds everything in place afterwards.
TEST_F(ProjectCheck, PlugInLinkingALibraryCarriedFor3rdChecksRestoreRunsAndChecksOk) {
    const std::string built = TARNWELL_TEST_THIRDLINK_DIR;
    const std::string plugin = ReadBinaryFile(built + "/channels/" THIRD_LINK_DLL);
    const std::string library = ReadBinaryFile(built + "/3rd/" THIRD_LINK_VALUE_DLL);
    ASSERT_FALSE(plugin.empty() || library.empty());
    const std::vector<char> group = FileBuilder(engine.Engine())
                                        .Tag("TEVG")
                                        .Int("CHCO", 1)
                                        .Entry(0, kThirdLinkGuid, "Linked")
                                        .Int("CHSC", 0)
                                        .Int("CGIC", 0)
                                        .Text("CINA", "Linked")
                                        .Bytes();
    ASSERT_TRUE(WriteBinaryFile(Dir() + "/start.cgr", std::string(group.begin(), group.end())));
    ProjectBlocks packed = {{"QDDC", {Int32Data(1)}}};
    Append(packed, ChannelEntry(kThirdLinkGuid, {1, 52, 1},
                                FileCrc(engine.Engine(), built + "/channels/" THIRD_LINK_DLL)));
    Append(packed, EmbeddedChannel(THIRD_LINK_DLL, plugin));
    Append(packed, {{"QDGC", {Int32Data(1)}}});
    Append(packed, OtherDllEntry(THIRD_LINK_VALUE_DLL,
                                 FileCrc(engine.Engine(), built + "/3rd/" THIRD_LINK_VALUE_DLL)));
    Append(packed, EmbeddedOtherDll(THIRD_LINK_VALUE_DLL, library));

    int worst = -1;
    std::vector<Line> lines = Check(packed, worst);
    ASSERT_EQ(Of(lines, TEV_CHECK_PLUGIN).size(), 1u);
    EXPECT_EQ(Of(lines, TEV_CHECK_PLUGIN)[0].verdict, TEV_CHECK_RESTORE)
        << Of(lines, TEV_CHECK_PLUGIN)[0].reason;
    EXPECT_EQ(worst, TEV_CHECK_RESTORE);

    engine.Control()->SetCommandLine(const_cast<char*>((Dir() + "/project.vtr").c_str()));
    ASSERT_EQ(engine.Control()->LoadProject(), TEV_PROJECT_LOADED);
    engine.Control()->EngineLoop();
    lines = Check(packed, worst);
    EXPECT_EQ(worst, TEV_CHECK_OK);
    for (const Line& line : lines) EXPECT_EQ(line.verdict, TEV_CHECK_OK) << line.name << ": " << line.reason;
}

}  // namespace
