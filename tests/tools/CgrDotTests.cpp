// vantor-cgr dot: a group read through the kernel, drawn with one node per channel, its links
// labelled with position and slot, its pools as clusters and its public calls pointing out.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "ChannelInternal.h"
#include "ChannelPoolManagement.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "ToolInstall.h"
#include "fixtures/testchannels/TestChannels.h"

namespace {

using tooltest::ToolInstall;

#ifdef _WIN32
const char kPathSeparator = ';';
#else
const char kPathSeparator = ':';
#endif

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

class CgrDot : public ::testing::Test {
protected:
    // "Hub" links "Left" and "Right" at the multiple position 2, "Right" is in the pool
    // "Lights", which "Left" uses, and "Out" is a public call into the group "Sky".
    void SetUp() override {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
        tarnwell_test::TestEngine author(options);
        EngineInterface* api = author.Engine();
        Tev_ChannelGroup* group = api->CreateNewGroup("Scene", false, 0);
        Tev_Channel* hub = Add(api, group, kTestLinksGuid, "Hub");
        Tev_Channel* left = Add(api, group, kTestDerivedGuid, "Left");
        hub->SetChild(left, -1, 2);
        Tev_Channel* right = Add(api, group, kTestDerivedGuid, "Right \"R\"");
        hub->SetChild(right, -1, 2);
        api->engineInterfaceExt->GetChannelPoolManagement()->CreatePoolItem("Lights", right);
        channelInternal.AddPoolToChannel(left, "Lights");
        Tev_Channel* out = Add(api, group, kTestCounterGuid, "Out");
        out->SetChannelInterfaceType(PEX_PUBLICCALL);
        PublicCallInfo info;
        std::strcpy(info.poolName, "Sky");
        std::strcpy(info.fileName, ".\\sky.cgr");
        channelInternal.SetPublicCallInfo(out, info);
        hub->SetChild(out, -1, 3);
        ASSERT_TRUE(group->SaveChannelGroup(Group().c_str()));
    }

    static Tev_Channel* Add(EngineInterface* api, Tev_ChannelGroup* group, const _GUID& type,
                            const char* name) {
        Tev_Channel* channel = api->InitChannelFromType(type, group, false);
        EXPECT_NE(channel, nullptr);
        if (channel) channel->SetChannelName(name);
        return channel;
    }

    std::string Group() const { return dir.Path() + "/scene.cgr"; }

    tarnwell_test::TempDir dir{"tarnwell-cgr-dot"};
    ToolInstall install{{TEST_LINKS_DLL, TEST_DERIVED_DLL, TEST_ROOT_DLL, TEST_COUNTER_DLL}};
};

TEST_F(CgrDot, GraphShowsChannelsLinksPoolsAndPublicCalls) {
    ASSERT_EQ(install.Run("vantor-cgr", {"dot", Group()}), 0) << install.Output();
    const std::string dot = install.Output();
    EXPECT_EQ(Count(dot, "class=\"channel\""), 4u) << dot;
    EXPECT_NE(dot.find("c0 [id=\"channel0\", class=\"channel\", label=\"Hub\\nTest Links\\n#0, start\""),
              std::string::npos)
        << dot;
    EXPECT_NE(dot.find("label=\"Right \\\"R\\\"\\nTest Derived\\n#2\""), std::string::npos) << dot;
    EXPECT_NE(dot.find("c0 -> c1 [label=\"2[0]\"]"), std::string::npos) << dot;
    EXPECT_NE(dot.find("c0 -> c2 [label=\"2[1]\"]"), std::string::npos) << dot;
    EXPECT_NE(
        dot.find(
            "subgraph cluster_pool0 {\n    label=\"pool Lights\"; style=dashed; color=gray40;\n    c2 ["),
        std::string::npos)
        << dot;
    EXPECT_NE(dot.find("c1 -> c2 [lhead=cluster_pool0, style=dotted, label=\"uses pool\"]"),
              std::string::npos)
        << dot;
    EXPECT_NE(dot.find("c3 -> g0 [style=dashed, label=\"No Name"), std::string::npos) << dot;
    EXPECT_NE(dot.find("g0 [id=\"group0\", class=\"group\", shape=folder, style=solid, label=\"group "
                       "Sky\\n.\\\\sky.cgr\"]"),
              std::string::npos)
        << dot;
}

TEST_F(CgrDot, SvgHasOneNodePerChannelAndGroup) {
    const std::string svg = dir.Path() + "/scene.svg";
    ASSERT_EQ(install.Run("vantor-cgr", {"dot", Group(), "--svg", svg}), 0) << install.Output();
    const std::string picture = tarnwell_test::ReadBinaryFile(svg);
    EXPECT_EQ(picture.compare(0, 5, "<?xml"), 0);
    EXPECT_EQ(Count(picture, "class=\"node channel\""), 4u) << picture;
    EXPECT_EQ(Count(picture, "class=\"node group\""), 1u);
}

// dot is the first program of that name along PATH, as the system's shell finds it; the stand-in
// writes the graph it was given into the picture.
TEST_F(CgrDot, GraphvizIsFoundAlongPathOrItsAbsenceIsSaid) {
    namespace fs = std::filesystem;
    const fs::path empty = fs::path(dir.Path()) / "empty", tools = fs::path(dir.Path()) / "graphviz";
    fs::create_directories(empty);
    fs::create_directories(tools);
    fs::copy_file(STAND_IN_DOT, tools / ("dot" + fs::path(STAND_IN_DOT).extension().string()));
    const std::string separator(1, kPathSeparator);
    ASSERT_EQ(install.Run("vantor-cgr", {"dot", Group()}), 0) << install.Output();
    const std::string graph = install.Output();
    const struct {
        const char* name;
        std::string path;
        int exitCode;
    } cases[] = {{"second directory", empty.string() + separator + tools.string(), 0},
                 {"in none", empty.string() + separator + (fs::path(dir.Path()) / "none").string(), 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string svg = dir.Path() + "/" + c.name + ".svg";
        ASSERT_EQ(install.Run("vantor-cgr", {"dot", Group(), "--svg", svg}, {{"PATH", c.path}}), c.exitCode)
            << install.Output();
        if (c.exitCode == 0) {
            EXPECT_EQ(tarnwell_test::ReadBinaryFile(svg), "stand-in dot -Tsvg\n" + graph);
        } else {
            EXPECT_FALSE(fs::exists(svg));
            EXPECT_NE(install.Output().find("needs Graphviz's dot program, which is not in PATH"),
                      std::string::npos)
                << install.Output();
        }
    }
}

TEST_F(CgrDot, GroupWithAChannelTypeTheInstallLacksIsRefusedWithTheKernelsReason) {
    ToolInstall bare;
    EXPECT_EQ(bare.Run("vantor-cgr", {"dot", Group()}), 1);
    EXPECT_NE(bare.Output().find("could not load"), std::string::npos) << bare.Output();
    EXPECT_NE(bare.Output().find("Couldn't find channel DLL!"), std::string::npos) << bare.Output();
}

}  // namespace

namespace {

// A group whose one channel sits in a pool nested `depth` levels deep.
std::string SaveDeepPoolGroup(const std::string& dir, int depth) {
    tarnwell_test::TestEngineOptions options;
    options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
    tarnwell_test::TestEngine author(options);
    EngineInterface* api = author.Engine();
    Tev_ChannelGroup* group = api->CreateNewGroup("Deep", false, 0);
    Tev_Channel* member = api->InitChannelFromType(kTestRootGuid, group, false);
    std::string path = "Top";
    for (int level = 0; level < depth; level++) path += "@a";
    EXPECT_NE(api->engineInterfaceExt->GetChannelPoolManagement()->CreatePoolItem(path.c_str(), member),
              nullptr);
    const std::string file = dir + "/deep.cgr";
    EXPECT_TRUE(group->SaveChannelGroup(file.c_str()));
    return file;
}

}  // namespace

// The drawing walked the pools by recursion and copied the whole path at every level: a pool
// 60,000 levels deep overflowed the stack.
TEST(CgrDotDeep, PoolNestedDeepIsOneClusterWithItsWholePath) {
    tarnwell_test::TempDir dir{"tarnwell-cgr-dot-deep"};
    const std::string file = SaveDeepPoolGroup(dir.Path(), 60000);
    ToolInstall install{{TEST_ROOT_DLL}};
    ASSERT_EQ(install.Run("vantor-cgr", {"dot", file}), 0) << install.Output().substr(0, 2000);
    const std::string dot = install.Output();
    EXPECT_EQ(Count(dot, "subgraph cluster_pool"), 1u);
    EXPECT_EQ(Count(dot, "@a"), 60000u);
}

// Graphviz copies latin1 text into the SVG as it is: DEL and the C1 controls must not reach it.
TEST_F(CgrDot, ControlCharactersOfEveryRangeBecomeSpacesInTheSvg) {
    {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
        tarnwell_test::TestEngine author(options);
        EngineInterface* api = author.Engine();
        Tev_ChannelGroup* group = api->CreateNewGroup("Scene", false, 0);
        Add(api, group, kTestRootGuid,
            "a\x01"
            "b\x7F"
            "c\x85"
            "d\x9F"
            "e\xA0"
            "f");
        ASSERT_TRUE(group->SaveChannelGroup(Group().c_str()));
    }
    const std::string svg = dir.Path() + "/controls.svg";
    ASSERT_EQ(install.Run("vantor-cgr", {"dot", Group(), "--svg", svg}), 0) << install.Output();
    const std::string picture = tarnwell_test::ReadBinaryFile(svg);
    EXPECT_NE(picture.find("a b c d e"), std::string::npos) << picture;
    EXPECT_EQ(picture.find('\x7F'), std::string::npos);
    for (const char* c1 : {"\xC2\x85", "\xC2\x9F", "&#127;", "&#133;", "&#159;"})
        EXPECT_EQ(picture.find(c1), std::string::npos) << c1;
}
