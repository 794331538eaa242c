// vantor-plugin: check names each fault of a plug-in in one line and answers 1, and passes a
// sound one; list shows the install's types and the modules the engine ignores; new writes a
// plug-in folder with a type GUID of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "JsonText.h"
#include "ToolInstall.h"
#include "fixtures/badblocks/BadBlocksChannels.h"
#include "fixtures/cgrblocks/CgrBlocksChannel.h"
#include "fixtures/loadertest/LoaderTestChannels.h"
#include "fixtures/thirdlink/ThirdLinkChannel.h"

namespace {

namespace fs = std::filesystem;
using tooltest::ToolInstall;

const std::string kThirdLinkDir = TARNWELL_TEST_THIRDLINK_DIR;

// A plug-in file for the check, put where the case wants it.
struct CheckCase {
    const char* name;
    std::string source;                 // the module to check
    bool alone;                         // copied into a directory of its own (without ../3rd)
    tooltest::Environment environment;  // changes for the run
    int exitCode;
    const char* says;  // a line of the output
    // Also in the output: the system's reason spells it its own way ("thirdvalue.dll: cannot open
    // shared object file" or "...: Module not found (thirdvalue.dll was not found)").
    const char* alsoSays = "";
};

void PrintTo(const CheckCase& c, std::ostream* out) { *out << c.name; }

class PluginCheck : public testing::TestWithParam<CheckCase> {};

TEST_P(PluginCheck, NamesTheFaultAndAnswersItsExitCode) {
    const CheckCase& c = GetParam();
    // The install holds loadera.dll: a copy of it elsewhere clashes with it.
    ToolInstall install({LOADER_A_DLL});
    std::string plugin = c.source;
    if (c.alone) {
        fs::create_directory(install.Path("elsewhere"));
        plugin = install.Path("elsewhere/copy-" + fs::path(c.source).filename().string());
        fs::copy_file(c.source, plugin);
    }
    const int status = install.Run("vantor-plugin", {"check", plugin}, c.environment);
    EXPECT_EQ(status, c.exitCode) << install.Output();
    EXPECT_NE(install.Output().find(c.says), std::string::npos) << install.Output();
    EXPECT_NE(install.Output().find(c.alsoSays), std::string::npos) << install.Output();
    if (c.exitCode == 0) {
        EXPECT_EQ(install.Output().find("vantor-plugin:"), std::string::npos) << install.Output();
    }
}

std::string TestChannel(const char* name) { return tarnwell_test::TestChannelPath(name); }

INSTANTIATE_TEST_SUITE_P(
    PluginTool, PluginCheck,
    testing::Values(CheckCase{"Sound",
                              TestChannel(CGR_BLOCKS_DLL),
                              false,
                              {},
                              0,
                              "ok: its record is read back whole and saved again to the same bytes"},
                    CheckCase{"SoundWithItsOwnLibrary",
                              kThirdLinkDir + "/channels/" THIRD_LINK_DLL,
                              false,
                              {},
                              0,
                              "ok: a group holding it is saved to a file and loaded"},
                    CheckCase{"NoEntryPoints",
                              kThirdLinkDir + "/3rd/" THIRD_LINK_VALUE_DLL,
                              false,
                              {},
                              1,
                              "no entry points: neither InitDLL nor GetType is exported"},
                    CheckCase{"MissingLibrary",
                              kThirdLinkDir + "/channels/" THIRD_LINK_DLL,
                              true,
                              {},
                              1,
                              "a library it needs does not resolve: ",
                              "thirdvalue.dll"},
                    CheckCase{"GuidClash",
                              TestChannel(LOADER_A_DLL),
                              true,
                              {},
                              1,
                              "type GUID {10AD0001-10AD-4A00-9000-000000000001} is already taken by"},
                    CheckCase{"RefusedInterfaceVersion",
                              TestChannel(LOADER_OLD_DLL),
                              false,
                              {},
                              1,
                              "interface version 44 in the type record: this kernel takes 52 or 43"},
                    CheckCase{"NoChannelMade",
                              TestChannel(LOADER_THROW_DLL),
                              false,
                              {{LOADER_THROW_ENV, "init"}},
                              1,
                              "no channel of the type could be made"},
                    CheckCase{"BlockNeverRead",
                              TestChannel(BAD_BLOCKS_ORDER_DLL),
                              false,
                              {},
                              1,
                              "LoadChannel left blocks of the record unread (lost on loading): BBVL"},
                    CheckCase{"BlockReadWrong",
                              TestChannel(BAD_BLOCKS_VALUE_DLL),
                              false,
                              {},
                              1,
                              "the channel read back saves other bytes than it was read from"},
                    CheckCase{"NoFile", "/nonexistent/none.dll", false, {}, 1, "none.dll: no such file"}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(PluginTool, ListShowsEveryTypeAndTheModulesTheEngineIgnores) {
    ToolInstall install({LOADER_A_DLL});
    EXPECT_EQ(install.Run("vantor-plugin", {"list"}), 0) << install.Output();
    EXPECT_NE(install.Output().find("Loader A\t{10AD0001-10AD-4A00-9000-000000000001}\t1.52.1\t"),
              std::string::npos)
        << install.Output();

    fs::copy_file(install.Path("channels/" LOADER_A_DLL), install.Path("channels/zcopy.dll"));
    EXPECT_EQ(install.Run("vantor-plugin", {"list", "--json"}), 1) << install.Output();
    const std::string output = install.Output();
    // Modules named as the system spells paths: '\\' between names on Windows.
    const std::string module = tarnwell_test::SystemPath(install.Path("channels/" LOADER_A_DLL));
    EXPECT_NE(output.find("{\"name\": \"Loader A\", \"guid\": \"{10AD0001-10AD-4A00-9000-000000000001}\", "
                          "\"version\": \"1.52.1\", \"module\": " +
                          toolengine::JsonQuote(module) + ", \"onDisk\": true, \"checksum\": \""),
              std::string::npos)
        << output;
    EXPECT_NE(output.find(tarnwell_test::SystemPath(install.Path("channels/zcopy.dll")) +
                          ": ignored: type GUID {10AD0001-10AD-4A00-9000-000000000001} is already taken by " +
                          module),
              std::string::npos)
        << output;
}

TEST(PluginTool, NewWritesAFolderWithATypeGuidOfItsOwn) {
    ToolInstall install;
    const std::string first = install.Path("first"), second = install.Path("second");
    ASSERT_EQ(install.Run("vantor-plugin", {"new", "Gauge", first}), 0) << install.Output();
    ASSERT_EQ(install.Run("vantor-plugin", {"new", "Gauge", second}), 0) << install.Output();
    for (const char* file :
         {"CMakeLists.txt", "GaugeChannel.h", "GaugeChannel.cpp", "GaugeTest.cpp", "README.md"})
        EXPECT_TRUE(fs::is_regular_file(fs::path(first) / file)) << file;
    const std::string a = tarnwell_test::ReadBinaryFile(first + "/GaugeChannel.h");
    const std::string b = tarnwell_test::ReadBinaryFile(second + "/GaugeChannel.h");
    EXPECT_NE(a.find("inline constexpr _GUID kGaugeTypeGuid = {0x"), std::string::npos) << a;
    EXPECT_NE(a, b);

    // A folder that holds files already is left alone; a name that cannot be a target is refused.
    EXPECT_EQ(install.Run("vantor-plugin", {"new", "Gauge", first}), 3);
    EXPECT_NE(install.Output().find("exists and is not empty"), std::string::npos) << install.Output();
    EXPECT_EQ(install.Run("vantor-plugin", {"new", "no name", install.Path("third")}), 2);
    EXPECT_FALSE(fs::exists(install.Path("third")));
}

}  // namespace
