#include "ToolEngine.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "EngineControl.h"

namespace fs = std::filesystem;

namespace toolengine {

const char kDefaultRegistryKey[] = "SOFTWARE\\Vantor";

namespace {

// The engine keeps paths in 400-byte fields and composes longer ones from them.
constexpr size_t kMaxInstallDir = 200;

// Message boxes are shown by the engine's sink already (on standard error without a desktop).
bool Kept(int type) { return type == TEV_MESSAGE_ERROR || type >= TEV_MESSAGE_USER_INFO; }

}  // namespace

void MessageKeeper::ShowDebugMessage(DebugMessage* message) {
    if (!message) return;
    const char* text = message->GetDebugMessage();
    if (Kept(message->GetMessageType()) && text && text[0]) lines.push_back(text);
    if (forward) forward->ShowDebugMessage(message);
}

ToolEngine::ToolEngine() {}

ToolEngine::~ToolEngine() {
    // The engine's sink goes with the engine: it must be published again before that.
    if (sinkInstalled && debugOutPut == &keeper) debugOutPut = keeper.forward;
    delete control;
}

bool ToolEngine::Start(const std::string& dir, const std::string& registryKey, std::string& error) {
    std::error_code failed;
    const fs::path absolute = fs::absolute(dir, failed);
    if (failed || !fs::is_directory(absolute, failed)) {
        error = "the install directory " + dir + " does not exist";
        return false;
    }
    installDir = absolute.lexically_normal().string();
    if (installDir.size() > 1 && installDir.back() == '/') installDir.pop_back();
    if (installDir.size() > kMaxInstallDir) {
        error = "the install directory path is longer than " + std::to_string(kMaxInstallDir) + " characters";
        return false;
    }
    control = GetEngineControlInstance();
    if (!control) {
        error = "no engine control object (out of memory)";
        return false;
    }
    control->SetInstallDir(installDir.c_str());
    control->SetVantorRegKey(registryKey.c_str());
    char className[] = "Vantor Tool";
    if (!control->InitEngine(nullptr, className, nullptr)) {
        error = "the engine did not start in " + installDir;
        return false;
    }
    keeper.forward = debugOutPut;
    debugOutPut = &keeper;
    sinkInstalled = true;
    return true;
}

EngineInterface* ToolEngine::Engine() const { return control ? control->GetEngineInterface() : nullptr; }

std::string ExecutableDirectory() {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return ".";
    return fs::path(std::string(buffer.data(), static_cast<size_t>(length))).parent_path().string();
}

}  // namespace toolengine
