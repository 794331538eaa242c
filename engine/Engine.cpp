// Engine life: construction, the shutdown order, and the small accessors.
#include "engine/Engine.h"

#include "ChannelList.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "Tev_ChannelGroup.h"
#include "Tev_Tread.h"
#include "foundation/ListItems.h"
#include "platform/Module.h"
#include "platform/Text.h"

int engineCount = 0;
std::mutex* dllInitLock = nullptr;

namespace {

// Guards engineCount and the creation and deletion of dllInitLock.
std::mutex& EngineCountLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

Engine::Engine()
    : uniqueGroup(nullptr),
      treeCalculateCount(0),
      channelTypeList(nullptr),
      windowHandle(nullptr),
      engineInstance(nullptr),
      engineInterface(nullptr),
      engineInitialized(false),
      currentEvent(kEventNone),
      windowMessage{0, 0, 0, nullptr},
      startGroup(0) {
    engineClassName[0] = 0;
    installDir[0] = 0;
    regKey[0] = 0;
    std::lock_guard<std::mutex> guard(EngineCountLock());
    if (engineCount == 0) dllInitLock = new std::mutex;
    engineCount++;
}

// Frees only the list storage: Release has already emptied the lists.
Engine::~Engine() {
    ForgetGlobalEngine();
    std::lock_guard<std::mutex> guard(EngineCountLock());
    engineCount--;
    if (engineCount == 0) {
        delete dllInitLock;
        dllInitLock = nullptr;
    }
}

// Library code given no engine falls back on globalEngine: it must never name a deleted one.
void Engine::ForgetGlobalEngine() {
    if (!dllInitLock) return;
    std::lock_guard<std::mutex> guard(*dllInitLock);
    if (globalEngine != engineInterface) return;
    globalEngine = nullptr;
    globalDllInstance = nullptr;
}

const char* Engine::GetInstallDir() { return installDir; }

HWND Engine::GetWindowHandle() { return windowHandle; }

void Engine::SetWindowHandle(HWND window) {
    if (window) windowHandle = window;
}

void Engine::SetEngineInterface(EngineInterface* engine) {
    engineInterface = engine;
    if (!uniqueGroup) uniqueGroup = new Tev_ChannelGroup(engine);
    if (!channelTypeList) channelTypeList = new ChannelList(engine);
}

int Engine::GetCurrentEvent() { return currentEvent; }

void Engine::SetStartGroup(int index) { startGroup = index; }

int Engine::GetStartGroup() { return startGroup; }

void Engine::SetInstallDir(const char* dir) {
    if (dir) platform::CopyText(installDir, dir);
}

void Engine::SetRegKey(const char* key) {
    if (key) platform::CopyText(regKey, key);
}

void Engine::UpdateChannelTree() {
    Tev_ChannelGroup* group = GetChannelGroup(startGroup);
    if (group) group->CallStartChannel();
}

// The order matters: threads are told to stop before the groups they may
// work on go, the type list is written back while its plug-ins are still
// loaded, and no module is freed while an object of it lives.
void Engine::Release() {
    if (engineInterface) engineInterface->showErrorMessage("Libraries loaded : ", libraryList.GetItemCount());
    engineInitialized = false;
    currentEvent = kEventReleased;

    for (int i = 0; i < treadList.GetItemCount(); i++) {
        Tev_Tread* tread = listitems::At<Tev_Tread>(treadList, i);
        if (tread) tread->ExitThread();
    }

    for (int i = 0; i < groupList.GetItemCount(); i++) {
        Tev_ChannelGroup* group = listitems::At<Tev_ChannelGroup>(groupList, i);
        groupList.SetItem(nullptr, i);  // the dying group is no longer found in the table
        delete group;
    }
    groupList.ClearItems();
    groupSlots.Reset();
    publicCallIndex.Clear();

    publicRequestList.Clear();

    delete channelTypeList;
    channelTypeList = nullptr;

    for (int i = 0; i < treadList.GetItemCount(); i++) {
        Tev_Tread* tread = listitems::At<Tev_Tread>(treadList, i);
        if (!tread) continue;
        tread->CloseTread();
        // A close that found the body finished may already have handed the handle to
        // KillTread; delete it only while the slot still holds it.
        if (treadList.GetItem(i) == tread) delete tread;
        treadList.SetItem(nullptr, i);
    }
    treadList.ClearItems();

    delete uniqueGroup;
    uniqueGroup = nullptr;

    {
        std::lock_guard<std::mutex> guard(entryPointLock);
        entryPoints.clear();
    }
    for (int i = libraryList.GetItemCount() - 1; i >= 0; i--)
        platform::FreeModule(static_cast<HINSTANCE>(libraryList.GetItem(i)));
    libraryList.ClearItems();
}
