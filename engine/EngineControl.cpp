// The host's entry: start, project load, frame loop, shutdown.
#include "EngineControl.h"

#include <cstring>
#include <new>
#include <string>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "PluginChannels.h"
#include "Tev_ChannelGroup.h"
#include "foundation/ChannelKind.h"
#include "foundation/ErrorLogOutPut.h"
#include "foundation/ExceptionBoundary.h"
#include "foundation/HostSink.h"
#include "foundation/InstallLayout.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

namespace {

const char* const kErrorCaption = "Vantor Error";
const char* const kOutOfMemory = "EngineControl::InitEngine: Out of memory";
const char* const kProjectLoadStopped = "EngineControl::LoadProject(): Loading stopped:";
const char* const kFrameStopped = "EngineControl::EngineLoop(): Frame stopped:";
const char* const kInitFailed = "An error occured during the initalization of Vantor";
const char* const kNoFileDialog = "EngineControl::LoadProject(): Error loading the File Dialog channel";
const char* const kPathTooLong = "EngineControl::LoadProject(): Project path too long:";
const char* const kNeedsUpdate =
    "Failed loading this project, please update to the latest version. \n\rYou should use the Vantor Update "
    "& "
    "Install utility to update your version.\n\rIf you click OK this utility will be started automatically.";
const char* const kProjectFilter = "Vantor file (*.vtr)";
const char* const kProjectExtension = "vtr";
const char* const kInstallDirMissing = "EngineControl::InitEngine: install directory missing:";
const char* const kInstallDirNotDirectory =
    "EngineControl::InitEngine: install directory is not a directory:";
const char* const kInstallDirTooLong =
    "EngineControl::InitEngine: install directory longer than 200 characters:";

// Why the engine cannot start in this install directory, or NULL. An empty one is the
// engine's own refusal to report.
const char* InstallDirProblem(const char* dir) {
    if (!dir[0]) return nullptr;
    if (std::strlen(dir) > installlayout::kMaxInstallDirLength) return kInstallDirTooLong;
    if (!platform::FileExists(dir)) return kInstallDirMissing;
    if (!platform::IsDirectory(dir)) return kInstallDirNotDirectory;
    return nullptr;
}

}  // namespace

EngineControl* GetEngineControlInstance() { return new (std::nothrow) EngineControl(); }

EngineControl::EngineControl()
    : engineInterface(nullptr),
      runningGroup(nullptr),
      engineStarted(false),
      errorLog(nullptr),
      inEngineLoop(false) {
    commandLine[0] = 0;
    installDir[0] = 0;
    regKey[0] = 0;
}

EngineControl::~EngineControl() {
    engineStarted = false;
    if (engineInterface) {
        engineInterface->engineInterfaceExt->Release();
        delete engineInterface;
        engineInterface = nullptr;
    }
    DestroyErrorLog();
}

// The sink and the global that publishes it always go together.
void EngineControl::DestroyErrorLog() {
    delete errorLog;
    errorLog = nullptr;
    debugOutPut = nullptr;
}

// A second call on a started engine keeps the running engine: starting anew
// would orphan it together with its plug-ins and its sink.
bool EngineControl::InitEngine(HINSTANCE instance, char* className, HWND window) {
    if (engineInterface) return engineStarted;
    engineStarted = false;
    // Refused before anything is made: a directory that is not there, or one the engine
    // could not hold whole (it would run in another, cut, directory).
    if (const char* problem = InstallDirProblem(installDir)) {
        std::string text = std::string(problem) + " " + installDir;
        platform::MessageBox(nullptr, text.c_str(), kErrorCaption, platform::MB_OK | platform::MB_ICONERROR);
        platform::MessageBox(nullptr, kInitFailed, kErrorCaption, platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    engineInterface = new (std::nothrow) EngineInterface();
    if (engineInterface) {
        engineInterface->engineInterfaceExt->SetInstallDir(installDir);
        engineInterface->engineInterfaceExt->SetVantorRegKey(regKey);  // the sink reads its switch there
    }
    errorLog = new (std::nothrow) ErrorLogOutPut(engineInterface);
    debugOutPut = hostsink::Publish(errorLog);
    if (!engineInterface) {
        DestroyErrorLog();
        platform::MessageBox(nullptr, kOutOfMemory, kErrorCaption, platform::MB_OK);
        return false;
    }
    if (engineInterface->engineInterfaceExt->InitEngine(instance, className)) {
        engineInterface->engineInterfaceExt->SetWindowHandle(window);
        engineStarted = true;
        return true;
    }
    platform::MessageBox(engineInterface->GetWindowHandle(), kInitFailed, kErrorCaption,
                         platform::MB_OK | platform::MB_ICONERROR);
    DestroyErrorLog();
    engineInterface->engineInterfaceExt->Release();
    delete engineInterface;
    engineInterface = nullptr;
    return false;
}

int EngineControl::LoadProject() {
    return boundary::Guard(engineInterface, kProjectLoadStopped, static_cast<int>(TEV_PROJECT_LOADER_FAILED), [&]() -> int {
        if (!engineInterface) return TEV_PROJECT_LOADER_FAILED;
        EngineInterfaceExt* ext = engineInterface->engineInterfaceExt;
        char path[TEV_MAX_PATH] = {0};
        bool pathTooLong = false;
        if (commandLine[0]) {
            // The whole command line is the path; a cut path would name another file.
            pathTooLong = !platform::CopyText(path, commandLine);
        } else {
            Tev_Channel* made = engineInterface->InitChannelFromType(TEV_FILEDIALOG_GUID, nullptr, false);
            // A channel of another class made for the dialog's type (a damaged cache) is no dialog.
            Pex_FileDialogChannel* dialog = channelkind::As<Pex_FileDialogChannel>(made);
            if (!dialog) {
                delete made;
                engineInterface->showErrorMessage(kNoFileDialog);
                return TEV_PROJECT_LOADER_FAILED;
            }
            dialog->ChooseFile(kProjectFilter, kProjectExtension, path);
            path[TEV_MAX_PATH - 1] = 0;
            delete dialog;
        }
        ext->ReleaseGroups();
        runningGroup = nullptr;  // its group is gone
        if (pathTooLong) {
            engineInterface->showErrorMessage(kPathTooLong, commandLine);
            return TEV_PROJECT_LOADER_FAILED;
        }
        if (!path[0]) return TEV_PROJECT_NO_PATH;
        const int code = ext->InitializeVTRFile(path);
        if (code != 0) {
            if (code == TEV_PROJECT_NEEDS_UPDATE)
                platform::MessageBox(engineInterface->GetWindowHandle(), kNeedsUpdate, kErrorCaption,
                                     platform::MB_OK | platform::MB_ICONERROR);
            return code;
        }
        runningGroup = ext->GetVTRStartGroup();
        return runningGroup ? TEV_PROJECT_LOADED : TEV_PROJECT_NO_START_GROUP;
    });
}

void EngineControl::EngineLoop() {
    if (inEngineLoop || !engineStarted) return;
    if (engineInterface)
        runningGroup = engineInterface->GetChannelGroup(engineInterface->engineInterfaceExt->GetStartGroup());
    if (!runningGroup) return;
    inEngineLoop = true;
    // A frame that throws (a plug-in out of memory) is lost; the host's loop goes on.
    boundary::Guard(engineInterface, kFrameStopped, false, [&] {
        engineInterface->engineInterfaceExt->IncreaseTreeCount();
        runningGroup->CallStartChannel();
        return true;
    });
    inEngineLoop = false;
}

void EngineControl::SetCommandLine(char* text) {
    if (text) platform::CopyText(commandLine, text);
}

EngineInterface* EngineControl::GetEngineInterface() { return engineInterface; }

void EngineControl::ProcessWindowMessage(HWND window, unsigned int message, TevMessageWParam wParam,
                                         TevMessageLParam lParam) {
    if (engineInterface && engineStarted)
        engineInterface->engineInterfaceExt->ProcessWindowMessage(window, message, wParam, lParam);
}

void EngineControl::SetInstallDir(const char* dir) {
    if (dir) platform::CopyText(installDir, dir);
}

void EngineControl::SetVantorRegKey(const char* key) {
    if (key) platform::CopyText(regKey, key);
}

bool EngineControl::GetIfKeepRunningApplication() {
    if (!engineInterface) return false;
    return engineInterface->engineInterfaceExt->GetIfKeepRunningApplication();
}
