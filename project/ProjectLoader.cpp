// The project file: header, start group, required engine version, project flags, then the
// plug-ins the project needs (ProjectPlugins.cpp).
#include "project/ProjectLoader.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "TevFileLoader.h"
#include "project/ProjectBlocks.h"
#include "project/ProjectMessages.h"
#include "project/ProjectPlugins.h"
#include "project/ProjectReport.h"
#include "foundation/PathText.h"
#include "platform/Files.h"
#include "platform/Text.h"

using namespace projectfile;

namespace {

constexpr size_t kRegValueSize = 260;
constexpr size_t kDirLength = 399;

bool RegistryReads(EngineInterface* engine, const char* valueName, const char* expected) {
    char value[kRegValueSize] = "";
    if (!engine->engineInterfaceExt->GetRegData(valueName, value, sizeof(value))) return false;
    value[sizeof(value) - 1] = 0;
    return platform::StrICmp(value, expected) == 0;
}

// Up to and including the last separator, at most 399 characters; empty without one.
void ProjectDirectory(const char* path, char* dir, size_t size) {
    const char* last = pathtext::LastSeparator(path);
    dir[0] = 0;
    if (!last) return;
    const size_t length = static_cast<size_t>(last - path) + 1;
    platform::CopyTextN(dir, size, path, length < kDirLength ? length : kDirLength);
}

}  // namespace

ProjectLoader::ProjectLoader(EngineInterface* engine) : engineInterface(engine), projectEditorVersion(0) {
    startGroupPath[0] = 0;
}

ProjectLoader::~ProjectLoader() {}

const char* ProjectLoader::GetStartGroupPath() { return startGroupPath; }

int ProjectLoader::GetProjectEditorVersion() { return projectEditorVersion; }

LoadSettings ProjectLoader::ReadSettings() {
    LoadSettings settings;
    settings.engine = engineInterface;
    if (!engineInterface || !engineInterface->engineInterfaceExt) return settings;
    settings.showMessages = RegistryReads(engineInterface, kRegWriteErrorLog, "Yes");
    settings.checkChannelCrc = !RegistryReads(engineInterface, kRegCrcCheck, "No");
    return settings;
}

int ProjectLoader::LoadProjectFile(const char* path) { return Load(path, nullptr); }

int ProjectLoader::CheckProjectFile(const char* path, ProjectReport& report) { return Load(path, &report); }

int ProjectLoader::Load(const char* path, ProjectReport* report) {
    LoadSettings settings = ReadSettings();
    settings.report = report;
    if (!engineInterface || !engineInterface->engineInterfaceExt) return TEV_LOADER_FAILED;
    Header header;
    if (!report) return ReadProject(path, settings, header);
    // The loader's refusals say why the project itself fails; its line comes before those of
    // the plug-ins it lists.
    MessageCapture capture;
    report->Hold(true);
    const int code = ReadProject(path, settings, header);
    report->Hold(false);
    ReportProject(path, code, header, capture.Text().c_str(), *report);
    report->Release();
    return code;
}

int ProjectLoader::ReadProject(const char* path, const LoadSettings& settings, Header& header) {
    if (!path) {
        settings.Show(kMsgNoFileName);
        return TEV_LOADER_FAILED;
    }
    char projectDir[kDirLength + 1];
    ProjectDirectory(path, projectDir, sizeof(projectDir));

    TevFileLoader loader(engineInterface);
    if (!loader.LoadFile(path)) {
        settings.Show(kMsgCannotLoad, path);
        return TEV_LOADER_FAILED;
    }
    if (loader.CheckHeader(kTagTranslator, false))
        engineInterface->engineInterfaceExt->TranslateFile(&loader);
    const int code = ReadHeader(loader, projectDir, settings, header);
    if (code != TEV_LOADER_OK) return code;
    return ReadPlugins(loader, settings);
}

void ProjectLoader::ReportProject(const char* path, int code, const Header& header, const char* reason,
                                  ProjectReport& report) {
    std::string detail = "editor version " + std::to_string(projectEditorVersion) + ", start group " +
                         platform::ToNativePath(static_cast<const char*>(startGroupPath));
    if (header.requiredVersion != 0)
        detail += ", needs engine interface " + std::to_string(header.requiredVersion) + " (this engine " +
                  std::to_string(engineInterface->engineInterfaceExt->GetInterfaceID()) + ")";
    if (header.keepRunning) detail += ", keeps the application running";
    std::string why = reason;
    if (code == TEV_LOADER_FAILED && why.empty()) why = "not a readable project file (no file, or no header)";
    if (code == TEV_LOADER_NEEDS_UPDATE && why.empty())
        why = header.requiredVersion > engineInterface->engineInterfaceExt->GetInterfaceID()
                  ? "needs a newer engine"
                  : "a plug-in or DLL it needs is missing and not carried by the project";
    if (code == TEV_LOADER_FAILED) detail.clear();
    report.Add(TEV_CHECK_PROJECT, code == TEV_LOADER_OK ? TEV_CHECK_OK : TEV_CHECK_FAILED, path ? path : "",
               "", detail, code == TEV_LOADER_OK ? "" : why);
}

// Header, start group name, required version and the keep-running flag.
int ProjectLoader::ReadHeader(TevFileLoader& loader, const char* projectDir, const LoadSettings& settings,
                              Header& header) {
    int32_t editorVersion = 0;
    if (ReadIntBlock(loader, kTagHeader, editorVersion) != BlockRead::Ok) {
        settings.Show(kMsgNoHeader);
        return TEV_LOADER_FAILED;
    }
    projectEditorVersion = editorVersion;

    char name[kTextSize] = "";
    if (loader.GetInfoIfTag(kTagStartGroup) && !ReadText(loader, name, sizeof(name))) name[0] = 0;
    char groupPath[sizeof(startGroupPath)];
    // An absolute name stands alone: behind the project's directory it would name no file.
    platform::CopyText(groupPath, pathtext::IsAbsolute(name) ? "" : projectDir);
    // A cut path would name another file.
    if (!platform::AppendText(groupPath, name)) {
        settings.Refuse(kMsgPathTooLong, name);
        return TEV_LOADER_FAILED;
    }
    platform::CopyText(startGroupPath, groupPath);

    int32_t required = 0;
    const BlockRead versionRead = ReadIntBlock(loader, kTagInterfaceVersion, required);
    header.requiredVersion = required;
    if (versionRead == BlockRead::Damaged || required > engineInterface->engineInterfaceExt->GetInterfaceID()) {
        settings.Show(kMsgWrongVersion);
        return TEV_LOADER_NEEDS_UPDATE;
    }
    header.keepRunning = loader.GetInfoIfTag(kTagKeepRunning);
    // Absence does not clear the flag: it belongs to the application, not to one project.
    // A check leaves the engine as it was.
    if (header.keepRunning && !settings.report)
        engineInterface->engineInterfaceExt->SetIfKeepRunningApplication(true);
    return TEV_LOADER_OK;
}

int ProjectLoader::ReadPlugins(TevFileLoader& loader, const LoadSettings& settings) {
    int32_t count = 0;
    const BlockRead channelCount = ReadIntBlock(loader, kTagChannelCount, count);
    if (channelCount == BlockRead::Absent) return TEV_LOADER_OK;
    if (channelCount == BlockRead::Damaged) {
        settings.Refuse(kMsgDamagedBlock, kTagChannelCount);
        return TEV_LOADER_NEEDS_UPDATE;
    }
    ProjectPlugins plugins(settings, loader);
    int code = plugins.ReadChannelEntries(count);
    if (code == TEV_LOADER_OK) code = ReadOtherDlls(loader, settings, plugins);
    // Only a project read whole restores anything; a check reports what it read in any case.
    if (code == TEV_LOADER_OK || settings.report) {
        const int finished = plugins.Finish();
        if (code == TEV_LOADER_OK) code = finished;
    }
    return code;
}

int ProjectLoader::ReadOtherDlls(TevFileLoader& loader, const LoadSettings& settings,
                                 ProjectPlugins& plugins) {
    int32_t count = 0;
    const BlockRead otherCount = ReadIntBlock(loader, kTagOtherCount, count);
    if (otherCount == BlockRead::Absent) return TEV_LOADER_OK;
    if (otherCount == BlockRead::Damaged) {
        settings.Refuse(kMsgDamagedBlock, kTagOtherCount);
        return TEV_LOADER_NEEDS_UPDATE;
    }
    return plugins.ReadOtherDllEntries(count);
}
