#include "ToolEngine.h"

#include <filesystem>

#include "DebugMessages.h"
#include "ExecutablePath.h"
#include "ToolDiagnostics.h"

namespace fs = std::filesystem;

namespace toolengine {

const char kDefaultRegistryKey[] = "SOFTWARE\\Vantor";

// Message boxes are shown by the engine's sink already (on standard error without a desktop).
void ToolEngine::Keep(int type, const char* text, void* context) {
    auto* engine = static_cast<ToolEngine*>(context);
    if (engine->diagnostics) engine->diagnostics->Note(type, text);
    if ((type == TEV_MESSAGE_ERROR || type >= TEV_MESSAGE_USER_INFO) && text[0])
        engine->lines.push_back(text);
}

// The kernel judges the directory (missing, no directory, too long for it); the tool only
// makes it absolute, so that what it reports names the directory whatever the working one.
bool ToolEngine::Start(const std::string& dir, const std::string& registryKey, std::string& error) {
    std::error_code failed;
    const fs::path absolute = fs::absolute(dir, failed);
    // Without a trailing separator ("dir/" -> "dir"), but a root stays one ("/", "C:\\").
    fs::path normal = absolute.lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
    installDir = failed ? dir : normal.string();
    host.SetMessageHandler(&ToolEngine::Keep, this, true);
    host.SetHearStart(diagnostics && diagnostics->Active());
    if (host.Start(installDir.c_str(), registryKey.c_str(), "Vantor Tool") != TEV_HOST_STARTED) {
        error = host.Failure();
        return false;
    }
    return true;
}

EngineInterface* ToolEngine::Engine() const { return host.Engine(); }

std::string ExecutableDirectory() {
    const std::string path = ExecutablePath();
    return path.empty() ? "." : fs::path(path).parent_path().string();
}

}  // namespace toolengine
