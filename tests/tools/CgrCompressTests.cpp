// Compressed group files and the tools: vantor-cgr compress and decompress go through the
// engine's writer and translator, dump and dot read a compressed file as the plain one, and
// vantor-project walks compressed groups.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ToolInstall.h"
#include "fixtures/testchannels/TestChannels.h"
#include "format/CompressedLayerFormat.h"
#include "support/LoaderSupport.h"
#include "support/PublicCallShapes.h"
#include "support/ReloadSupport.h"

namespace {

using tarnwell_test::ReadBinaryFile;
using tooltest::ToolInstall;

bool Layered(const std::string& bytes) { return bytes.compare(0, 4, "KORF") == 0; }

class CgrCompress : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(dir.Path() + "/z");
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
        tarnwell_test::TestEngine author(options);
        ASSERT_TRUE(tarnwell_test::SaveTreeGroup(author.Engine(), 300, Plain()));
    }

    std::string Plain() const { return dir.Path() + "/tree.cgr"; }
    // The same name in another directory: dot labels the graph with the file's name.
    std::string Compressed() const { return dir.Path() + "/z/tree.cgr"; }

    tarnwell_test::TempDir dir{"tarnwell-cgr-compress"};
    ToolInstall install{{TEST_COUNTER_DLL}};
};

TEST_F(CgrCompress, CompressedFileReadsAsThePlainOneInEveryCommand) {
    ASSERT_EQ(install.Run("vantor-cgr", {"compress", Plain(), "-o", Compressed(), "--level", "9"}), 0)
        << install.Output();
    const std::string plain = ReadBinaryFile(Plain());
    const std::string compressed = ReadBinaryFile(Compressed());
    ASSERT_TRUE(Layered(compressed));
    EXPECT_LT(compressed.size() * 3, plain.size());

    ASSERT_EQ(install.Run("vantor-cgr", {"decompress", Compressed(), "-o", "-"}), 0) << install.Output();
    EXPECT_TRUE(install.Output() == plain);
    // Compressing a compressed file or decompressing a plain one writes it as it is.
    ASSERT_EQ(install.Run("vantor-cgr", {"compress", Compressed(), "-o", "-"}), 0);
    EXPECT_TRUE(install.Output() == compressed);
    ASSERT_EQ(install.Run("vantor-cgr", {"decompress", Plain(), "-o", "-"}), 0);
    EXPECT_TRUE(install.Output() == plain);

    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"dump", "--strict"}, {"dump", "--json"}, {"dot"}}) {
        std::vector<std::string> arguments = command;
        arguments.push_back(Plain());
        ASSERT_EQ(install.Run("vantor-cgr", arguments), 0) << install.Output();
        std::string expected = install.Output();
        arguments.back() = Compressed();
        ASSERT_EQ(install.Run("vantor-cgr", arguments), 0) << install.Output();
        if (command[0] == "dump" && command[1] == "--json") {
            // The JSON names the file it read.
            expected.replace(expected.find(Plain()), Plain().size(), Compressed());
        }
        EXPECT_TRUE(install.Output() == expected) << command[0];
    }
}

TEST_F(CgrCompress, DamagedOrForeignInputEndsWithTheReason) {
    ASSERT_EQ(install.Run("vantor-cgr", {"compress", Plain(), "-o", Compressed()}), 0) << install.Output();
    const std::string compressed = ReadBinaryFile(Compressed());
    const std::string cut = dir.Path() + "/cut.cgr";
    std::ofstream(cut, std::ios::binary) << compressed.substr(0, compressed.size() - 20);
    struct Case {
        std::vector<std::string> arguments;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"decompress", cut, "-o", dir.Path() + "/out.cgr"}, 1, "Compressed group file damaged"},
        {{"dump", cut}, 1, "Compressed group file damaged"},
        {{"compress", dir.Path() + "/z", "-o", "-"}, 3, "cannot read"},
        {{"dump", dir.Path() + "/z"}, 3, "cannot read"},
        {{"compress", cut, "-o"}, 2, "needs a value"},
        {{"compress", Plain(), "-o", "-", "--level", "10"}, 2, "--level takes 1 to 9"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.arguments[0] + " " + test.arguments[1]);
        EXPECT_EQ(install.Run("vantor-cgr", test.arguments), test.code);
        EXPECT_NE(install.Output().find(test.says), std::string::npos) << install.Output();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/out.cgr"));
    std::ofstream(dir.Path() + "/text.cgr") << "QSPT not a group";
    EXPECT_EQ(install.Run("vantor-cgr", {"compress", dir.Path() + "/text.cgr", "-o", "-"}), 1);
    EXPECT_NE(install.Output().find("is not a channel group file"), std::string::npos) << install.Output();
}

// The groups of a project saved compressed (the registry switch of the authoring engine): the
// project tool's walk loads them all through the kernel.
TEST(CgrCompressProject, PackWalksCompressedGroups) {
    tarnwell_test::TempDir project{"tarnwell-project-compressed"};
    {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
        options.registry = {{compressedlayer::kRegistryValue, "Yes"}};
        tarnwell_test::TestEngine author(options);
        ASSERT_TRUE(tarnwell_test::SaveAutoloadChain(author.Engine(), project.Path(), 3));
    }
    for (const char* group : {"/g0.cgr", "/g1.cgr", "/g2.cgr"})
        ASSERT_TRUE(Layered(ReadBinaryFile(project.Path() + group))) << group;
    ToolInstall source{{TEST_COUNTER_DLL, TEST_ROOT_DLL}};
    const std::string in = project.Path() + "/in.vtr";
    ASSERT_EQ(source.Run("vantor-project", {"new", in, project.Path() + "/g0.cgr"}), 0) << source.Output();
    ASSERT_EQ(source.Run("vantor-project", {"pack", in, project.Path() + "/out.vtr"}), 0) << source.Output();
    EXPECT_NE(source.Output().find("(3 groups)"), std::string::npos) << source.Output();
}

}  // namespace
