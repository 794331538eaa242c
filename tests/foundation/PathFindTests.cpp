// File path resolution: element helpers, the normal form, relative and
// absolute forms against a source file for drive and POSIX paths, and group
// relative paths.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "EngineInterface.h"
#include "FilePathFind.h"
#include "Tev_ChannelGroup.h"
#include "support/TempDir.h"
#include "support/TestEngine.h"

using tarnwell_test::SystemPath;
using tarnwell_test::TestEngine;
using tarnwell_test::TestEngineOptions;

namespace {

std::string Str(const char* text) { return text ? text : "<null>"; }

// CreateValidFilePath works in place on a buffer of 400 characters.
std::string Valid(FilePathFind& finder, const char* path, const char* base = nullptr) {
    char buffer[400];
    snprintf(buffer, sizeof(buffer), "%s", path);
    finder.CreateValidFilePath(buffer, base);
    return buffer;
}

std::string DirName(FilePathFind& finder, const char* path, int index) {
    char out[400] = "untouched";
    const char* result = finder.GetDirName(out, path, index);
    if (!result) return std::string("<null>") + out;
    return out;
}

TestEngineOptions Bare() {
    TestEngineOptions options;
    options.standardPlugins = false;
    return options;
}

}  // namespace

TEST(FilePathFindElements, CountsAndNamesDirectories) {
    FilePathFind finder(nullptr);
    EXPECT_EQ(finder.GetDirCount("C:\\a\\b\\x.cgr"), 2);
    EXPECT_EQ(finder.GetDirCount("C:\\x.cgr"), 0);
    EXPECT_EQ(finder.GetDirCount("C:\\a\\b\\"), 1);  // a trailing backslash is not counted
    EXPECT_EQ(finder.GetDirCount("/home/u/x.cgr"), 2);
    EXPECT_EQ(finder.GetDirCount("/x.cgr"), 0);
    EXPECT_EQ(finder.GetDirCount(nullptr), 0);

    EXPECT_EQ(DirName(finder, "C:\\a\\b\\x.cgr", 0), "a");
    EXPECT_EQ(DirName(finder, "C:\\a\\b\\x.cgr", 1), "b");
    EXPECT_EQ(DirName(finder, "C:\\a\\b\\x.cgr", 2), "<null>");  // the file name, buffer emptied
    EXPECT_EQ(DirName(finder, "/home/u/x.cgr", 0), "home");
    EXPECT_EQ(DirName(finder, "/home\\u\\x.cgr", 1), "u");
    EXPECT_EQ(DirName(finder, "C:", 0), "<null>");
}

TEST(FilePathFindElements, BackStepsAndNamesAfterThem) {
    FilePathFind finder(nullptr);
    EXPECT_EQ(finder.GetBackDirCount("..\\..\\x"), -2);
    EXPECT_EQ(finder.GetBackDirCount(".\\x"), 0);
    EXPECT_EQ(finder.GetBackDirCount("x"), 0);
    EXPECT_EQ(finder.GetBackDirCount("../../x"), -2);
    EXPECT_EQ(finder.GetDirCountFromBackDir("..\\..\\a\\b\\x.cgr"), 2);
    EXPECT_EQ(finder.GetDirCountFromBackDir("..\\x.cgr"), 0);

    char out[400];
    EXPECT_EQ(Str(finder.GetDirNameFromBackDir(out, "..\\a\\b\\x.cgr", 0)), "a");
    EXPECT_EQ(Str(finder.GetDirNameFromBackDir(out, "..\\a\\b\\x.cgr", 2)), "x.cgr");
    EXPECT_EQ(finder.GetDirNameFromBackDir(out, "..\\a\\b\\x.cgr", 3), nullptr);
    EXPECT_STREQ(out, "");
}

TEST(FilePathFindElements, FileNameAndFilePathSplitAtTheLastSeparator) {
    FilePathFind finder(nullptr);
    char path[400] = "C:\\a\\b/x.cgr";
    EXPECT_STREQ(finder.GetFilePath(path), "C:\\a\\b");
    snprintf(path, sizeof(path), "/x.cgr");  // the root of a POSIX path is a split point
    EXPECT_STREQ(finder.GetFileName(path), "x.cgr");
}

TEST(FilePathFindElements, DrivesAndSharedDirectories) {
    FilePathFind finder(nullptr);
    EXPECT_FALSE(finder.CheckValidDrive("c:\\x", "C:\\y"));
    EXPECT_TRUE(finder.CheckValidDrive("C:\\x", "C:\\y"));
    EXPECT_FALSE(finder.CheckValidDrive(".\\x", ".\\y"));
    EXPECT_TRUE(finder.CheckValidDrive("/a/x", "/b/y"));

    EXPECT_EQ(finder.GetDirShareCount("C:\\Proj\\A\\x", "C:\\proj\\a\\b\\y"), 2);  // drive names ignore case
    EXPECT_EQ(finder.GetDirShareCount("/home/Proj/x", "/home/proj/y"), 1);         // POSIX names do not
    EXPECT_EQ(finder.GetRelativeDirCount("C:\\p\\shared\\x", "C:\\p\\groups\\y"), -1);
    EXPECT_EQ(finder.GetRelativeDirCount("C:\\p\\groups\\sub\\x", "C:\\p\\groups\\y"), 1);
}

TEST(FilePathFindValid, UnifiesSeparatorsAndResolvesTheLeadingDot) {
    FilePathFind finder(nullptr);
    EXPECT_EQ(Valid(finder, "C:/a//b/x"), "C:\\a\\b\\x");
    EXPECT_EQ(Valid(finder, "\\\\server\\share\\\\x"), "\\\\server\\share\\x");
    EXPECT_EQ(Valid(finder, ".\\x", "C:\\base"), "C:\\base\\x");
    EXPECT_EQ(Valid(finder, ".", "C:\\base"), "C:\\base");
    EXPECT_EQ(Valid(finder, "..\\x", "C:\\base"), "C:\\base.\\x");
    EXPECT_EQ(Valid(finder, "/home//u\\x"), "/home/u/x");
    EXPECT_EQ(Valid(finder, "\\home\\u\\x"), "/home/u/x");
    EXPECT_EQ(Valid(finder, ".\\sub\\x", "/home/u"), "/home/u/sub/x");
    EXPECT_EQ(Valid(finder, ".\\x", "/"), "/x");

    // A result that would not fit keeps the relative form instead of a cut path.
    std::string longBase(397, 'b');
    EXPECT_EQ(Valid(finder, ".\\xyz", longBase.c_str()), ".\\xyz");
}

TEST(FilePathFindCorrect, AbsolutePathsPassThrough) {
    FilePathFind finder(nullptr);
    finder.SetSourcePath("C:\\proj\\groups\\main.cgr");
    const char* drive = "D:\\x.cgr";
    const char* unc = "\\\\server\\share\\x.cgr";
    const char* posix = "/home/u/x.cgr";
    EXPECT_EQ(finder.GetCorrectFilePath(drive), drive);
    EXPECT_EQ(finder.GetCorrectFilePath(unc), unc);
    EXPECT_EQ(finder.GetCorrectFilePath(posix), posix);
    EXPECT_EQ(Str(finder.GetCorrectFilePath("sub\\b.cgr")), "C:\\proj\\groups\\sub\\b.cgr");
    EXPECT_EQ(finder.GetCorrectFilePath(nullptr), nullptr);
}

TEST(FilePathFindRelative, DriveSourceExamples) {
    TestEngine engine(Bare());
    FilePathFind finder(engine.Engine());
    finder.SetSourcePath("C:\\proj\\groups\\main.cgr");
    EXPECT_EQ(Str(finder.GetValidRelativeDir("C:\\proj\\groups\\b.cgr")), ".\\b.cgr");
    EXPECT_EQ(Str(finder.GetValidRelativeDir("C:\\proj\\groups\\sub\\b.cgr")), ".\\sub\\b.cgr");
    EXPECT_EQ(Str(finder.GetValidRelativeDir("C:\\proj\\shared\\lib.cgr")), "..\\shared\\lib.cgr");
    EXPECT_EQ(Str(finder.GetValidRelativeDir("C:/PROJ/groups/b.cgr")), ".\\b.cgr");
    EXPECT_EQ(Str(finder.GetValidRelativeDir("C:\\x.cgr")), "..\\..\\x.cgr");
    EXPECT_EQ(finder.GetValidRelativeDir(nullptr), nullptr);
    EXPECT_FALSE(engine.Contains("Autoload group is on different drive"));

    const char* other = "D:\\proj\\b.cgr";
    EXPECT_EQ(finder.GetValidRelativeDir(other), other);
    EXPECT_TRUE(engine.Contains("orgFile : D:\\proj\\b.cgr"));
    EXPECT_TRUE(engine.Contains("sourcePath_ : C:\\proj\\groups\\main.cgr"));
    EXPECT_TRUE(engine.Contains("Autoload group is on different drive"));
}

TEST(FilePathFindComplete, DriveSourceExamples) {
    FilePathFind finder(nullptr);
    finder.SetSourcePath("C:\\proj\\groups\\main.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath(".\\b.cgr")), "C:\\proj\\groups\\b.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("sub\\b.cgr")), "C:\\proj\\groups\\sub\\b.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath(".\\sub\\b.cgr")), "C:\\proj\\groups\\sub\\b.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("..\\shared\\lib.cgr")), "C:\\proj\\shared\\lib.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("..\\..\\..\\x.cgr")), "C:\\x.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("../shared/lib.cgr")), "C:\\proj\\shared\\lib.cgr");
    // Forms outside the usual ones still give one terminated path.
    EXPECT_EQ(Str(finder.GetCompleteFilePath("D:/x.cgr")), "D:\\x.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("x")), "C:\\proj\\groups\\x");
    EXPECT_EQ(Str(finder.GetCompleteFilePath(".hidden")), "C:\\proj\\groups\\.hidden");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("..x.cgr")), "C:\\proj\\groups\\..x.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("..")), "C:\\proj\\");
    EXPECT_EQ(finder.GetCompleteFilePath(nullptr), nullptr);
}

TEST(FilePathFindComplete, AddressSourceKeepsTheRelativeTextUnchanged) {
    FilePathFind finder(nullptr);
    finder.SetSourcePath("http://host/dir/main.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath(".\\b.cgr")), "http://host/dir/.\\b.cgr");
    finder.SetSourcePath("HTTP://Host/Dir/main.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("b.cgr")), "HTTP://Host/Dir/b.cgr");
}

TEST(FilePathFindRelative, PosixSourceFollowsTheSameRelations) {
    FilePathFind finder(nullptr);
    finder.SetSourcePath("/home/u/proj/groups/main.cgr");
    EXPECT_EQ(Str(finder.GetValidRelativeDir("/home/u/proj/groups/b.cgr")), ".\\b.cgr");
    EXPECT_EQ(Str(finder.GetValidRelativeDir("/home/u/proj/groups/sub/b.cgr")), ".\\sub\\b.cgr");
    EXPECT_EQ(Str(finder.GetValidRelativeDir("/home/u/proj/shared/lib.cgr")), "..\\shared\\lib.cgr");
    EXPECT_EQ(Str(finder.GetValidRelativeDir("/home\\u\\proj\\shared\\lib.cgr")), "..\\shared\\lib.cgr");
    // Letter case names another directory here.
    EXPECT_EQ(Str(finder.GetValidRelativeDir("/home/u/Proj/groups/b.cgr")), "..\\..\\Proj\\groups\\b.cgr");

    EXPECT_EQ(Str(finder.GetCompleteFilePath(".\\b.cgr")), "/home/u/proj/groups/b.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("sub/b.cgr")), "/home/u/proj/groups/sub/b.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("..\\shared\\lib.cgr")), "/home/u/proj/shared/lib.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("..\\..\\..\\..\\..\\x.cgr")), "/x.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath("/etc/x.cgr")), "/etc/x.cgr");

    finder.SetSourcePath("/main.cgr");
    EXPECT_EQ(Str(finder.GetValidRelativeDir("/a/b.cgr")), ".\\a\\b.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath(".\\b.cgr")), "/b.cgr");
}

TEST(FilePathFindRelative, RelativeSourceAndTargetResolveAgainstTheCurrentDirectory) {
    char cwd[400];
    ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
    FilePathFind finder(nullptr);
    finder.SetSourcePath("groups/main.cgr");
    EXPECT_EQ(Str(finder.GetCompleteFilePath(".\\b.cgr")), SystemPath(std::string(cwd) + "/groups/b.cgr"));
    EXPECT_EQ(Str(finder.GetValidRelativeDir("shared/lib.cgr")), "..\\shared\\lib.cgr");
    finder.SetSourcePath("..\\up.cgr");
    std::string parent = SystemPath(cwd);
    parent = parent.substr(0, parent.rfind(SystemPath("/")));
    EXPECT_EQ(Str(finder.GetCompleteFilePath("b.cgr")), SystemPath(parent + "/b.cgr"));
}

TEST(FilePathFindLimits, OverlongInputsAreRefusedNotCut) {
    FilePathFind finder(nullptr);
    finder.SetSourcePath("C:\\proj\\main.cgr");
    std::string deep = "C:\\proj";
    while (deep.size() < 320) deep += "\\dir";
    deep += "\\x.cgr";
    EXPECT_EQ(finder.GetValidRelativeDir(deep.c_str()), deep.c_str());  // result would not fit
    std::string relative = ".";
    while (relative.size() < 320) relative += "\\dir";
    EXPECT_EQ(finder.GetCompleteFilePath(relative.c_str()), nullptr);
    std::string huge(2000, 'a');
    EXPECT_EQ(finder.GetValidRelativeDir(huge.c_str()), huge.c_str());
    EXPECT_EQ(finder.GetCompleteFilePath(huge.c_str()), nullptr);
}

// Relative and absolute forms undo each other for any pair on one root.
TEST(FilePathFindRoundTrip, ManyGeneratedPairs) {
    std::mt19937 random(20240611);
    const char* names[] = {"a", "b", "proj", "Groups", "x y", "lib.d"};
    auto makeDirs = [&](std::vector<std::string> prefix) {
        prefix.resize(random() % (prefix.size() + 1));
        size_t extra = random() % 4;
        for (size_t i = 0; i < extra; i++) prefix.push_back(names[random() % 6]);
        return prefix;
    };
    FilePathFind finder(nullptr);
    for (int round = 0; round < 2000; round++) {
        bool posix = round % 2 == 1;
        std::vector<std::string> sourceDirs = makeDirs({});
        std::vector<std::string> targetDirs = makeDirs(sourceDirs);
        char separator = posix ? '/' : '\\';
        std::string source = posix ? "" : "C:";
        std::string target = source;
        for (const std::string& dir : sourceDirs) source += separator + dir;
        for (const std::string& dir : targetDirs) target += separator + dir;
        source += std::string(1, separator) + "main.cgr";
        target += std::string(1, separator) + "t" + std::to_string(round % 7) + ".cgr";

        finder.SetSourcePath(source.c_str());
        std::string relative = Str(finder.GetValidRelativeDir(target.c_str()));
        ASSERT_TRUE(relative.rfind(".\\", 0) == 0 || relative.rfind("..\\", 0) == 0)
            << source << " -> " << target;
        EXPECT_EQ(Str(finder.GetCompleteFilePath(relative.c_str())), target) << source << " -> " << relative;
    }
}

// A channel group stand-in that only knows its file name.
class NamedGroup : public Tev_ChannelGroup {
public:
    explicit NamedGroup(EngineInterface* engine, const char* file) : Tev_ChannelGroup(engine), file(file) {}
    const char* GetChannelGroupFileName() override { return file; }
    const char* file;
};

TEST(FilePathFindGroup, RelativePathBecomesAbsoluteBesideTheGroupFile) {
    TestEngine engine(Bare());
    ASSERT_TRUE(engine.Started());
    FilePathFind finder(engine.Engine());
    NamedGroup group(engine.Engine(), "C:\\p\\g\\a.cgr");

    char path[260] = "..\\b.cgr";
    engine.ClearMessages();
    finder.GetGroupRelativePath(path, &group);
    EXPECT_STREQ(path, "C:\\p\\b.cgr");
    EXPECT_TRUE(engine.Contains("FilePathFind::GetGroupRelativePath in ..\\b.cgr"));
    EXPECT_TRUE(engine.Contains("Before remove file C:\\p\\g\\a.cgr"));
    EXPECT_TRUE(engine.Contains("Found \\ 6"));
    EXPECT_TRUE(engine.Contains("adter remove file C:\\p\\g\\"));
    EXPECT_TRUE(engine.Contains("FilePathFind::GetGroupRelativePath out C:\\p\\b.cgr"));

    engine.ClearMessages();
    snprintf(path, sizeof(path), "D:\\b.cgr");
    finder.GetGroupRelativePath(path, &group);
    EXPECT_STREQ(path, "D:\\b.cgr");
    EXPECT_EQ(engine.Count("FilePathFind::"), 1);
    EXPECT_FALSE(engine.Contains("Before remove file"));

    NamedGroup posixGroup(engine.Engine(), "/home/u/g/a.cgr");
    snprintf(path, sizeof(path), ".\\sub\\..\\b.cgr");
    finder.GetGroupRelativePath(path, &posixGroup);
    EXPECT_STREQ(path, "/home/u/g/b.cgr");

    NamedGroup unnamed(engine.Engine(), "");
    snprintf(path, sizeof(path), ".\\b.cgr");
    finder.GetGroupRelativePath(path, &unnamed);
    EXPECT_STREQ(path, ".\\b.cgr");
    finder.GetGroupRelativePath(nullptr, &group);
    finder.GetGroupRelativePath(path, nullptr);
}

// Faults found by hostile input: an empty path, and the size of an element buffer.
TEST(FilePathFindLimits, EmptyPathIsLeftAloneBytesAfterItsTerminatorIncluded) {
    FilePathFind finder(nullptr);
    struct {
        char path[400];
        char end = '\0';
    } buffer;
    buffer.path[0] = '\0';
    std::memset(buffer.path + 1, '/', sizeof(buffer.path) - 1);  // stale bytes of an earlier path
    finder.CreateValidFilePath(buffer.path, nullptr);
    EXPECT_EQ(std::string(buffer.path + 1, sizeof(buffer.path) - 1), std::string(399, '/'));
}

// The same through the current directory, when joining it to "" does not fit.
TEST(FilePathFindLimits, EmptyPathUnderACurrentDirectoryFillingTheBufferStaysWithinIt) {
    FilePathFind finder(nullptr);
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof(saved)), nullptr);
    tarnwell_test::TempDir temp("tarnwell-deep-cwd");
    for (size_t length : {398u, 399u}) {
        std::string deep = temp.Path();
        while (deep.size() + 41 < length) deep += "/" + std::string(40, 'd');
        deep += "/" + std::string(length - deep.size() - 1, 'e');
        ASSERT_EQ(deep.size(), length);
        std::filesystem::create_directories(deep);
        ASSERT_EQ(chdir(deep.c_str()), 0);
        finder.SetSourcePath("");
        const char* relative = finder.GetValidRelativeDir("");
        EXPECT_LT(relative ? std::strlen(relative) : 0u, 400u);
        ASSERT_EQ(chdir(saved), 0);
    }
}

TEST(FilePathFindElements, NameBuffersOfTheStatedSizeHoldAnyElement) {
    FilePathFind finder(nullptr);
    const std::string element(450, 'e');
    struct {
        char out[FILEPATHFIND_NAME_SIZE];
        char guard[8] = {'g', 'g', 'g', 'g', 'g', 'g', 'g', 'g'};
    } buffer;
    ASSERT_NE(finder.GetDirName(buffer.out, ("C:\\" + element + "\\x.cgr").c_str(), 0), nullptr);
    EXPECT_EQ(std::string(buffer.guard, 8), "gggggggg");
    EXPECT_EQ(std::strlen(buffer.out), FILEPATHFIND_NAME_SIZE - 1u);
    ASSERT_NE(finder.GetDirNameFromBackDir(buffer.out, ("..\\" + element).c_str(), 0), nullptr);
    EXPECT_EQ(std::string(buffer.guard, 8), "gggggggg");
}
