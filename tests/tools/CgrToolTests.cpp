// The vantor-cgr program: dump and build on files, exit codes and messages, and its use as
// a git diff driver.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "JsonCheck.h"
#include "foundation/TaggedFileFixture.h"

namespace {

using taggedfile::Block;
using taggedfile::ReadAll;
using taggedfile::Word;
using taggedfile::WriteAll;

const std::string kTool = CGR_TOOL;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs a shell command in dir; the exit status, with standard error kept in dir/err.
int Shell(const taggedfile::TempDir& dir, const std::string& command) {
    std::string line = "cd " + Quote(dir.Path()) + " && " + command + " 2>err";
    int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Group(const std::string& name) {
    return "TEVG" + ("CHCO" + Block(Word(1))) + ("CHIX" + Block(Word(0))) + ("CHNA" + Block(name + '\0')) +
           ("PLUG" + Block(std::string("\x00\x01", 2)));
}

TEST(CgrTool, DumpThenBuildGivesTheSameFile) {
    taggedfile::TempDir dir;
    WriteAll(dir.File("a.cgr"), Group("Start"));
    ASSERT_EQ(Shell(dir, Quote(kTool) + " dump a.cgr > a.txt"), 0) << ReadAll(dir.File("err"));
    EXPECT_NE(ReadAll(dir.File("a.txt")).find("\nCHNA \"Start\"\n"), std::string::npos);
    ASSERT_EQ(Shell(dir, Quote(kTool) + " build a.txt -o b.cgr"), 0) << ReadAll(dir.File("err"));
    EXPECT_EQ(ReadAll(dir.File("b.cgr")), Group("Start"));
    // Through pipes as well.
    ASSERT_EQ(
        Shell(dir, "cat a.cgr | " + Quote(kTool) + " dump - | " + Quote(kTool) + " build - -o - > c.cgr"), 0);
    EXPECT_EQ(ReadAll(dir.File("c.cgr")), Group("Start"));
}

TEST(CgrTool, DamagedFileIsKeptWithAWarningAndRefusedWhenStrict) {
    taggedfile::TempDir dir;
    std::string damaged = Group("Start") + "CHNA" + Word(99) + "cut";
    WriteAll(dir.File("d.cgr"), damaged);
    ASSERT_EQ(Shell(dir, Quote(kTool) + " dump d.cgr > d.txt"), 0);
    std::string offset =
        "offset " + std::to_string(Group("Start").size() + 4) + ": expected a tag or a block size";
    EXPECT_NE(ReadAll(dir.File("err")).find("warning: d.cgr: " + offset), std::string::npos)
        << ReadAll(dir.File("err"));
    ASSERT_EQ(Shell(dir, Quote(kTool) + " build d.txt -o e.cgr"), 0) << ReadAll(dir.File("err"));
    EXPECT_EQ(ReadAll(dir.File("e.cgr")), damaged);

    EXPECT_EQ(Shell(dir, Quote(kTool) + " dump --strict d.cgr > /dev/null"), 1);
    EXPECT_NE(ReadAll(dir.File("err")).find("error: d.cgr: " + offset), std::string::npos);
    EXPECT_EQ(Shell(dir, Quote(kTool) + " dump missing.cgr"), 3);
    EXPECT_EQ(Shell(dir, Quote(kTool) + " dump"), 2);
}

TEST(CgrTool, BadTextNamesTheLineAndWritesNothing) {
    taggedfile::TempDir dir;
    WriteAll(dir.File("bad.txt"), "TEVG\nCHCO three\n");
    EXPECT_EQ(Shell(dir, Quote(kTool) + " build bad.txt -o out.cgr"), 1);
    EXPECT_NE(ReadAll(dir.File("err")).find("bad.txt:line 2: CHCO: expected a 32-bit integer"),
              std::string::npos)
        << ReadAll(dir.File("err"));
    EXPECT_EQ(dir.Entries().size(), 2u);  // bad.txt and err: no output, no temporary
}

TEST(CgrTool, GitDiffShowsGroupFilesAsText) {
    taggedfile::TempDir dir;
    std::string git =
        "HOME=" + Quote(dir.Path()) + " GIT_CONFIG_NOSYSTEM=1 git -c user.name=t -c user.email=t@t ";
    WriteAll(dir.File(".gitattributes"), "*.cgr diff=cgr\n");
    WriteAll(dir.File("g.cgr"), Group("Old name"));
    ASSERT_EQ(Shell(dir, git + "init -q . && " + git + "config diff.cgr.textconv " + Quote(kTool + " dump") +
                             " && " + git + "add .gitattributes g.cgr && " + git + "commit -qm first"),
              0)
        << ReadAll(dir.File("err"));
    WriteAll(dir.File("g.cgr"), Group("New name"));
    ASSERT_EQ(Shell(dir, git + "diff > diff.txt"), 0) << ReadAll(dir.File("err"));
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
        {"index without a channel", 7, 1,
         "warning: g.txt: channel 0, link 1: index 7 is no channel of this file"},
        {"position and slot twice", 1, 0,
         "warning: g.txt: channel 0, link 1: position 0 slot 0 is taken by link 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        taggedfile::TempDir dir;
        WriteAll(dir.File("g.cgr"), LinkedGroup(c.child, c.position));
        ASSERT_EQ(Shell(dir, Quote(kTool) + " dump g.cgr > g.txt"), 0) << ReadAll(dir.File("err"));
        ASSERT_EQ(Shell(dir, Quote(kTool) + " build g.txt -o h.cgr"), 0) << ReadAll(dir.File("err"));
        EXPECT_EQ(ReadAll(dir.File("h.cgr")), LinkedGroup(c.child, c.position));
        const std::string said = ReadAll(dir.File("err"));
        if (c.warning[0])
            EXPECT_NE(said.find(c.warning), std::string::npos) << said;
        else
            EXPECT_EQ(said, "");
    }
}

TEST(CgrTool, DumpJsonIsOneObjectWithEveryBlockAsTheTextSpellsIt) {
    taggedfile::TempDir dir;
    WriteAll(dir.File("a.cgr"), Group("Start") + "CHNA" + Word(99) + "cut");
    ASSERT_EQ(Shell(dir, Quote(kTool) + " dump --json a.cgr > a.json"), 0) << ReadAll(dir.File("err"));
    EXPECT_EQ(
        tooltest::JsonProblems(
            ReadAll(dir.File("a.json")),
            {"d['file']=='a.cgr'", "[e['tag'] for e in d['entries']]==['TEVG','CHCO','CHIX','CHNA','PLUG','CHNA']",
             "d['entries'][3]['blocks']==['\"Start\"']", "d['entries'][0]['blocks']==[]",
             "'expected a tag or a block size' in d['damage']", "d['trailing'].startswith('hex:')"},
            dir.Path()),
        "");
}

}  // namespace
