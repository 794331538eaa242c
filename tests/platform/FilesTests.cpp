#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "PlatformTestSupport.h"
#include "platform/Files.h"

namespace {

size_t EntriesIn(const std::string& dir) {
    size_t count = 0;
    for (auto& entry : std::filesystem::directory_iterator(dir)) count += !entry.path().empty();
    return count;
}

TEST(PlatformFiles, AtomicWriteReplacesWholeFilesAndKeepsTheOldOneOnFailure) {
    TemporaryDirectory temp;
    std::string file = temp.Path() + "\\group.cgr";  // the kernel's separator reaches the file system as '/'
    ASSERT_TRUE(platform::WriteFileAtomic(file.c_str(), "first", 5));
    EXPECT_EQ(ReadText(temp.File("group.cgr")), "first");
    ASSERT_TRUE(platform::WriteFileAtomic(file.c_str(), "second!", 7));
    EXPECT_EQ(ReadText(temp.File("group.cgr")), "second!");
    EXPECT_EQ(EntriesIn(temp.Path()), 1u);  // no temporary file left behind

    EXPECT_FALSE(platform::WriteFileAtomic(temp.File("no/such/dir/file").c_str(), "x", 1));
}

TEST(PlatformFiles, AbandonedWriterLeavesTheTargetUntouched) {
    TemporaryDirectory temp;
    WriteText(temp.File("channel.lst"), "old");
    {
        platform::AtomicFileWriter writer;
        ASSERT_TRUE(writer.Open(temp.File("channel.lst").c_str()));
        ASSERT_TRUE(writer.Write("new content", 11));
        EXPECT_EQ(ReadText(temp.File("channel.lst")), "old");
    }
    EXPECT_EQ(ReadText(temp.File("channel.lst")), "old");
    EXPECT_EQ(EntriesIn(temp.Path()), 1u);

    platform::AtomicFileWriter writer;
    ASSERT_TRUE(writer.Open(temp.File("channel.lst").c_str()));
    ASSERT_TRUE(writer.Write("new ", 4));
    ASSERT_TRUE(writer.Write("content", 7));
    ASSERT_TRUE(writer.Commit());
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(ReadText(temp.File("channel.lst")), "new content");
    EXPECT_EQ(
        std::filesystem::status(temp.File("channel.lst")).permissions() & std::filesystem::perms::others_read,
        std::filesystem::perms::others_read);
}

TEST(PlatformFiles, AtomicWriterRefusesWhatItMustNotReplaceAndKeepsTheReason) {
    TemporaryDirectory temp;
    WriteText(temp.File("locked"), "old");
    std::filesystem::permissions(temp.File("locked"), std::filesystem::perms::owner_read);
    WriteText(temp.File("plain"), "old");
    struct Case {
        std::string path;
        int error;
    };
    const Case cases[] = {
        {temp.File("locked"), EACCES},  // even for root: the write bits are what counts
        {temp.Path(), EISDIR},
        {temp.File("no/such/dir/file"), ENOENT},
        {temp.File("plain/file"), ENOTDIR},
        {"", ENOENT},
    };
    platform::AtomicFileWriter writer;
    for (const Case& c : cases) {
        EXPECT_FALSE(writer.Open(c.path.c_str())) << c.path;
        EXPECT_EQ(writer.Error(), c.error) << c.path;
    }

    // A short write, then the disk is full: the writer fails at once and commits nothing.
    platform::SetFileFault(platform::FileCall::Write, 1, platform::kFileFaultShortWrite);
    ASSERT_TRUE(writer.Open(temp.File("plain").c_str()));
    EXPECT_FALSE(writer.Write("0123456789", 10));
    EXPECT_EQ(writer.Error(), ENOSPC);
    EXPECT_EQ(platform::FileCallCount(platform::FileCall::Write), 2u);
    EXPECT_FALSE(writer.Commit());
    platform::ClearFileFault();
    EXPECT_EQ(platform::FileCallCount(platform::FileCall::Write), 0u) << "counts only while armed";
    EXPECT_EQ(ReadText(temp.File("plain")), "old");
    EXPECT_EQ(EntriesIn(temp.Path()), 2u);
}

TEST(PlatformFiles, AppendCreatesThenExtendsAndWholeFilesReadBack) {
    TemporaryDirectory temp;
    std::string log = temp.Path() + "\\error.log";
    ASSERT_TRUE(platform::AppendToFile(log.c_str(), "one\r\n", 5));
    int fd = platform::OpenForAppend(log.c_str());
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(platform::WriteBytes(fd, "two\r\n", 5));
    platform::CloseFile(fd);
    std::vector<unsigned char> data;
    ASSERT_TRUE(platform::ReadWholeFile(log.c_str(), data));
    EXPECT_EQ(std::string(data.begin(), data.end()), "one\r\ntwo\r\n");
    EXPECT_FALSE(platform::ReadWholeFile(temp.File("missing").c_str(), data));
    EXPECT_TRUE(data.empty());
    EXPECT_FALSE(platform::ReadWholeFile(temp.Path().c_str(), data));  // a directory is no file
}

TEST(PlatformFiles, AttributesTellFilesDirectoriesAndReadOnlyFiles) {
    TemporaryDirectory temp;
    WriteText(temp.File("writable"), "x");
    WriteText(temp.File("locked"), "x");
    std::filesystem::permissions(temp.File("locked"), std::filesystem::perms::owner_read);
    EXPECT_EQ(platform::GetFileAttributes(temp.File("writable").c_str()), platform::kFileAttributeNormal);
    EXPECT_TRUE(platform::IsReadOnly(temp.File("locked").c_str()));  // even when running as root
    EXPECT_TRUE(platform::IsDirectory(temp.Path().c_str()));
    EXPECT_FALSE(platform::IsDirectory(temp.File("writable").c_str()));
    EXPECT_EQ(platform::GetFileAttributes(temp.File("absent").c_str()), platform::kFileAttributesInvalid);
    EXPECT_FALSE(platform::FileExists(nullptr));
}

TEST(PlatformFiles, DirectoriesAreMadeListedSortedAndEntered) {
    TemporaryDirectory temp;
    std::string nested = temp.Path() + "\\a\\b\\c";
    ASSERT_TRUE(platform::MakeDirectories(nested.c_str()));
    EXPECT_TRUE(platform::MakeDirectories(nested.c_str()));
    WriteText(temp.File("zeta.dll"), "z");
    WriteText(temp.File("Alpha.dll"), "a");
    std::vector<std::string> names;
    ASSERT_TRUE(platform::ListDirectory(temp.Path().c_str(), names));
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha.dll", "a", "zeta.dll"}));
    EXPECT_FALSE(platform::ListDirectory(temp.File("absent").c_str(), names));

    char previous[4096];
    ASSERT_GT(platform::GetCurrentDirectory(previous, sizeof previous), 0u);
    ASSERT_TRUE(platform::SetCurrentDirectory(nested.c_str()));
    char now[4096];
    platform::GetCurrentDirectory(now, sizeof now);
    EXPECT_EQ(std::filesystem::path(now), std::filesystem::canonical(temp.File("a/b/c")));
    char tiny[2];
    EXPECT_EQ(platform::GetCurrentDirectory(tiny, sizeof tiny), strlen(now) + 1);
    EXPECT_STREQ(tiny, "");
    EXPECT_TRUE(platform::SetCurrentDirectory(previous));
    EXPECT_FALSE(platform::SetCurrentDirectory(temp.File("absent").c_str()));
}

TEST(PlatformFiles, CopyAndRemove) {
    TemporaryDirectory temp;
    WriteText(temp.File("from"), "payload");
    WriteText(temp.File("existing"), "keep");
    EXPECT_FALSE(platform::CopyFile(temp.File("from").c_str(), temp.File("existing").c_str(), true));
    EXPECT_EQ(ReadText(temp.File("existing")), "keep");
    EXPECT_TRUE(platform::CopyFile(temp.File("from").c_str(), temp.File("existing").c_str(), false));
    EXPECT_EQ(ReadText(temp.File("existing")), "payload");
    EXPECT_FALSE(platform::CopyFile(temp.File("absent").c_str(), temp.File("other").c_str(), false));
    EXPECT_FALSE(platform::FileExists(temp.File("other").c_str()));
    EXPECT_TRUE(platform::RemoveFile(temp.File("from").c_str()));
    EXPECT_FALSE(platform::RemoveFile(temp.File("from").c_str()));
}

TEST(PlatformFiles, BackslashesBecomeSlashesWithinBounds) {
    char path[] = "C:\\dir\\file.cgr";
    platform::ToNativePath(path);
    EXPECT_STREQ(path, "C:/dir/file.cgr");
    char out[6];
    EXPECT_FALSE(platform::ToNativePath("\\a\\bcdef", out, sizeof out));
    EXPECT_STREQ(out, "/a/bc");
    EXPECT_EQ(platform::ToNativePath("x\\y"), "x/y");
}

}  // namespace
