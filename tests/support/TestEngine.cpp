// A started engine in a fresh temporary install directory, for tests.
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "support/TestEnvironment.h"

namespace fs = std::filesystem;

namespace tarnwell_test {

// ---- sinks and boxes ----

void CapturingSink::ShowDebugMessage(DebugMessage* message) {
    if (!useDebug || !message) return;
    const char* text = message->GetDebugMessage();
    messages.push_back({message->GetMessageType(), text ? text : ""});
    if (forward) forward->ShowDebugMessage(message);
}

ScopedSink::ScopedSink() : previous(debugOutPut) { debugOutPut = &sink; }

ScopedSink::~ScopedSink() { debugOutPut = previous; }

std::string ScopedSink::Only() const {
    EXPECT_EQ(sink.messages.size(), 1u);
    return sink.messages.empty() ? std::string() : sink.messages.back().text;
}

namespace {

ScopedBoxCapture* activeBoxCapture = nullptr;

void CaptureBox(const char* caption, const char* text, unsigned style) {
    if (activeBoxCapture)
        activeBoxCapture->boxes.push_back({caption ? caption : "", text ? text : "", style});
}

}  // namespace

ScopedBoxCapture::ScopedBoxCapture() {
    activeBoxCapture = this;
    previous = TevSetMessageBoxHandler(CaptureBox);
}

ScopedBoxCapture::~ScopedBoxCapture() {
    TevSetMessageBoxHandler(previous);
    if (activeBoxCapture == this) activeBoxCapture = nullptr;
}

// ---- the engine ----

namespace {

void LinkDllsOf(const fs::path& source, const fs::path& channels) {
    std::error_code error;
    if (fs::is_directory(source, error)) {
        for (const auto& entry : fs::directory_iterator(source, error))
            if (entry.path().extension() == ".dll") LinkDllsOf(entry.path(), channels);
        return;
    }
    if (!fs::exists(source, error)) return;
    // Windows makes symbolic links only for the privileged; a hard link or a copy loads the same.
    const fs::path target = channels / source.filename();
    fs::create_symlink(fs::absolute(source), target, error);
    if (error) fs::create_hard_link(source, target, error);
    if (error) fs::copy_file(source, target, error);
}

}  // namespace

TestEngine::TestEngine(const TestEngineOptions& options)
    : installDir("tarnwell-install", options.installParent),
      registryDir("tarnwell-registry"),
      hadRegistryDir(false),
      forwardToErrorLog(options.forwardToErrorLog),
      previousSink(debugOutPut) {
    if (const char* previous = std::getenv("TARNWELL_REGISTRY_DIR")) {
        hadRegistryDir = true;
        previousRegistryDir = previous;
    }
    SetEnvironment("TARNWELL_REGISTRY_DIR", registryDir.Path().c_str());
    fs::create_directories(fs::path(InstallDir()) / "channels");
    fs::create_directories(fs::path(InstallDir()) / "3rd");
    LinkPlugins(options);
    PresetRegistry(options);
    if (options.start) Start();
}

TestEngine::~TestEngine() {
    Stop();
    debugOutPut = previousSink;
    SetEnvironment("TARNWELL_REGISTRY_DIR", hadRegistryDir ? previousRegistryDir.c_str() : nullptr);
}

void TestEngine::LinkPlugins(const TestEngineOptions& options) const {
    const fs::path channels = fs::path(InstallDir()) / "channels";
    if (options.standardPlugins) LinkDllsOf(fs::path(TARNWELL_VANTOR_DIR) / "channels", channels);
    for (const std::string& path : options.pluginPaths) LinkDllsOf(path, channels);
}

// Written through a short-lived facade, so the values stand in the registry
// stand-in exactly as the engine itself would store them.
void TestEngine::PresetRegistry(const TestEngineOptions& options) const {
    if (options.registry.empty()) return;
    EngineInterface* writer = new EngineInterface();
    writer->engineInterfaceExt->SetVantorRegKey(kRegistryKey);
    for (const auto& value : options.registry)
        EXPECT_TRUE(writer->engineInterfaceExt->SetRegData(value.first.c_str(), value.second.c_str()))
            << "cannot preset registry value " << value.first;
    writer->engineInterfaceExt->Release();
    delete writer;
}

void TestEngine::Capture(int type, const char* text, void* context) {
    static_cast<TestEngine*>(context)->messages.push_back({type, text});
}

bool TestEngine::Start() { return Start(InstallDir()); }

bool TestEngine::Start(const std::string& installDirSpelling) {
    host.SetMessageHandler(&TestEngine::Capture, this, forwardToErrorLog);
    started = host.Start(installDirSpelling.c_str(), kRegistryKey, "Vantor Test") == TEV_HOST_STARTED;
    return started;
}

void TestEngine::Stop() {
    host.Stop();  // the engine's sink goes with it and debugOutPut becomes NULL
    started = false;
}

EngineInterface* TestEngine::Engine() const { return host.Engine(); }

EngineInterfaceExt* TestEngine::Ext() const {
    EngineInterface* engine = Engine();
    return engine ? engine->engineInterfaceExt : nullptr;
}

std::string TestEngine::ReadInstallFile(const std::string& relative) const {
    std::ifstream file(fs::path(InstallDir()) / relative, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool TestEngine::Contains(const std::string& text) const { return Count(text) > 0; }

int TestEngine::Count(const std::string& text) const {
    int count = 0;
    for (const CapturedMessage& message : messages)
        if (message.text.find(text) != std::string::npos) count++;
    for (const CapturedBox& box : boxCapture.boxes)
        if (box.text.find(text) != std::string::npos) count++;
    return count;
}

void TestEngine::ClearMessages() {
    messages.clear();
    boxCapture.boxes.clear();
}

}  // namespace tarnwell_test
