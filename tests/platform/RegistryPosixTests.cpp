// The registry stand-in and FIFOs in place of its files (POSIX only).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "RegistryFixture.h"

namespace {

// A key file that is no regular file (a FIFO nobody writes to) counts as absent; reading it
// must not block. Run in a child with an alarm, so a block fails instead of hanging.
TEST_F(RegistryStandIn, KeyFileThatIsNoRegularFileCountsAsAbsent) {
    std::filesystem::create_directories(temp.File("registry"));
    const std::string keyFile = temp.File("registry") + "/software%5Cvantor.reg";
    ASSERT_EQ(mkfifo(keyFile.c_str(), 0644), 0);
    pid_t child = fork();
    if (child == 0) {
        alarm(5);
        std::string value;
        bool absent = Get("SOFTWARE\\Vantor", "WriteErrorLog", value) == 2;
        bool written = Set("SOFTWARE\\Vantor", "WriteErrorLog", "No") == 0;
        bool read = Get("SOFTWARE\\Vantor", "WriteErrorLog", value) == 0 && value == "No";
        _exit(absent && written && read ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "blocked on the FIFO (signal " << WTERMSIG(status) << ")";
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
}

}  // namespace
