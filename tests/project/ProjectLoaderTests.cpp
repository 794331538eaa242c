// Project files: header and version codes, checking and restoring the plug-ins a project
// needs, and refusing damaged or hostile files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ChannelList.h"
#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FileLoaderChannels.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/FileFaults.h"
#include "support/FileIdentity.h"
#include "support/ProjectBuilder.h"
#include "support/TestEngine.h"

using namespace tarnwell_test;
namespace fs = std::filesystem;

namespace {

const char* const kMissingGuidText = "7E57C4FF-7E57-4000-8000-0000000000FF";
const std::string kModuleBytes =
    "\x7f"
    "ELF not really a module";

TestEngineOptions Options(const char* writeErrorLog = "Yes", const char* crcCheck = nullptr) {
    TestEngineOptions options;
    options.pluginPaths = {TestChannelPath(TEST_ROOT_DLL)};
    options.registry = {{"WriteErrorLog", writeErrorLog}};
    if (crcCheck) options.registry.push_back({"VtrCrCCheck", crcCheck});
    return options;
}

ProjectBlocks Vtr(const std::vector<ProjectBlocks>& parts) {
    ProjectBlocks blocks = {{"QSPT", {Int32Data(7)}}};
    for (const ProjectBlocks& part : parts) Append(blocks, part);
    return blocks;
}

ProjectBlocks Count(const char* tag, int32_t count) { return {{tag, {Int32Data(count)}}}; }

// A plug-in the installation lacks, with an embedded copy named `name`.
ProjectBlocks MissingPlugin(const std::string& name, const std::string& bytes, int64_t statedSize = -1) {
    ProjectBlocks blocks = Count("QDDC", 1);
    Append(blocks, ChannelEntry(kTestMissingGuid, {1, 52, 1}, 0));
    Append(blocks, EmbeddedChannel(name, bytes, statedSize));
    return blocks;
}

ProjectBlocks MissingOtherDll(const std::string& name, const std::string& bytes, int64_t statedSize = -1) {
    ProjectBlocks blocks = Count("QDDC", 0);
    Append(blocks, Count("QDGC", 1));
    Append(blocks, OtherDllEntry("dep.dll", 1));
    Append(blocks, EmbeddedOtherDll(name, bytes, statedSize));
    return blocks;
}

std::string ReadFile(const fs::path& path) { return ReadBinaryFile(path.string()); }

// Every file name below dir that contains `part`.
std::vector<std::string> FilesNamed(const fs::path& dir, const std::string& part) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(dir, error))
        if (entry.path().filename().string().find(part) != std::string::npos)
            found.push_back(entry.path().string());
    return found;
}

class Project : public ::testing::Test {
protected:
    int Load(TestEngine& engine, const ProjectBlocks& blocks) {
        EXPECT_TRUE(engine.Started());
        EXPECT_TRUE(WriteProject(engine.Engine(), ProjectPath(), blocks));
        engine.ClearMessages();
        return engine.Ext()->InitializeVTRFile(ProjectPath().c_str());
    }
    std::string ProjectPath() const { return projectDir.Path() + "/project.vtr"; }
    std::vector<int32_t> LocalVersion(TestEngine& engine, const _GUID& type) {
        const ChannelType local = engine.Ext()->GetChannelList()->GetChannelType(type);
        return {local.versionInfo[0], local.versionInfo[1], local.versionInfo[2]};
    }

    TempDir projectDir{"tarnwell-project"};
};

struct LoadCase {
    const char* name;
    ProjectBlocks blocks;
    int code;
    std::vector<std::string> shown;  // texts some message must contain
    const char* writeErrorLog = "Yes";
};

TEST_F(Project, CodesAndMessagesOfDamagedAndHostileFiles) {
    const std::string absolute = projectDir.Path() + "/outside-absolute.dll";
    const std::vector<LoadCase> cases = {
        {"no header", {{"QSGR", {TextData("start.cgr")}}}, 1, {"There is no VTR header found."}},
        {"no header, silent", {{"QSGR", {TextData("start.cgr")}}}, 1, {}, "No"},
        {"damaged header", {{"QSPT", {"12"}}}, 1, {"There is no VTR header found."}},
        {"this engine's version", Vtr({Count("QHPV", 100005)}), 0, {}},
        {"newer engine needed", Vtr({Count("QHPV", 100006)}), 2, {"The version of Tarnwell is not correct."}},
        {"missing plug-in without a copy",
         Vtr({MissingPlugin("m.dll", "", 0)}),
         2,
         {"Channel not found :", kMissingGuidText}},
        {"missing other DLL without a copy",
         Vtr({MissingOtherDll("dep.dll", "", 0)}),
         2,
         {"Can't locate thirth party dll : "}},
        {"empty entries",
         Vtr({Count("QDDC", 2), {{"QFDB", {}}, {"QFDB", {}}}, Count("QDGC", 1), {{"QDFF", {}}}}),
         0,
         {}},
        {"huge count without entries", Vtr({Count("QDDC", 0x7FFFFFFF)}), 0, {}},
        {"truncated plug-in entry",
         Vtr({Count("QDDC", 1), {{"QNDB", {GuidData(kTestMissingGuid)}}}}),
         2,
         {"damaged at block QNDB"}},
        {"other DLL entry missing", Vtr({Count("QDDC", 0), Count("QDGC", 3)}), 2, {"damaged at block QDDF"}},
        {"name climbs out", Vtr({MissingPlugin("../outside.dll", kModuleBytes)}), 2, {"plain file name"}},
        {"name climbs further",
         Vtr({MissingPlugin("..\\..\\outside.dll", kModuleBytes)}),
         2,
         {"plain file name"}},
        {"absolute name", Vtr({MissingPlugin(absolute, kModuleBytes)}), 2, {"plain file name"}},
        {"name in a subdirectory",
         Vtr({MissingPlugin("sub/outside.dll", kModuleBytes)}),
         2,
         {"plain file name"}},
        {"drive name", Vtr({MissingPlugin("C:outside.dll", kModuleBytes)}), 2, {"plain file name"}},
        {"parent as name", Vtr({MissingPlugin("..", kModuleBytes)}), 2, {"plain file name"}},
        {"empty name", Vtr({MissingPlugin("", kModuleBytes)}), 2, {"plain file name"}},
        {"name with a line break", Vtr({MissingPlugin("line\nbreak.dll", kModuleBytes)}), 2, {"plain file name"}},
        {"other DLL name climbs out",
         Vtr({MissingOtherDll("../outside.dll", kModuleBytes)}),
         2,
         {"plain file name"}},
        {"stated size larger",
         Vtr({MissingPlugin("outside.dll", kModuleBytes, 1000)}),
         2,
         {"does not match"}},
        {"stated size huge",
         Vtr({MissingPlugin("outside.dll", kModuleBytes, 0x7FFFFFFF)}),
         2,
         {"does not match"}},
        {"stated size negative",
         Vtr({MissingPlugin("outside.dll", kModuleBytes, 0xFFFFFFF0u)}),
         2,
         {"does not match"}},
        {"data without a size",
         Vtr({Count("QDDC", 1),
              ChannelEntry(kTestMissingGuid, {1, 52, 1}, 0),
              {{"QCAN", {TextData("outside.dll")}}, {"QCAF", {kModuleBytes}}}}),
         2,
         {"does not match"}},
        {"size without data",
         Vtr({Count("QDDC", 1),
              ChannelEntry(kTestMissingGuid, {1, 52, 1}, 0),
              {{"QCAN", {TextData("outside.dll")}}, {"QCAS", {Int32Data(4096)}}}}),
         2,
         {"does not match"}},
        {"other DLL size differs",
         Vtr({MissingOtherDll("outside.dll", kModuleBytes, 3)}),
         2,
         {"does not match"}},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine engine(Options(c.writeErrorLog));
        EXPECT_EQ(Load(engine, c.blocks), c.code);
        for (const std::string& text : c.shown) EXPECT_TRUE(engine.Contains(text)) << text;
        if (std::string(c.writeErrorLog) == "No") {
            EXPECT_FALSE(engine.Contains("VTR header"));
        }
        const fs::path install = engine.InstallDir();
        EXPECT_EQ(FilesNamed(install, "outside"), std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(install.parent_path() / "outside.dll"));
        EXPECT_FALSE(fs::exists(absolute));
    }
}

TEST_F(Project, HeaderAloneLoadsAndNamesTheProjectDirectory) {
    TestEngine engine(Options());
    EXPECT_EQ(Load(engine, Vtr({})), 0);
    EXPECT_EQ(engine.Ext()->GetProjectEditorVersion(), 7);
    EngineControl* control = engine.Control();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(Load(engine, Vtr({{{"QSGR", {TextData("start.cgr")}}}})), 0);
    // The start group file does not exist: the project is read, its group is not.
    control->SetCommandLine(const_cast<char*>(ProjectPath().c_str()));
    EXPECT_EQ(control->LoadProject(), TEV_PROJECT_NO_START_GROUP);
}

// The start group is found from wherever the player runs: a relative name behind the project's
// directory, an absolute one (POSIX, or in the kernel's spelling) as it stands.
TEST_F(Project, StartGroupNamedRelativeOrAbsoluteLoads) {
    TestEngine engine(Options());
    Tev_ChannelGroup* group = engine.Engine()->CreateNewGroup("Start", false, -1);
    ASSERT_NE(group, nullptr);
    ASSERT_NE(engine.Engine()->InitChannelFromType(kTestRootGuid, group, false), nullptr);
    ASSERT_TRUE(group->SaveChannelGroup((projectDir.Path() + "/start.cgr").c_str()));
    std::string kernelSpelling = projectDir.Path() + "/start.cgr";
    for (char& c : kernelSpelling)
        if (c == '/') c = '\\';
    for (const std::string& name :
         {std::string("start.cgr"), projectDir.Path() + "/start.cgr", kernelSpelling}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(WriteProject(engine.Engine(), ProjectPath(), Vtr({{{"QSGR", {TextData(name)}}}})));
        engine.Control()->SetCommandLine(const_cast<char*>(ProjectPath().c_str()));
        EXPECT_EQ(engine.Control()->LoadProject(), TEV_PROJECT_LOADED);
    }
}

TEST_F(Project, OutdatedLocalPluginIsReplacedByRenamingTheEmbeddedCopy) {
    TestEngineOptions options = Options();
    options.pluginPaths.clear();
    options.start = false;
    TestEngine engine(options);
    const fs::path channels = fs::path(engine.InstallDir()) / "channels";
    // A real file, not a link: replacing it must not write into the loaded module in place.
    fs::copy_file(TestChannelPath(TEST_ROOT_DLL), channels / TEST_ROOT_DLL);
    FileIdentity before;
    ASSERT_TRUE(IdentifyFile((channels / TEST_ROOT_DLL).string(), before));
    ASSERT_TRUE(engine.Start());
    ChannelList* list = engine.Ext()->GetChannelList();
    int32_t local[3] = {2, 0, 0};
    list->SetVersionInfo(kTestRootGuid, local);

    const std::string embedded =
        ReadBinaryFile(TestChannelPath(TEST_ROOT_DLL)) + std::string("\0restored", 9);
    ProjectBlocks blocks = Vtr({Count("QDDC", 1), ChannelEntry(kTestRootGuid, {1, 5, 0}, 0),
                                EmbeddedChannel(TEST_ROOT_DLL, embedded)});
    EXPECT_EQ(Load(engine, blocks), 0);
    EXPECT_TRUE(engine.Contains("Local channel version error"));
    EXPECT_EQ(ReadFile(channels / TEST_ROOT_DLL), embedded);
    FileIdentity after;
    ASSERT_TRUE(IdentifyFile((channels / TEST_ROOT_DLL).string(), after));
    EXPECT_NE(after, before) << "a new file renamed over the old one";
    EXPECT_EQ(LocalVersion(engine, kTestRootGuid), (std::vector<int32_t>{1, 5, 0}));
    EXPECT_EQ(FilesNamed(channels, ".tmp"), std::vector<std::string>{});
}

// A restore that fails at any step of writing leaves the installed module as it was, the same
// file, and the project load answers 2.
TEST_F(Project, InterruptedRestoreKeepsTheInstalledModule) {
    TestEngineOptions options = Options();
    options.pluginPaths.clear();
    options.start = false;
    TestEngine engine(options);
    const fs::path module = fs::path(engine.InstallDir()) / "channels" / TEST_ROOT_DLL;
    fs::copy_file(TestChannelPath(TEST_ROOT_DLL), module);
    const std::string installed = ReadFile(module);
    FileIdentity before;
    ASSERT_TRUE(IdentifyFile(module.string(), before));
    ASSERT_TRUE(engine.Start());
    int32_t local[3] = {2, 0, 0};
    engine.Ext()->GetChannelList()->SetVersionInfo(kTestRootGuid, local);
    ProjectBlocks blocks = Vtr({Count("QDDC", 1), ChannelEntry(kTestRootGuid, {1, 5, 0}, 0),
                                EmbeddedChannel(TEST_ROOT_DLL, installed + "newer")});

    ASSERT_TRUE(WriteProject(engine.Engine(), ProjectPath(), blocks));
    for (FileCall call : kFileCalls) {
        SCOPED_TRACE(static_cast<int>(call));
        engine.ClearMessages();
        {
            FileFault fault(call, 1, EIO);
            EXPECT_EQ(engine.Ext()->InitializeVTRFile(ProjectPath().c_str()), 2);
        }
        EXPECT_TRUE(engine.Contains("Could not write the embedded file"));
        EXPECT_TRUE(
            engine.Contains(engine.InstallDir() + "\\channels\\" TEST_ROOT_DLL ": Input/output error"));
        EXPECT_TRUE(ReadFile(module) == installed);
        FileIdentity after;
        ASSERT_TRUE(IdentifyFile(module.string(), after));
        EXPECT_EQ(after, before);
        EXPECT_EQ(FilesNamed(module.parent_path(), ".tmp"), std::vector<std::string>{});
        EXPECT_EQ(LocalVersion(engine, kTestRootGuid), (std::vector<int32_t>{2, 0, 0}));
    }
}

// A carried copy that does not make the type the project states never replaces the installed
// module: the load fails naming the file, and the next start still reads projects.
TEST_F(Project, CarriedPluginThatMakesNoSuchTypeLeavesTheInstalledModule) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {"not a module", "0123456789", "The embedded plug-in does not load"},
        {"another type's module", ReadBinaryFile(TestChannelPath(TEST_COUNTER_DLL)),
         "does not make the channel type the project states"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine engine(Options());
        const fs::path channels = fs::path(engine.InstallDir()) / "channels";
        const std::string installed = ReadFile(channels / "fileloader.dll");
        ProjectBlocks blocks =
            Vtr({Count("QDDC", 1),
                 ChannelEntry(TEV_FILELOADER_TYPE, LocalVersion(engine, TEV_FILELOADER_TYPE), 0),
                 EmbeddedChannel("fileloader.dll", c.bytes)});
        EXPECT_EQ(Load(engine, blocks), 2);
        EXPECT_TRUE(engine.Contains(c.shown));
        EXPECT_TRUE(engine.Contains(engine.InstallDir() + "\\channels\\fileloader.dll"));
        EXPECT_TRUE(ReadFile(channels / "fileloader.dll") == installed);
        EXPECT_EQ(FilesNamed(channels, ".tmp"), std::vector<std::string>{});
        engine.Stop();
        ASSERT_TRUE(engine.Start());
        EXPECT_EQ(engine.Ext()->InitializeVTRFile(ProjectPath().c_str()), 2) << "the project is still read";
    }
}

TEST_F(Project, RestoredPluginMakesChannelsInTheSameRun) {
    TestEngine engine(Options());
    ASSERT_EQ(engine.Engine()->InitChannelFromType(kTestCounterGuid, nullptr, false), nullptr);
    const std::string bytes = ReadBinaryFile(TestChannelPath(TEST_COUNTER_DLL));
    ProjectBlocks blocks = Vtr({Count("QDDC", 1), ChannelEntry(kTestCounterGuid, {1, 52, 1}, 0),
                                EmbeddedChannel(TEST_COUNTER_DLL, bytes)});
    EXPECT_EQ(Load(engine, blocks), 0);
    EXPECT_TRUE(engine.Contains("Channel not found :"));
    EXPECT_EQ(ReadFile(fs::path(engine.InstallDir()) / "channels" / TEST_COUNTER_DLL), bytes);
    Tev_Channel* channel = engine.Engine()->InitChannelFromType(kTestCounterGuid, nullptr, false);
    EXPECT_NE(AsTestChannel(channel), nullptr);
    delete channel;
}

TEST_F(Project, ChecksumSwitchConcernsChannelPluginsOnly) {
    for (const char* crcCheck : {"no", "Yes"}) {
        SCOPED_TRACE(crcCheck);
        TestEngine engine(Options("Yes", crcCheck));
        const fs::path install = engine.InstallDir();
        ASSERT_TRUE(WriteBinaryFile((install / "3rd" / "dep.dll").string(), "old dependency"));
        const std::string newDependency = "new dependency";
        ASSERT_TRUE(WriteBinaryFile((projectDir.Path() + "/dep"), newDependency));
        const uint32_t dependencyCrc = FileCrc(engine.Engine(), projectDir.Path() + "/dep");
        const uint32_t pluginCrc = FileCrc(engine.Engine(), TestChannelPath(TEST_ROOT_DLL));

        const std::string plugin = ReadBinaryFile(TestChannelPath(TEST_ROOT_DLL));
        FileIdentity installed;
        ASSERT_TRUE(IdentifyFile((install / "channels" / TEST_ROOT_DLL).string(), installed));
        ProjectBlocks blocks =
            Vtr({Count("QDDC", 1),
                 ChannelEntry(kTestRootGuid, LocalVersion(engine, kTestRootGuid), pluginCrc + 1),
                 EmbeddedChannel(TEST_ROOT_DLL, plugin), Count("QDGC", 1),
                 OtherDllEntry("dep.dll", dependencyCrc), EmbeddedOtherDll("dep.dll", newDependency)});
        EXPECT_EQ(Load(engine, blocks), 0);
        const bool checked = std::string(crcCheck) == "Yes";
        EXPECT_EQ(engine.Contains("Crc error in local version"), checked);
        FileIdentity after;
        ASSERT_TRUE(IdentifyFile((install / "channels" / TEST_ROOT_DLL).string(), after));
        EXPECT_EQ(after == installed, !checked) << "restored when checked";
        EXPECT_TRUE(engine.Contains("Crc error in local dll : "));
        EXPECT_EQ(ReadFile(install / "3rd" / "dep.dll"), newDependency);
    }
}

TEST_F(Project, KeepRunningFlagSticksAcrossProjects) {
    TestEngine engine(Options());
    EXPECT_FALSE(engine.Control()->GetIfKeepRunningApplication());
    EXPECT_EQ(Load(engine, Vtr({{{"QFKR", {}}}})), 0);
    EXPECT_TRUE(engine.Control()->GetIfKeepRunningApplication());
    EXPECT_EQ(Load(engine, Vtr({})), 0);
    EXPECT_TRUE(engine.Control()->GetIfKeepRunningApplication());
}

TEST_F(Project, LoadProjectShowsTheUpdateBoxForANewerProject) {
    TestEngine engine(Options());
    ASSERT_TRUE(WriteProject(engine.Engine(), ProjectPath(), Vtr({Count("QHPV", 100006)})));
    engine.Control()->SetCommandLine(const_cast<char*>(ProjectPath().c_str()));
    EXPECT_EQ(engine.Control()->LoadProject(), TEV_PROJECT_NEEDS_UPDATE);
    EXPECT_TRUE(engine.Contains("please update to the latest version"));
}

}  // namespace

namespace {

TEST_F(Project, LoadedProjectRunsItsStartGroupEveryFrame) {
    TestEngineOptions options = Options();
    options.pluginPaths = {TestChannelPath(TEST_COUNTER_DLL), TestChannelPath(TEST_ROOT_DLL)};
    TestEngine engine(options);
    EngineInterface* api = engine.Engine();
    Tev_ChannelGroup* group = api->CreateNewGroup("Saved", false, -1);
    ASSERT_NE(group, nullptr);
    api->InitChannelFromType(kTestRootGuid, group, false);  // position 0: not the start channel
    Tev_Channel* counter = api->InitChannelFromType(kTestCounterGuid, group, false);
    Tev_Channel* child = api->InitChannelFromType(kTestRootGuid, group, false);
    ASSERT_NE(counter, nullptr);
    ASSERT_NE(child, nullptr);
    counter->SetChild(child, -1, 0);
    group->SetStartChannel(counter->GetChannelIDIndexNr());
    ASSERT_TRUE(group->SaveChannelGroup((projectDir.Path() + "/start.cgr").c_str()));
    ASSERT_TRUE(WriteProject(api, ProjectPath(), Vtr({{{"QSGR", {TextData("start.cgr")}}}})));

    engine.Control()->SetCommandLine(const_cast<char*>(ProjectPath().c_str()));
    ASSERT_EQ(engine.Control()->LoadProject(), TEV_PROJECT_LOADED);
    Tev_ChannelGroup* running = api->GetChannelGroup(engine.Ext()->GetStartGroup());
    ASSERT_NE(running, nullptr);
    ASSERT_EQ(running->GetChannelCount(), 3);
    TestChannelCounts* first = AsTestChannel(running->GetChannel(0));
    TestChannelCounts* start = AsTestChannel(running->GetChannel(1));
    TestChannelCounts* linked = AsTestChannel(running->GetChannel(2));
    ASSERT_TRUE(first && start && linked);
    for (int frame = 0; frame < 4; frame++) engine.Control()->EngineLoop();
    EXPECT_EQ(start->GetCallCount(), 4);
    EXPECT_EQ(linked->GetCallCount(), 4);
    EXPECT_EQ(first->GetCallCount(), 0);
}

}  // namespace
