// What every program says about itself and a run: --version, the engine's messages on demand
// (--verbose, --log) in a tool, vantor-project info --json, and pack making its output's
// directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "EngineInterfaceExt.h"
#include "JsonCheck.h"
#include "ToolInstall.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/ProjectBuilder.h"

namespace {

namespace fs = std::filesystem;
using tarnwell_test::ReadBinaryFile;
using tooltest::ToolInstall;

TEST(ToolDiagnostics, EveryProgramSaysThePackageAndEngineInterfaceVersion) {
    ToolInstall install;
    for (const char* program : {"vantor-player", "vantor-cgr", "vantor-project", "vantor-plugin"}) {
        SCOPED_TRACE(program);
        ASSERT_EQ(install.Run(program, {"--version"}), 0) << install.Output();
        EXPECT_EQ(install.Output(), std::string(program) + " " + VANTOR_TEST_PACKAGE_VERSION +
                                        " (engine interface " + std::to_string(TEV_ENGINE_INTERFACE_ID) +
                                        ")\n");
    }
}

// The engine's messages reach standard error or the log file as they happen, the shutdown's
// library count told as the information it is.
TEST(ToolDiagnostics, VerboseAndLogCarryTheEnginesMessagesOfATool) {
    ToolInstall install;
    tarnwell_test::TempDir work{"tarnwell-tool-diagnostics"};
    const std::string log = work.Path() + "/tool.log";
    const struct {
        const char* name;
        std::vector<std::string> options;
        bool toLog;
    } cases[] = {{"verbose", {"--verbose"}, false}, {"log", {"--log", log}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> arguments = {"new", work.Path() + "/p.vtr", work.Path() + "/start.cgr"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(install.Run("vantor-project", arguments), 0) << install.Output();
        const std::string said = c.toLog ? ReadBinaryFile(log) : install.Output();
        EXPECT_NE(said.find("info: Libraries loaded : "), std::string::npos) << said;
        // Standard error carries them only when asked to.
        EXPECT_EQ(install.Output().find("vantor-project: engine info: Libraries loaded") != std::string::npos,
                  !c.toLog)
            << install.Output();
    }
}

TEST(ToolDiagnostics, ProjectInfoJsonIsWhatTheLoaderMakesOfTheFile) {
    tarnwell_test::TestEngine writer;
    tarnwell_test::TempDir work{"tarnwell-tool-info-json"};
    vtr::ProjectBlocks blocks = {{"QSPT", {tarnwell_test::Int32Data(3)}},
                                 {"QSGR", {tarnwell_test::TextData("groups/start.cgr")}},
                                 {"QFKR", {}},
                                 {"QDDC", {tarnwell_test::Int32Data(1)}}};
    tarnwell_test::Append(blocks, tarnwell_test::ChannelEntry(kTestRootGuid, {1, 52, 1}, 0x1234));
    tarnwell_test::Append(blocks, tarnwell_test::EmbeddedChannel(TEST_ROOT_DLL, "module bytes"));
    const std::string project = work.Path() + "/p.vtr";
    ASSERT_TRUE(tarnwell_test::WriteProject(writer.Engine(), project, blocks));
    ToolInstall install;
    ASSERT_EQ(install.Run("vantor-project", {"info", "--json", project}), 0) << install.Output();
    EXPECT_EQ(
        tooltest::JsonProblems(
            install.Output(),
            {"d['isProject'] is True", "d['editorVersion']==3", "d['startGroup']=='groups/start.cgr'",
             "d['startGroupPath']=='" + work.Path() + "/groups/start.cgr'", "d['keepRunning'] is True",
             "d['requiredEngineInterface'] is None",
             "d['channelPlugins'][0]['type']=='{7E57C401-7E57-4000-8000-000000000001}'",
             "d['channelPlugins'][0]['version']==[1,52,1]", "d['channelPlugins'][0]['crc']=='0x00001234'",
             "d['channelPlugins'][0]['embedded']=={'name':'" TEST_ROOT_DLL "','size':12}",
             "d['otherDlls']==[] and d['problems']==[]"},
            work.Path()),
        "");
}

}  // namespace
