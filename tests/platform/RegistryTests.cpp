#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "RegistryFixture.h"

namespace {

using platform::RegistryKey;

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
