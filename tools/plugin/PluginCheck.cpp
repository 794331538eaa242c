#include "PluginCheck.h"

#include <filesystem>
#include <memory>

#include "ChannelLifecycle.h"
#include "ChannelList.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "ModuleInspect.h"
#include "TempInstall.h"
#include "ToolEngine.h"
#include "format/GuidText.h"
#include "format/VersionText.h"

namespace fs = std::filesystem;

namespace plugintool {

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code failed;
    return fs::equivalent(a, b, failed);
}

void ReportInspection(const ModuleInspection& module, CheckResult& result) {
    result.faults.insert(result.faults.end(), module.faults.begin(), module.faults.end());
    if (module.hasInitDll && module.hasGetType)
        result.passed.push_back(module.hasStamp ? "exports InitDLL, GetType and class layout " +
                                                      std::to_string(module.stamp)
                                                : "exports InitDLL and GetType (no class layout stamp)");
    if (module.hasType)
        result.passed.push_back("type \"" + std::string(module.type.typeName) + "\" " +
                                GuidText(module.type.typeGuid) + " base " + GuidText(module.type.baseGuid) +
                                " version " + VersionText(module.type.versionInfo));
}

// Other modules of the install that report the same type GUID: the engine keeps only one.
// Answers their file names, so that the trial install can leave them out.
std::vector<std::string> FindClashes(const std::string& plugin, const _GUID& type,
                                     const CheckOptions& options, CheckResult& result) {
    std::vector<std::string> clashing;
    toolengine::ToolEngine engine;
    engine.SetDiagnostics(options.diagnostics);
    std::string error;
    if (!engine.Start(options.installDir, options.registryKey, error)) {
        result.engineStarted = false;
        result.faults.push_back("the engine did not start in " + options.installDir + ": " + error);
        return clashing;
    }
    ChannelList* list = engine.Engine()->engineInterfaceExt->GetChannelList();
    for (int i = 0; list && i < list->GetItemCount(); i++) {
        ChannelListItem* item = list->GetItem(i);
        if (!item || !item->onDisk || !(item->channelType.typeGuid == type)) continue;
        const std::string installed = StoredModulePath(item->fileName.GetString());
        if (SameFile(installed, plugin)) continue;
        result.faults.push_back("type GUID " + GuidText(type) + " is already taken by " + installed + " (\"" +
                                item->channelType.typeName + "\"): the engine ignores one of the two");
        clashing.push_back(fs::path(installed).filename().string());
    }
    if (clashing.empty())
        result.passed.push_back("no other module of " + engine.InstallDir() + " has its type GUID");
    return clashing;
}

// Makes, deletes, saves and loads channels of the type in an engine started in a trial install.
void TryInEngine(const std::string& plugin, const _GUID& type, const std::vector<std::string>& leaveOut,
                 const CheckOptions& options, CheckResult& result) {
    TempInstall trial;
    std::string error;
    if (!trial.Make(options.installDir, plugin, leaveOut, error)) {
        result.faults.push_back(error);
        return;
    }
    toolengine::ToolEngine engine;
    engine.SetDiagnostics(options.diagnostics);
    if (!engine.Start(trial.Dir(), options.registryKey, error)) {
        result.faults.push_back("the engine did not start in a trial install: " + error);
        return;
    }
    ChannelLifecycle lifecycle(engine, type, trial.Dir());
    lifecycle.Run(result.passed, result.faults);
}

}  // namespace

CheckResult CheckPlugin(const std::string& pluginPath, const CheckOptions& options) {
    CheckResult result;
    std::error_code failed;
    const std::string plugin = fs::absolute(pluginPath, failed).lexically_normal().string();
    const ModuleInspection module = InspectModule(plugin);
    ReportInspection(module, result);
    if (!module.hasType || IsNullGuid(module.type.typeGuid)) return result;
    const std::vector<std::string> clashing = FindClashes(plugin, module.type.typeGuid, options, result);
    // A module the kernel would refuse is not run: its faults are the answer.
    if (!result.engineStarted || !module.faults.empty() || !module.hasInitDll) return result;
    TryInEngine(plugin, module.type.typeGuid, clashing, options, result);
    return result;
}

}  // namespace plugintool
