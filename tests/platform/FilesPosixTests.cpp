// What only POSIX systems have: file size limits, FIFOs, symbolic links anyone may make.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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

// Makes every write beyond `bytes` fail (as on a full disk), for the life of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_;
    void (*previousHandler_)(int);
};

TEST(PlatformFiles, AtomicWriteMeetingAFullDiskKeepsTheOldFile) {
    TemporaryDirectory temp;
    std::string file = temp.Path() + "\\group.cgr";
    ASSERT_TRUE(platform::WriteFileAtomic(file.c_str(), "second!", 7));
    {
        FileSizeLimit limit(1024);
        std::string big(8192, 'x');
        EXPECT_FALSE(platform::WriteFileAtomic(file.c_str(), big.data(), big.size()));
    }
    EXPECT_EQ(ReadText(temp.File("group.cgr")), "second!");
    EXPECT_EQ(EntriesIn(temp.Path()), 1u);  // no temporary file left behind
}

// A FIFO nobody reads or writes in place of a file: opening it must not wait for ever.
// Run in a child with an alarm, so a block fails instead of hanging.
TEST(PlatformFiles, FifosAreNeitherReadNorAppendedTo) {
    TemporaryDirectory temp;
    const std::string fifo = temp.File("error.log");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    pid_t child = fork();
    if (child == 0) {
        alarm(5);
        std::vector<unsigned char> data;
        bool read = platform::ReadWholeFile(fifo.c_str(), data);
        bool appended = platform::AppendToFile(fifo.c_str(), "line\r\n", 6);
        _exit(!read && !appended ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), 0);
}

// The start-up's listing: what stat would find, with links followed and dangling ones left out.
TEST(PlatformFiles, ExistingEntriesFollowLinksAndLeaveOutDanglingOnes) {
    TemporaryDirectory temp;
    WriteText(temp.File("b.dll"), "b");
    ASSERT_TRUE(platform::MakeDirectories(temp.File("dir.dll").c_str()));
    ASSERT_EQ(symlink(temp.File("b.dll").c_str(), temp.File("a-link.dll").c_str()), 0);
    ASSERT_EQ(symlink(temp.File("dir.dll").c_str(), temp.File("c-dirlink.dll").c_str()), 0);
    ASSERT_EQ(symlink(temp.File("absent.dll").c_str(), temp.File("d-dangling.dll").c_str()), 0);
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::ListExistingEntries(temp.Path().c_str(), entries));
    std::vector<std::string> seen;
    for (const auto& entry : entries) seen.push_back(entry.name + (entry.regular ? " file" : " other"));
    EXPECT_EQ(seen, (std::vector<std::string>{"a-link.dll file", "b.dll file", "c-dirlink.dll other",
                                              "dir.dll other"}));
    EXPECT_FALSE(platform::ListExistingEntries(temp.File("absent").c_str(), entries));
    EXPECT_TRUE(entries.empty());
}

}  // namespace
