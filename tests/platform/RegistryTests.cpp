#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "PlatformTestSupport.h"
#include "platform/Registry.h"

namespace {

using platform::RegistryKey;

class RegistryStandIn : public ::testing::Test {
protected:
    RegistryStandIn() : directory("TARNWELL_REGISTRY_DIR", temp.File("registry")) {}

    long Set(const char* key, const char* name, const char* value) {
        RegistryKey* handle = nullptr;
        long result = platform::RegCreateKey(key, &handle);
        if (result != 0) return result;
        result = platform::RegSetValue(handle, name, platform::REG_SZ, value,
                                       static_cast<uint32_t>(strlen(value)));
        platform::RegCloseKey(handle);
        return result;
    }

    // Reads with a buffer of `size`; answers the result code, fills value and storedSize.
    long Get(const char* key, const char* name, std::string& value, uint32_t size = 1200) {
        RegistryKey* handle = nullptr;
        long result = platform::RegOpenKey(key, &handle);
        if (result != 0) return result;
        std::string buffer(size, '#');
        uint32_t type = 0;
        storedSize = size;
        result = platform::RegQueryValue(handle, name, &type, buffer.data(), &storedSize);
        platform::RegCloseKey(handle);
        if (result == 0) {
            EXPECT_EQ(type, platform::REG_SZ);
            value = buffer.c_str();
        }
        return result;
    }

    size_t FilesInRegistry() {
        size_t count = 0;
        for (auto& entry : std::filesystem::directory_iterator(temp.File("registry")))
            count += entry.is_regular_file();
        return count;
    }

    TemporaryDirectory temp;
    ScopedEnvironment directory;
    uint32_t storedSize = 0;
};

TEST_F(RegistryStandIn, KeyAndValueNamesIgnoreCaseAndSizeCountsTheTerminator) {
    ASSERT_EQ(Set("SOFTWARE\\Vantor", "WriteErrorLog", "No"), 0);
    std::string value;
    ASSERT_EQ(Get("software\\VANTOR", "writeerrorlog", value), 0);
    EXPECT_EQ(value, "No");
    EXPECT_EQ(storedSize, 3u);

    // Writing under another case replaces the one value instead of adding a second.
    ASSERT_EQ(Set("Software\\vantor", "WRITEERRORLOG", "Yes"), 0);
    ASSERT_EQ(Get("SOFTWARE\\Vantor", "WriteErrorLog", value), 0);
    EXPECT_EQ(value, "Yes");
    EXPECT_EQ(FilesInRegistry(), 1u);
}

TEST_F(RegistryStandIn, MissingKeysValuesAndSmallBuffersAreRefused) {
    std::string value;
    EXPECT_EQ(Get("SOFTWARE\\Nobody", "x", value), 2);
    ASSERT_EQ(Set("SOFTWARE\\Vantor", "VtrCrCCheck", "Yes"), 0);
    EXPECT_EQ(Get("SOFTWARE\\Vantor", "Other", value), 2);
    EXPECT_EQ(Get("SOFTWARE\\Vantor", "VtrCrCCheck", value, 3), 234);
    EXPECT_EQ(storedSize, 4u);  // the size the value needs
    EXPECT_EQ(Get("SOFTWARE\\Vantor", "VtrCrCCheck", value, 4), 0);

    RegistryKey* key = nullptr;
    ASSERT_EQ(platform::RegOpenKey("SOFTWARE\\Vantor", &key), 0);
    EXPECT_EQ(platform::RegSetValue(key, "Binary", 3, "abc", 3), 87);  // string values only
    uint32_t size = 0;
    EXPECT_EQ(platform::RegQueryValue(key, "VtrCrCCheck", nullptr, nullptr, &size), 0);
    EXPECT_EQ(size, 4u);
    platform::RegCloseKey(key);
}

TEST_F(RegistryStandIn, OddCharactersInNamesAndValuesRoundTrip) {
    const char* key = "SOFTWARE\\..\\odd/key=%";
    const char* name = "line\nbreak=and%percent";
    const char* text = "value with = and % and\r\nnewlines";
    ASSERT_EQ(Set(key, name, text), 0);
    ASSERT_EQ(Set(key, "second", ""), 0);
    std::string value;
    ASSERT_EQ(Get(key, name, value), 0);
    EXPECT_EQ(value, text);
    ASSERT_EQ(Get(key, "SECOND", value), 0);
    EXPECT_EQ(value, "");
    EXPECT_EQ(storedSize, 1u);
    // The key stays inside the registry directory, whatever its name says.
    EXPECT_EQ(FilesInRegistry(), 1u);
}

TEST_F(RegistryStandIn, RewritesLeaveNoTemporaryFilesAndKeepOtherValues) {
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(Set("SOFTWARE\\Vantor", ("v" + std::to_string(i)).c_str(), "x"), 0);
    ASSERT_EQ(Set("SOFTWARE\\Vantor", "v3", "changed"), 0);
    std::string value;
    ASSERT_EQ(Get("SOFTWARE\\Vantor", "v19", value), 0);
    EXPECT_EQ(value, "x");
    ASSERT_EQ(Get("SOFTWARE\\Vantor", "v3", value), 0);
    EXPECT_EQ(value, "changed");
    EXPECT_EQ(FilesInRegistry(), 1u);
}

TEST_F(RegistryStandIn, SizeWithoutTerminatorStillStoresATerminatedValue) {
    RegistryKey* key = nullptr;
    ASSERT_EQ(platform::RegCreateKey("SOFTWARE\\Vantor", &key), 0);
    const char unterminated[] = {'N', 'o', 'X'};
    ASSERT_EQ(platform::RegSetValue(key, "WriteErrorLog", platform::REG_SZ, unterminated, 2), 0);
    platform::RegCloseKey(key);
    std::string value;
    ASSERT_EQ(Get("SOFTWARE\\Vantor", "WriteErrorLog", value, 99), 0);
    EXPECT_EQ(value, "No");
    EXPECT_EQ(storedSize, 3u);
}

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

// Files edited by hand: a CRLF line ending is not part of the value, and lines that are no
// "name=value" pair survive the next write.
TEST_F(RegistryStandIn, HandEditedFilesKeepTheirOtherLines) {
    std::filesystem::create_directories(temp.File("registry"));
    const std::string keyFile = temp.File("registry") + "/software%5Cvantor.reg";
    WriteText(keyFile, "WriteErrorLog=No\r\n# a comment\r\n[section]\nVtrCrCCheck=Yes\n");
    std::string value;
    ASSERT_EQ(Get("SOFTWARE\\Vantor", "WriteErrorLog", value), 0);
    EXPECT_EQ(value, "No");
    ASSERT_EQ(Set("SOFTWARE\\Vantor", "Added", "1"), 0);
    const std::string text = ReadText(keyFile);
    EXPECT_NE(text.find("# a comment"), std::string::npos) << text;
    EXPECT_NE(text.find("[section]"), std::string::npos) << text;
    ASSERT_EQ(Get("SOFTWARE\\Vantor", "VtrCrCCheck", value), 0);
    EXPECT_EQ(value, "Yes");
    ASSERT_EQ(Get("SOFTWARE\\Vantor", "Added", value), 0);
    EXPECT_EQ(value, "1");
}

}  // namespace
