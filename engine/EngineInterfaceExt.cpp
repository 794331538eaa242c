// The second engine facade: forwards to the Engine, keeps the debug lines and
// the project state.
#include "EngineInterfaceExt.h"

#include <cstring>

#include "ChannelPoolManagement.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "engine/Engine.h"
#include "project/ProjectLoader.h"
#include "platform/Text.h"

namespace {

constexpr int kDebugLineCount = 10;
constexpr size_t kDebugLineMaxText = 289;

Engine* EngineOf(EngineInterface* engineInterface) {
    return engineInterface ? engineInterface->engine : nullptr;
}

}  // namespace

EngineInterfaceExt::EngineInterfaceExt()
    : trackChannelCalling(false),
      graphRunning(true),
      projectLoader(nullptr),
      projectEditorVersion(0),
      engineInterface(nullptr),
      keepRunningApplication(false),
      channelPoolManagement(new ChannelPoolManagement()),
      initialized(false) {
    std::memset(debugLines, 0, sizeof(debugLines));
}

// The pool registry is owned here as well; leaving it would leak it with
// every engine.
EngineInterfaceExt::~EngineInterfaceExt() {
    if (trackChannelCalling) channelCallTrackers.fetch_sub(1, std::memory_order_relaxed);
    delete projectLoader;
    projectLoader = nullptr;
    delete channelPoolManagement;
    channelPoolManagement = nullptr;
}

void EngineInterfaceExt::SetEngineInterface(EngineInterface* engine) {
    engineInterface = engine;
    delete projectLoader;
    projectLoader = new ProjectLoader(engine);
    if (channelPoolManagement) channelPoolManagement->SetEngineInterface(engine);
}

void EngineInterfaceExt::SetInstallDir(const char* dir) {
    if (Engine* engine = EngineOf(engineInterface)) engine->SetInstallDir(dir);
}

void EngineInterfaceExt::SetVantorRegKey(const char* key) {
    if (Engine* engine = EngineOf(engineInterface)) engine->SetRegKey(key);
}

void EngineInterfaceExt::ProcessWindowMessage(HWND window, unsigned int message, TevMessageWParam wParam,
                                              TevMessageLParam lParam) {
    if (Engine* engine = EngineOf(engineInterface))
        engine->ProcessWindowMessage(window, message, wParam, lParam);
}

int EngineInterfaceExt::GetInterfaceID() { return TEV_ENGINE_INTERFACE_ID; }

// Without an install directory the engine would look for its plug-ins, its
// type cache and its log at the root of the file system; refuse to start.
bool EngineInterfaceExt::InitEngine(HINSTANCE instance, const char* className) {
    Engine* engine = EngineOf(engineInterface);
    if (!engine) return false;
    if (engine->installDir[0] == 0) {
        engineInterface->showErrorMessage("EngineInterfaceExt::InitEngine: No install directory set");
        return false;
    }
    if (!engine->InitEngine(instance, className)) return false;
    std::memset(debugLines, 0, sizeof(debugLines));
    return true;
}

void EngineInterfaceExt::UpdateChannelTree() {
    if (Engine* engine = EngineOf(engineInterface)) engine->UpdateChannelTree();
}

void EngineInterfaceExt::ReleaseGroups() {
    if (Engine* engine = EngineOf(engineInterface)) engine->ReleaseGroups();
}

void EngineInterfaceExt::CheckPublicChannelRemoval(Tev_Channel* channel, int nr) {
    if (Engine* engine = EngineOf(engineInterface)) engine->CheckPublicChannelRemoval(channel, nr);
}

void EngineInterfaceExt::CheckPublicCallChannelRemoval(Tev_Channel* channel) {
    if (Engine* engine = EngineOf(engineInterface)) engine->CheckPublicCallChannelRemoval(channel);
}

void EngineInterfaceExt::CheckInterfaceChange(const char* poolName) {
    if (Engine* engine = EngineOf(engineInterface)) engine->CheckInterfaceChange(poolName);
}

void EngineInterfaceExt::IncreaseTreeCount() {
    if (Engine* engine = EngineOf(engineInterface)) engine->IncreaseTreeCount();
}

Tev_Channel* EngineInterfaceExt::GetPublicChannel(PublicCallInfo* info) {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->GetPublicChannel(info) : nullptr;
}

bool EngineInterfaceExt::AddChannelRequest(int number, Tev_Channel* channel) {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->AddChannelRequest(number, channel) : false;
}

void EngineInterfaceExt::CheckChannelRequest(Tev_ChannelGroup* group, int number, Tev_Channel* channel) {
    if (Engine* engine = EngineOf(engineInterface)) engine->CheckChannelRequest(group, number, channel);
}

DllInterface* EngineInterfaceExt::GetDLLInstance(const char* dllName) {
    Engine* engine = EngineOf(engineInterface);
    DllInterface* object = engine ? engine->GetDLLInstance(dllName) : nullptr;
    if (object) object->engineInterface = engineInterface;
    return object;
}

Tev_Channel* EngineInterfaceExt::CreateChannelFromDLL(const char* dllName, Tev_ChannelGroup* group,
                                                      bool createChildren) {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->CreateChannelFromDLL(dllName, group, createChildren) : nullptr;
}

void EngineInterfaceExt::SetWindowHandle(HWND window) {
    Engine* engine = EngineOf(engineInterface);
    if (engine && window) engine->SetWindowHandle(window);
}

ChannelList* EngineInterfaceExt::GetChannelList() {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->channelTypeList : nullptr;
}

void EngineInterfaceExt::DebugOut(const char* text, int slot) {
    if (!text || slot < 0 || slot >= kDebugLineCount) return;
    if (std::strlen(text) > kDebugLineMaxText) return;
    platform::CopyText(debugLines[slot], text);
}

const char* EngineInterfaceExt::GetDebug(int slot) {
    if (slot < 0 || slot >= kDebugLineCount) return nullptr;
    return debugLines[slot];
}

void EngineInterfaceExt::KillTread(Tev_Tread* tread) {
    if (Engine* engine = EngineOf(engineInterface)) engine->KillTread(tread);
}

void EngineInterfaceExt::SetIfTrackChannelCalling(bool track) {
    // The process-wide count lets GetChild skip asking each channel's engine while none tracks.
    if (track != trackChannelCalling) channelCallTrackers.fetch_add(track ? 1 : -1, std::memory_order_relaxed);
    trackChannelCalling = track;
}


void EngineInterfaceExt::SetGraphRunning(bool running) { graphRunning = running; }

bool EngineInterfaceExt::GetGraphRunning() { return graphRunning; }

int EngineInterfaceExt::InitializeVTRFile(const char* path) {
    if (!projectLoader) return TEV_LOADER_FAILED;
    const int code = projectLoader->LoadProjectFile(path);
    projectEditorVersion = projectLoader->GetProjectEditorVersion();
    return code;
}

Tev_ChannelGroup* EngineInterfaceExt::GetVTRStartGroup() {
    if (!engineInterface || !projectLoader) return nullptr;
    return engineInterface->LoadChannelGroup(projectLoader->GetStartGroupPath(), nullptr);
}

void EngineInterfaceExt::SetStartGroup(int index) {
    if (Engine* engine = EngineOf(engineInterface)) engine->SetStartGroup(index);
}

int EngineInterfaceExt::GetStartGroup() {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->GetStartGroup() : 0;
}

int EngineInterfaceExt::GetProjectEditorVersion() { return projectEditorVersion; }

void EngineInterfaceExt::Release() {
    if (Engine* engine = EngineOf(engineInterface)) engine->Release();
}

int EngineInterfaceExt::GetUniqueChannelCount() {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->GetUniqueChannelCount() : 0;
}

bool EngineInterfaceExt::SetRegData(const char* valueName, const char* text) {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->SetRegData(valueName, text) : false;
}

bool EngineInterfaceExt::GetRegData(const char* valueName, char* buffer, int size) {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->GetRegData(valueName, buffer, size) : false;
}

Tev_Tread* EngineInterfaceExt::GetNewTread() {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->GetNewTread() : nullptr;
}

Tev_Tread* EngineInterfaceExt::GetTreadFromID(int id) {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->GetTreadFromID(id) : nullptr;
}

int EngineInterfaceExt::GetCurrentEvent() {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->GetCurrentEvent() : TEV_EVENT_NONE;
}

bool EngineInterfaceExt::GetIfKeepRunningApplication() { return keepRunningApplication; }

void EngineInterfaceExt::SetIfKeepRunningApplication(bool keepRunning) {
    keepRunningApplication = keepRunning;
}

void EngineInterfaceExt::DoLinkPoolToChannel(Tev_Channel* channel) {
    if (Engine* engine = EngineOf(engineInterface)) engine->DoLinkPoolToChannel(channel);
}

ChannelPoolManagement* EngineInterfaceExt::GetChannelPoolManagement() { return channelPoolManagement; }

bool EngineInterfaceExt::GetInitialized() { return initialized; }

void EngineInterfaceExt::SetInitialized(bool value) { initialized = value; }

ChannelType EngineInterfaceExt::GetDLLType(const char* dllName) {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->GetDLLType(dllName) : ChannelType();
}

ChannelType EngineInterfaceExt::GetDLLType(HINSTANCE module) {
    Engine* engine = EngineOf(engineInterface);
    return engine ? engine->GetDLLType(module) : ChannelType();
}
