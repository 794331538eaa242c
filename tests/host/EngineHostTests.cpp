// The host kit of the public API: an engine started and stopped through TevEngineHost.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "EngineControl.h"
#include "EngineInterface.h"
#include "TarnwellHost.h"
#include "fixtures/thirdlink/ThirdLinkChannel.h"
#include "support/TestEngine.h"

using namespace tarnwell_test;
namespace fs = std::filesystem;

namespace {

struct Heard {
    std::vector<std::string> texts;
};

void Hear(int, const char* text, void* context) { static_cast<Heard*>(context)->texts.push_back(text); }

bool HasText(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& text : texts)
        if (text.find(part) != std::string::npos) return true;
    return false;
}

// An install directory with the standard plug-ins and an error log that writes, not started.
TestEngineOptions LoggingInstall() {
    TestEngineOptions options;
    options.start = false;
    options.registry = {{"WriteErrorLog", "Yes"}};
    return options;
}

}  // namespace

// A refused start answers why in the kernel's words, still shows the kernel's boxes, leaves no
// control behind, and a later start in a sound directory runs.
TEST(EngineHost, RefusedStartSaysWhyAndALaterStartRuns) {
    TestEngine install(LoggingInstall());
    const std::string longDir = install.InstallDir() + "/" + std::string(220, 'd');
    struct Case {
        std::string dir;
        const char* reason;
    };
    for (const Case& c : {Case{install.InstallDir() + "/missing", "install directory missing"},
                          Case{longDir, "longer than 200 characters"}}) {
        ScopedBoxCapture boxes;
        TevEngineHost host;
        EXPECT_EQ(host.Start(c.dir.c_str(), TestEngine::kRegistryKey, "Host Test"), TEV_HOST_NOT_STARTED)
            << c.dir;
        const std::string failure = host.Failure();
        EXPECT_NE(failure.find(c.reason), std::string::npos) << failure;
        EXPECT_NE(failure.find(c.dir), std::string::npos) << failure;
        EXPECT_EQ(host.Control(), nullptr);
        ASSERT_FALSE(boxes.boxes.empty());
        EXPECT_NE(boxes.boxes[0].text.find(c.reason), std::string::npos) << boxes.boxes[0].text;

        EXPECT_EQ(host.Start(install.InstallDir().c_str(), TestEngine::kRegistryKey, "Host Test"),
                  TEV_HOST_STARTED);
        EXPECT_NE(host.Engine(), nullptr);
        EXPECT_STREQ(host.Failure(), "");
    }
}

// The handler hears every message; the engine's own log gets them only when forwarded, and
// nobody while the kernel has switched its sink off. Stopping hands the sink back.
TEST(EngineHost, MessagesReachTheHandlerAndTheLogWhenForwarded) {
    TestEngine install(LoggingInstall());
    for (bool forward : {true, false}) {
        fs::remove(fs::path(install.InstallDir()) / "error.log");
        Heard heard;
        TevEngineHost host;
        host.SetMessageHandler(&Hear, &heard, forward);
        ASSERT_EQ(host.Start(install.InstallDir().c_str(), TestEngine::kRegistryKey, "Host Test"),
                  TEV_HOST_STARTED);
        host.Engine()->showErrorMessage("told once");
        debugOutPut->SetUseDebug(false);  // as while a thread close waits
        host.Engine()->showErrorMessage("while off");
        debugOutPut->SetUseDebug(true);
        host.Stop();
        EXPECT_EQ(debugOutPut, nullptr) << "the engine's sink is gone and unpublished";
        EXPECT_TRUE(HasText(heard.texts, "told once"));
        EXPECT_FALSE(HasText(heard.texts, "while off"));
        const std::string log = install.ReadInstallFile("error.log");
        EXPECT_EQ(log.find("told once") != std::string::npos, forward) << log;
        EXPECT_EQ(log.find("while off"), std::string::npos) << log;
    }
}

// The start's plug-in scan (here a module whose own library is missing, with the loader's
// reason) reaches the handler only when the host asks; the shutdown's messages always do.
TEST(EngineHost, HandlerHearsTheStartWhenAskedAndTheShutdownAlways) {
    TestEngineOptions options = LoggingInstall();
    options.pluginPaths = {std::string(TARNWELL_TEST_THIRDLINK_DIR) + "/channels/" THIRD_LINK_DLL};
    TestEngine install(options);
    for (bool hearStart : {false, true}) {
        SCOPED_TRACE(hearStart ? "start heard" : "start not heard");
        Heard heard;
        TevEngineHost host;
        host.SetMessageHandler(&Hear, &heard, true);
        host.SetHearStart(hearStart);
        ASSERT_EQ(host.Start(install.InstallDir().c_str(), TestEngine::kRegistryKey, "Host Test"),
                  TEV_HOST_STARTED);
        EXPECT_EQ(HasText(heard.texts, THIRD_LINK_VALUE_DLL), hearStart);
        host.Stop();
        EXPECT_TRUE(HasText(heard.texts, "Libraries loaded : "));
        EXPECT_EQ(debugOutPut, nullptr);
    }
}
