// vantor-project info, in process: what it shows of every block and of damaged projects, and
// that it foretells the kernel's loader.
#include <gtest/gtest.h>

#include <string>

#include "EngineInterfaceExt.h"
#include "ProjectFile.h"
#include "ProjectInfo.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/ProjectBuilder.h"
#include "support/TestEngine.h"

namespace {

using tarnwell_test::ReadBinaryFile;

TEST(ProjectToolInfo, ShowsEveryBlockWithWhatTheLoaderMakesOfIt) {
    vtr::ProjectBlocks blocks = {{"QSPT", {vtr::IntData(2)}},      {"QSGR", {vtr::NameData("start.cgr")}},
                                 {"QHPV", {vtr::IntData(100005)}}, {"QFKR", {}},
                                 {"QDDC", {vtr::IntData(2)}},      {"QFDB", {}}};
    vtr::Append(blocks, vtr::ChannelEntry(kTestRootGuid, {1, 52, 3}, 0xA1B2C3D4));
    vtr::Append(blocks, vtr::EmbeddedChannel("testroot.dll", "abc"));
    blocks.push_back({"QDGC", {vtr::IntData(1)}});
    vtr::Append(blocks, vtr::OtherDllEntry("extra.dll", 0x10));
    vtr::Append(blocks, vtr::EmbeddedOtherDll("extra.dll", "12345"));
    blocks.push_back({"ZZZZ", {"?"}});  // after the lists: the loader never reads it
    tagtext::TagStream stream;
    for (const vtr::ProjectBlock& block : blocks) stream.entries.push_back({block.tag, block.data});
    vtr::Project project;
    ASSERT_TRUE(vtr::ReadProject(stream, project));
    const std::string text = vtr::DescribeProject(stream, project, "/p/");
    const char* const kLines[] = {
        "QSPT 2    # project header, editor version\n",
        "QSGR \"start.cgr\"    # start group: /p/start.cgr (not found)\n",
        "QHPV 100005    # needs engine interface 100005 (this kernel: 100005)\n",
        "QFKR    # the application keeps running\n",
        "QDDC 2    # channel plug-ins the project needs\n",
        "QFDB    # channel plug-in 1 of 2: empty\n",
        "QNDB type={7E57C401-7E57-4000-8000-000000000001} version=1,52,3 crc=0xA1B2C3D4    # channel plug-in "
        "2 "
        "of 2, embeds testroot.dll\n",
        "QCAN \"testroot.dll\"\nQCAS 3\nQCAF <3 bytes>\n",
        "QDGC 1    # DLLs the plug-ins need\n",
        "QDDF \"extra.dll\"    # DLL below 3rd/ 1 of 1, embeds extra.dll\nQCRC 0x00000010\n",
        "QDLN \"extra.dll\"\nQDLS 5\nQDLF <5 bytes>\n",
        "ZZZZ hex:3F    # not read by the loader\n",
        "# problem: the loader stops before ZZZZ: the blocks from there on are never read\n"};
    size_t at = 0;
    for (const char* line : kLines) {
        const size_t found = text.find(line, at);
        EXPECT_NE(found, std::string::npos) << "missing or out of order: " << line << "in:\n" << text;
        if (found != std::string::npos) at = found;
    }
}

// Damaged projects: what info says of each, and the answer of the kernel's loader it foretells.
TEST(ProjectToolInfo, ProblemsAgreeWithTheKernelsLoader) {
    using vtr::IntData;
    const vtr::ProjectBlocks entry = vtr::ChannelEntry(kTestRootGuid, {1, 52, 1}, 7);
    const struct {
        vtr::ProjectBlocks blocks;
        const char* problem;
        int code;  // LoadProjectFile's answer
    } kCases[] = {
        {{{"QSGR", {vtr::NameData("a.cgr")}}}, "no QSPT header with a 32-bit version", 1},
        {{{"QSPT", {IntData(1)}}, {"QDDC", {IntData(2)}}, {"QFDB", {}}},
         "QDDC announces 2 channel plug-ins, 1 follow",
         0},
        {{{"QSPT", {IntData(1)}},
          {"QDDC", {IntData(1)}},
          entry[0],
          {"QCAN", {vtr::NameData("x.dll")}},
          {"QCAS", {IntData(5)}},
          {"QCAF", {"abc"}}},
         "x.dll: the stated size 5 differs from the 3 bytes embedded",
         2},
        {{{"QSPT", {IntData(1)}}, {"QDDC", {IntData(1)}}, {"QNDB", {entry[0].data[0], entry[0].data[1]}}},
         "QNDB: expected a 16-byte type",
         2},
        {{{"QSPT", {IntData(1)}}, {"QDDC", {IntData(0)}}, {"QDGC", {IntData(1)}}},
         "QDDF: expected the name of a DLL",
         2},
    };
    tarnwell_test::TempDir dir{"tarnwell-project-info"};
    tarnwell_test::TestEngine engine;
    for (const auto& c : kCases) {
        const std::string path = dir.Path() + "/p.vtr";
        ASSERT_TRUE(vtr::WriteProject(engine.Engine(), path, c.blocks));
        vtr::Project project;
        const tagtext::TagStream stream = tagtext::ReadTagStream(ReadBinaryFile(path));
        EXPECT_EQ(vtr::ReadProject(stream, project), c.code != 1) << c.problem;
        const std::string text = vtr::DescribeProject(stream, project, "");
        EXPECT_NE(text.find("# problem: " + std::string(c.problem)), std::string::npos) << text;
        EXPECT_EQ(text.find("refuses the project") != std::string::npos, c.code == 2) << text;
        EXPECT_EQ(engine.Ext()->InitializeVTRFile(path.c_str()), c.code) << c.problem;
    }
}

}  // namespace
