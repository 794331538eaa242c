// The vantor-cgr program: dump and build on files, exit codes and messages, and its use as
// a git diff driver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JsonCheck.h"
#include "foundation/TaggedFileFixture.h"
#include "support/ChildProcess.h"

namespace {

using taggedfile::Block;
using taggedfile::ReadAll;
using taggedfile::Word;
using taggedfile::WriteAll;

const std::string kTool = CGR_TOOL;

// Runs vantor-cgr with the arguments, standard input and output from and to the files of dir
// named (none: the null device); its exit code, with standard error kept in dir/err.
int Cgr(const taggedfile::TempDir& dir, std::vector<std::string> arguments, const std::string& in = "",
        const std::string& out = "") {
    arguments.insert(arguments.begin(), kTool);
    tarnwell_test::ChildOptions options;
    options.input = in.empty() ? "" : dir.File(in);
    options.output = out.empty() ? "" : dir.File(out);
    options.errors = dir.File("err");
    return tarnwell_test::RunChild(arguments, options, 60000);
}

std::string Group(const std::string& name) {
    return "TEVG" + ("CHCO" + Block(Word(1))) + ("CHIX" + Block(Word(0))) + ("CHNA" + Block(name + '\0')) +
           ("PLUG" + Block(std::string("\x00\x01", 2)));
}

TEST(CgrTool, DumpThenBuildGivesTheSameFile) {
    taggedfile::TempDir dir;
    WriteAll(dir.File("a.cgr"), Group("Start"));
    ASSERT_EQ(Cgr(dir, {"dump", dir.File("a.cgr")}, "", "a.txt"), 0) << ReadAll(dir.File("err"));
    EXPECT_NE(ReadAll(dir.File("a.txt")).find("\nCHNA \"Start\"\n"), std::string::npos);
    ASSERT_EQ(Cgr(dir, {"build", dir.File("a.txt"), "-o", dir.File("b.cgr")}), 0) << ReadAll(dir.File("err"));
    EXPECT_EQ(ReadAll(dir.File("b.cgr")), Group("Start"));
}

// Group files pass through standard input and output as they are: no line end is translated
// and ^Z (0x1A) does not end the input, on either system.
TEST(CgrTool, GroupThroughStandardInputAndOutputKeepsEveryByte) {
    taggedfile::TempDir dir;
    const std::string group = Group(std::string("a\x1A\r\nb\nc\r", 8)) + "CHDA" + Block("\n\r\n\x1A\x1A");
    WriteAll(dir.File("a.cgr"), group);
    ASSERT_EQ(Cgr(dir, {"dump", "-"}, "a.cgr", "a.txt"), 0) << ReadAll(dir.File("err"));
    ASSERT_EQ(Cgr(dir, {"build", "-", "-o", "-"}, "a.txt", "c.cgr"), 0) << ReadAll(dir.File("err"));
    EXPECT_EQ(ReadAll(dir.File("c.cgr")), group);
}

TEST(CgrTool, DamagedFileIsKeptWithAWarningAndRefusedWhenStrict) {
    taggedfile::TempDir dir;
    std::string damaged = Group("Start") + "CHNA" + Word(99) + "cut";
    WriteAll(dir.File("d.cgr"), damaged);
    ASSERT_EQ(Cgr(dir, {"dump", dir.File("d.cgr")}, "", "d.txt"), 0);
    std::string offset =
        "offset " + std::to_string(Group("Start").size() + 4) + ": expected a tag or a block size";
    EXPECT_NE(ReadAll(dir.File("err")).find("warning: " + dir.File("d.cgr") + ": " + offset),
              std::string::npos)
        << ReadAll(dir.File("err"));
    ASSERT_EQ(Cgr(dir, {"build", dir.File("d.txt"), "-o", dir.File("e.cgr")}), 0) << ReadAll(dir.File("err"));
    EXPECT_EQ(ReadAll(dir.File("e.cgr")), damaged);

    EXPECT_EQ(Cgr(dir, {"dump", "--strict", dir.File("d.cgr")}), 1);
    EXPECT_NE(ReadAll(dir.File("err")).find("error: " + dir.File("d.cgr") + ": " + offset),
              std::string::npos);
    EXPECT_EQ(Cgr(dir, {"dump", dir.File("missing.cgr")}), 3);
    EXPECT_EQ(Cgr(dir, {"dump"}), 2);
}

TEST(CgrTool, BadTextNamesTheLineAndWritesNothing) {
    taggedfile::TempDir dir;
    WriteAll(dir.File("bad.txt"), "TEVG\nCHCO three\n");
    EXPECT_EQ(Cgr(dir, {"build", dir.File("bad.txt"), "-o", dir.File("out.cgr")}), 1);
    EXPECT_NE(ReadAll(dir.File("err")).find(dir.File("bad.txt") + ":line 2: CHCO: expected a 32-bit integer"),
              std::string::npos)
        << ReadAll(dir.File("err"));
    EXPECT_EQ(dir.Entries().size(), 2u);  // bad.txt and err: no output, no temporary
}

// git runs the tool as the text conversion of group files; its Linux build is the one driven here.
TEST(CgrTool, GitDiffShowsGroupFilesAsText) {
    taggedfile::TempDir dir;
    const auto git = [&](std::vector<std::string> arguments, const std::string& out = "") {
        const std::vector<std::string> front = {"/usr/bin/env", "git",         "-C", dir.Path(),
                                                "-c",           "user.name=t", "-c", "user.email=t@t"};
        arguments.insert(arguments.begin(), front.begin(), front.end());
        tarnwell_test::ChildOptions options;
        options.environment = {{"HOME", dir.Path()}, {"GIT_CONFIG_NOSYSTEM", "1"}};
        options.output = out.empty() ? "" : dir.File(out);
        options.errors = dir.File("err");
        return tarnwell_test::RunChild(arguments, options, 60000);
    };
    WriteAll(dir.File(".gitattributes"), "*.cgr diff=cgr\n");
    WriteAll(dir.File("g.cgr"), Group("Old name"));
    for (const std::vector<std::string>& step : {std::vector<std::string>{"init", "-q", "."},
                                                 {"config", "diff.cgr.textconv", "'" + kTool + "' dump"},
                                                 {"add", ".gitattributes", "g.cgr"},
                                                 {"commit", "-qm", "first"}})
        ASSERT_EQ(git(step), 0) << step[0] << ": " << ReadAll(dir.File("err"));
    WriteAll(dir.File("g.cgr"), Group("New name"));
    ASSERT_EQ(git({"diff"}, "diff.txt"), 0) << ReadAll(dir.File("err"));
    std::string diff = ReadAll(dir.File("diff.txt"));
    EXPECT_NE(diff.find("\n-CHNA \"Old name\"\n+CHNA \"New name\"\n"), std::string::npos) << diff;
    EXPECT_EQ(diff.find("Binary files"), std::string::npos) << diff;
}

}  // namespace

namespace {

// Two channels; channel 0 links channel 1 at position 0, then `child` at `position` (slot 0 each).
std::string LinkedGroup(uint32_t child, uint32_t position) {
    const auto link = [](uint32_t index, uint32_t at) {
        return "CHLI" + Block(Word(index)) + "CHUL" + Block(Word(at)) + "CHRP" + Block(Word(0));
    };
    return "TEVG" + ("CHCO" + Block(Word(2))) + ("CHIX" + Block(Word(0))) + ("CHLC" + Block(Word(2))) +
           link(1, 0) + link(child, position) + ("CHIX" + Block(Word(1)));
}

TEST(CgrTool, BuildWarnsOfLinksALoadWouldDropAndStillWrites) {
    const struct {
        const char* name;
        uint32_t child, position;
        const char* warning;  // "" for none
    } cases[] = {
        {"links that hold", 1, 1, ""},
        {"index without a channel", 7, 1, "channel 0, link 1: index 7 is no channel of this file"},
        {"position and slot twice", 1, 0, "channel 0, link 1: position 0 slot 0 is taken by link 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        taggedfile::TempDir dir;
        WriteAll(dir.File("g.cgr"), LinkedGroup(c.child, c.position));
        ASSERT_EQ(Cgr(dir, {"dump", dir.File("g.cgr")}, "", "g.txt"), 0) << ReadAll(dir.File("err"));
        ASSERT_EQ(Cgr(dir, {"build", dir.File("g.txt"), "-o", dir.File("h.cgr")}), 0)
            << ReadAll(dir.File("err"));
        EXPECT_EQ(ReadAll(dir.File("h.cgr")), LinkedGroup(c.child, c.position));
        const std::string said = ReadAll(dir.File("err"));
        if (c.warning[0])
            EXPECT_NE(said.find("warning: " + dir.File("g.txt") + ": " + c.warning), std::string::npos)
                << said;
        else
            EXPECT_EQ(said, "");
    }
}

TEST(CgrTool, DumpJsonIsOneObjectWithEveryBlockAsTheTextSpellsIt) {
    taggedfile::TempDir dir;
    WriteAll(dir.File("a.cgr"), Group("Start") + "CHNA" + Word(99) + "cut");
    ASSERT_EQ(Cgr(dir, {"dump", "--json", dir.File("a.cgr")}, "", "a.json"), 0) << ReadAll(dir.File("err"));
    EXPECT_EQ(tooltest::JsonProblems(
                  ReadAll(dir.File("a.json")),
                  {"d['file']==r'" + dir.File("a.cgr") + "'",
                   "[e['tag'] for e in d['entries']]==['TEVG','CHCO','CHIX','CHNA','PLUG','CHNA']",
                   "d['entries'][3]['blocks']==['\"Start\"']", "d['entries'][0]['blocks']==[]",
                   "'expected a tag or a block size' in d['damage']", "d['trailing'].startswith('hex:')"},
                  dir.Path()),
              "");
}

}  // namespace
