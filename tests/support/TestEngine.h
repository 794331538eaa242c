// A started engine in a fresh temporary install directory, for tests.
//
//   tarnwell_test::TestEngine engine;              // started, standard plug-ins linked in
//   ASSERT_TRUE(engine.Started());
//   engine.Engine()->InitChannelFromType(...);
//   EXPECT_TRUE(engine.Contains("Couldn't initialize child"));
//
// Every TestEngine has its own install directory (channels/ holds links to the plug-ins,
// or copies where the system makes no links; 3rd/ is empty) and its own registry directory
// (TARNWELL_REGISTRY_DIR is pointed there for the engine's lifetime). Messages and message boxes are
// captured.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "DebugMessages.h"
#include "TarnwellHost.h"
#include "support/TempDir.h"

class EngineControl;
class EngineInterface;
class EngineInterfaceExt;

namespace tarnwell_test {

struct CapturedMessage {
    int type;  // TEV_MESSAGE_*
    std::string text;
};

struct CapturedBox {
    std::string caption;
    std::string text;
    unsigned style;
};

// A sink that records every message and may pass it on to another sink.
class CapturingSink : public DebugOutPut {
public:
    void ShowDebugMessage(DebugMessage* message) override;
    bool GetUseDebug() const { return useDebug; }

    std::vector<CapturedMessage> messages;
    DebugOutPut* forward = nullptr;  // not owned
};

// Installs a CapturingSink in debugOutPut for its lifetime; restores the previous sink.
class ScopedSink {
public:
    ScopedSink();
    ~ScopedSink();
    ScopedSink(const ScopedSink&) = delete;
    ScopedSink& operator=(const ScopedSink&) = delete;

    CapturingSink sink;
    // The engine's own sink (the error log writer) behind the capture; NULL when stopped.
    DebugOutPut* EngineSink() const { return sink.forward; }
    const std::vector<CapturedMessage>& Messages() const { return sink.messages; }
    // The text of the only message; fails the test when there is not exactly one.
    std::string Only() const;

private:
    DebugOutPut* previous;
};

// Captures message boxes for its lifetime; restores the previous handler.
// Only one may be active at a time.
class ScopedBoxCapture {
public:
    ScopedBoxCapture();
    ~ScopedBoxCapture();
    ScopedBoxCapture(const ScopedBoxCapture&) = delete;
    ScopedBoxCapture& operator=(const ScopedBoxCapture&) = delete;

    std::vector<CapturedBox> boxes;

private:
    TevMessageBoxHandler previous;
};

struct TestEngineOptions {
    // Link the *.dll of the build's standard channels directory into channels/.
    bool standardPlugins = true;
    // Further plug-ins: a directory contributes all its *.dll, a file itself.
    std::vector<std::string> pluginPaths;
    // String values written below the registry key before the engine starts,
    // e.g. {"WriteErrorLog", "Yes"}.
    std::vector<std::pair<std::string, std::string>> registry;
    // Call InitEngine in the constructor.
    bool start = true;
    // Pass captured messages on to the engine's own sink (error.log, boxes).
    bool forwardToErrorLog = true;
    // Where the install directory is made ("": the temporary root): a caller that watches
    // what the engine writes around it gives a directory of its own.
    std::string installParent;

    // An engine with no plug-ins at all: for tests of the facade and its services.
    static TestEngineOptions Bare() {
        TestEngineOptions options;
        options.standardPlugins = false;
        return options;
    }
};

class TestEngine {
public:
    static constexpr const char* kRegistryKey = "SOFTWARE\\VantorTest";

    explicit TestEngine(const TestEngineOptions& options = TestEngineOptions());
    ~TestEngine();
    TestEngine(const TestEngine&) = delete;
    TestEngine& operator=(const TestEngine&) = delete;

    // InitEngine (for options.start false, or again after a failure); installs the sink.
    bool Start();
    // The same, with the install directory spelled as given (relative to the working directory).
    bool Start(const std::string& installDirSpelling);
    // Deletes the EngineControl (the engine shuts down); the directories stay.
    void Stop();
    bool Started() const { return started; }

    EngineControl* Control() const { return host.Control(); }
    EngineInterface* Engine() const;
    EngineInterfaceExt* Ext() const;

    const std::string& InstallDir() const { return installDir.Path(); }
    const std::string& RegistryDir() const { return registryDir.Path(); }
    // Content of a file below the install directory ("" when absent).
    std::string ReadInstallFile(const std::string& relative) const;

    // The engine's own sink (the error log writer) behind the capture; NULL when stopped.
    DebugOutPut* EngineSink() const { return host.EngineSink(); }
    const std::vector<CapturedMessage>& Messages() const { return messages; }
    const std::vector<CapturedBox>& Boxes() const { return boxCapture.boxes; }
    // Whether a captured message or box text contains text.
    bool Contains(const std::string& text) const;
    int Count(const std::string& text) const;
    void ClearMessages();

private:
    void LinkPlugins(const TestEngineOptions& options) const;
    void PresetRegistry(const TestEngineOptions& options) const;
    static void Capture(int type, const char* text, void* context);

    TempDir installDir;
    TempDir registryDir;
    std::string previousRegistryDir;
    bool hadRegistryDir;
    bool forwardToErrorLog;
    ScopedBoxCapture boxCapture;
    std::vector<CapturedMessage> messages;
    DebugOutPut* previousSink;
    TevEngineHost host;
    bool started = false;
};

}  // namespace tarnwell_test
