// A project whose start group uses a plug-in this install lacks: with the player's
// --keep-unknown (and a host's TevSetKeepUnknownChannels) it runs, and its group, saved, loads
// whole once the plug-in is installed. pack carries plug-ins, so it still refuses a group whose
// plug-in it cannot find, and packs the saved group once the plug-in is there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "ProjectFile.h"
#include "TarnwellHost.h"
#include "Tev_ChannelGroup.h"
#include "ToolInstall.h"
#include "fixtures/keptblocks/KeptBlocksGroup.h"
#include "support/LoaderSupport.h"

namespace {

namespace fs = std::filesystem;
using tarnwell_test::ReadBinaryFile;
using tooltest::ToolInstall;

const std::vector<std::string> kInstalled = {TEST_LINKS_DLL, TEST_ROOT_DLL};

class ProjectKeepUnknown : public ::testing::Test {
protected:
    void SetUp() override {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR, KeptBlocksModule(2)};
        tarnwell_test::TestEngine author(options);
        ASSERT_TRUE(SaveKeptBlocksGroup(author.Engine(), File("start.cgr")));
        original = ReadBinaryFile(File("start.cgr"));
        ASSERT_EQ(install.Run("vantor-project", {"new", File("in.vtr"), File("start.cgr")}), 0)
            << install.Output();
    }

    std::string File(const std::string& name) const { return project.Path() + "/" + name; }

    // Loads the project in this process on an install of the test plug-ins (and keptblocks
    // when asked), keeping unknown channels; answers the start group, or NULL.
    Tev_ChannelGroup* LoadProject(tarnwell_test::TestEngine& engine) {
        TevSetKeepUnknownChannels(engine.Engine(), 1);
        engine.Control()->SetCommandLine(const_cast<char*>(File("in.vtr").c_str()));
        EXPECT_EQ(engine.Control()->LoadProject(), TEV_PROJECT_LOADED);
        return engine.Engine()->GetChannelGroup(engine.Ext()->GetStartGroup());
    }

    tarnwell_test::TempDir project{"tarnwell-keep-unknown"};
    ToolInstall install{kInstalled};
    std::string original;
};

TEST_F(ProjectKeepUnknown, PlayerRunsTheProjectOnlyWhenAskedToKeepUnknownChannels) {
    const std::vector<std::string> run = {"--frames", "2", "--fps", "0", File("in.vtr")};
    EXPECT_EQ(install.Run("vantor-player", run), 14) << install.Output();
    std::vector<std::string> keeping = run;
    keeping.insert(keeping.begin(), "--keep-unknown");
    EXPECT_EQ(install.Run("vantor-player", keeping), 0) << install.Output();
    EXPECT_EQ(ReadBinaryFile(File("start.cgr")), original);
}

TEST_F(ProjectKeepUnknown, SavedStartGroupLoadsWholeAndPacksOnceThePluginIsInstalled) {
    {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
        tarnwell_test::TestEngine lacking(options);
        Tev_ChannelGroup* start = LoadProject(lacking);
        ASSERT_NE(start, nullptr);
        ASSERT_TRUE(start->SaveChannelGroup(File("start.cgr").c_str()));
    }
    EXPECT_EQ(ReadBinaryFile(File("start.cgr")), original);

    // pack cannot carry what it does not have: it refuses and names the type.
    EXPECT_EQ(install.Run("vantor-project", {"pack", File("in.vtr"), File("packed.vtr")}), 1)
        << install.Output();
    EXPECT_NE(install.Output().find("7E57C4B0"), std::string::npos) << install.Output();
    EXPECT_FALSE(fs::exists(File("packed.vtr")));

    fs::copy_file(KeptBlocksModule(2), install.Path("channels/keptblocks.dll"));
    ASSERT_EQ(install.Run("vantor-project", {"pack", File("in.vtr"), File("packed.vtr")}), 0)
        << install.Output();
    vtr::Project packed;
    ASSERT_TRUE(vtr::ReadProject(tagtext::ReadTagStream(ReadBinaryFile(File("packed.vtr"))), packed));
    EXPECT_TRUE(std::any_of(packed.channels.begin(), packed.channels.end(),
                            [](const vtr::PluginEntry& entry) { return entry.type == kKeptBlocksGuid; }));

    tarnwell_test::TestEngineOptions options;
    options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR, KeptBlocksModule(2)};
    tarnwell_test::TestEngine installed(options);
    Tev_ChannelGroup* start = LoadProject(installed);
    ASSERT_NE(start, nullptr);
    KeptBlocksValues* kept = AsKept(start->GetChannel(1));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->GetValue(), 42);
    EXPECT_EQ(start->GetChannel(0)->GetChild(0), kept);
    EXPECT_EQ(kept->GetChild(0), start->GetChannel(2));
}

}  // namespace
