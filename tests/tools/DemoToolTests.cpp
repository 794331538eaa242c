// The tools on the bundled demo: each of its groups drawn with one node per channel, and the
// demo packed on the build's install, then run on an install without the demo's plug-ins.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TagStream.h"
#include "ToolInstall.h"

namespace {

namespace fs = std::filesystem;
using tarnwell_test::ReadBinaryFile;
using tooltest::ToolInstall;

const char* const kDemoGroups[] = {"scene.cgr", "orbiter.cgr", "comet.cgr"};

bool DemoBuilt() { return fs::exists(fs::path(TARNWELL_VANTOR_DIR) / "demo" / "demo.vtr"); }

// Channels as the file states them: index entries that are not empty positions.
size_t ChannelsInFile(const std::string& bytes) {
    size_t count = 0;
    for (const tagtext::TagEntry& entry : tagtext::ReadTagStream(bytes).entries)
        if (entry.tag == "CHIX" && entry.blocks.size() == 1 && entry.blocks[0] != std::string(4, '\xFF'))
            ++count;
    return count;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

TEST(DemoTools, EachDemoGroupDrawsOneNodePerChannel) {
    if (!DemoBuilt()) GTEST_SKIP() << "built without the demo";
    ToolInstall install;
    tarnwell_test::TempDir dir{"tarnwell-demo-dot"};
    for (const char* group : kDemoGroups) {
        const std::string svg = dir.Path() + "/" + group + ".svg";
        ASSERT_EQ(
            install.Run("vantor-cgr", {"dot", install.Path(std::string("demo/") + group), "--svg", svg}), 0)
            << install.Output();
        const size_t channels = ChannelsInFile(ReadBinaryFile(install.Path(std::string("demo/") + group)));
        EXPECT_GT(channels, 0u);
        EXPECT_EQ(Count(ReadBinaryFile(svg), "class=\"node channel\""), channels) << group;
    }
}

TEST(DemoTools, PackedDemoRunsOnAnInstallWithoutTheDemoPlugins) {
    if (!DemoBuilt()) GTEST_SKIP() << "built without the demo";
    ToolInstall source;
    tarnwell_test::TempDir dir{"tarnwell-demo-pack"};
    const std::string packed = dir.Path() + "/demo-packed.vtr";
    ASSERT_EQ(source.Run("vantor-project", {"pack", source.Path("demo/demo.vtr"), packed}), 0)
        << source.Output();

    ToolInstall fresh;
    std::vector<std::string> plugins;
    for (const auto& entry : fs::directory_iterator(fresh.Path("channels")))
        if (entry.path().filename().string().compare(0, 4, "demo") == 0)
            plugins.push_back(entry.path().filename().string());
    ASSERT_FALSE(plugins.empty());
    for (const std::string& plugin : plugins) fs::remove(fresh.Path("channels/" + plugin));
    fs::remove_all(fresh.Path("demo"));

    ASSERT_EQ(fresh.Run("vantor-player", {"--frames", "5", "--fps", "0", packed}), 0) << fresh.Output();
    for (const std::string& plugin : plugins)
        EXPECT_EQ(ReadBinaryFile(fresh.Path("channels/" + plugin)),
                  ReadBinaryFile(source.Path("channels/" + plugin)))
            << plugin;
}

}  // namespace
