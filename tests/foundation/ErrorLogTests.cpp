// The error log writer: the "WriteErrorLog" switch, the line format, and the
// type-3 boxes.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <string>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "support/TestEngine.h"

using tarnwell_test::TestEngine;
using tarnwell_test::TestEngineOptions;

namespace {

TestEngineOptions WithLogSwitch(const char* value) {
    TestEngineOptions options;
    options.standardPlugins = false;
    if (value) options.registry.push_back({"WriteErrorLog", value});
    return options;
}

// Whether log holds a line "yyyy-MM-dd HH:mm:ss <entry>\r\n".
bool HasStampedLine(const std::string& log, const std::string& entry) {
    const std::string tail = entry + "\r\n";
    const std::string picture = "dddd-dd-dd dd:dd:dd ";
    for (size_t at = log.find(tail); at != std::string::npos; at = log.find(tail, at + 1)) {
        if (at < picture.size()) continue;
        const size_t start = at - picture.size();
        if (start > 0 && log[start - 1] != '\n') continue;
        bool matches = true;
        for (size_t i = 0; i < picture.size() && matches; i++) {
            const char c = log[start + i];
            matches = picture[i] == 'd' ? std::isdigit(static_cast<unsigned char>(c)) != 0 : c == picture[i];
        }
        if (matches) return true;
    }
    return false;
}

std::string RegistryValue(TestEngine& engine, const char* name) {
    char buffer[100] = {0};
    if (!engine.Ext()->GetRegData(name, buffer, 99)) return "<absent>";
    return buffer;
}

}  // namespace

TEST(ErrorLog, OffByDefaultAndSwitchCreated) {
    TestEngine engine(WithLogSwitch(nullptr));
    ASSERT_TRUE(engine.Started());
    EXPECT_EQ(RegistryValue(engine, "WriteErrorLog"), "No");
    engine.Engine()->showErrorMessage("not written");
    EXPECT_EQ(engine.ReadInstallFile("error.log"), "");
}

TEST(ErrorLog, AnyCaseOfNoKeepsItOff) {
    for (const char* value : {"no", "NO", "nO"}) {
        TestEngine engine(WithLogSwitch(value));
        ASSERT_TRUE(engine.Started());
        engine.Engine()->showErrorMessage("not written");
        EXPECT_EQ(engine.ReadInstallFile("error.log"), "") << value;
        EXPECT_EQ(RegistryValue(engine, "WriteErrorLog"), value);  // left as it was
    }
}

TEST(ErrorLog, YesAppendsStampedLinesWithPrefixes) {
    TestEngine engine(WithLogSwitch("Yes"));
    ASSERT_TRUE(engine.Started());
    EngineInterface* e = engine.Engine();
    e->showDebugMessage("m0");
    e->showErrorMessage("m1");
    e->showInfoMessage("m2");
    e->showMessageBox("m3");
    e->showUserInfoMessage("m4");
    e->showUserWarningMessage("m5");
    e->showUserErrorMessage("m6");
    const std::string log = engine.ReadInstallFile("error.log");
    const char* expected[] = {"Debug: m0",     "Error: m1",      "Info : m2",       "Message: m3",
                              "User Info: m4", "User Error: m6", "User Warning: m5"};
    for (const char* line : expected) {
        EXPECT_TRUE(HasStampedLine(log, line)) << line << " missing in:\n" << log;
    }
}

TEST(ErrorLog, ExistingLinesAreKept) {
    TestEngine engine(WithLogSwitch("yes"));
    ASSERT_TRUE(engine.Started());
    {
        std::ofstream earlier(engine.InstallDir() + "/error.log", std::ios::binary | std::ios::trunc);
        earlier << "earlier line\r\n";
    }
    engine.Engine()->showErrorMessage("first");
    engine.Engine()->showErrorMessage("second");
    const std::string log = engine.ReadInstallFile("error.log");
    EXPECT_EQ(log.rfind("earlier line\r\n", 0), 0u);
    const size_t first = log.find("Error: first\r\n");
    const size_t second = log.find("Error: second\r\n");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
}

TEST(ErrorLog, MessageTypeShowsBoxEvenWithLoggingOff) {
    TestEngine engine(WithLogSwitch(nullptr));
    ASSERT_TRUE(engine.Started());
    engine.Engine()->showMessageBox("Look here");
    engine.Engine()->showErrorMessage("no box for errors");
    ASSERT_EQ(engine.Boxes().size(), 1u);
    EXPECT_EQ(engine.Boxes()[0].caption, "Message");
    EXPECT_EQ(engine.Boxes()[0].text, "Look here");

    engine.EngineSink()->SetUseDebug(false);  // as while a thread close waits
    engine.Engine()->showMessageBox("Dropped");
    EXPECT_EQ(engine.Boxes().size(), 1u);
}

TEST(ErrorLog, NothingWrittenWhileSwitchedOff) {
    TestEngine engine(WithLogSwitch("Yes"));
    ASSERT_TRUE(engine.Started());
    engine.EngineSink()->SetUseDebug(false);
    engine.Engine()->showErrorMessage("while off");
    engine.EngineSink()->SetUseDebug(true);
    engine.Engine()->showErrorMessage("while on");
    const std::string log = engine.ReadInstallFile("error.log");
    EXPECT_EQ(log.find("while off"), std::string::npos);
    EXPECT_NE(log.find("Error: while on\r\n"), std::string::npos);
}
