// The engine facade: forwards to the Engine.
#include "EngineInterface.h"

#include "EngineInterfaceExt.h"
#include "engine/Engine.h"

// Order matters: the Engine (with its unique group and type list) exists
// before the second facade, whose project loader and pools refer to it.
EngineInterface::EngineInterface() : showDebug(this), engineInterfaceExt(nullptr), engine(nullptr) {
    engine = new Engine();
    engine->SetEngineInterface(this);
    engineInterfaceExt = new EngineInterfaceExt();
    engineInterfaceExt->SetEngineInterface(this);
}

// Release must have run before: the Engine does not release its contents.
EngineInterface::~EngineInterface() {
    delete engineInterfaceExt;
    engineInterfaceExt = nullptr;
    delete engine;
    engine = nullptr;
}

const char* EngineInterface::GetInstallDir() { return engine->GetInstallDir(); }

const char* EngineInterface::GetEngineClassName() { return engine->engineClassName; }

HINSTANCE EngineInterface::GetEngineInstance() { return engine->engineInstance; }

HWND EngineInterface::GetWindowHandle() { return engine->GetWindowHandle(); }

int EngineInterface::GetTreeCalculateCount() { return engine->treeCalculateCount; }

void EngineInterface::SetTreeCalculateCount(int count) { engine->treeCalculateCount = count; }

Tev_ChannelGroup* EngineInterface::CreateNewGroup(const char* poolName, bool arrayGroup, int instance) {
    return engine->CreateNewGroup(poolName, arrayGroup, instance);
}

Tev_ChannelGroup* EngineInterface::GetChannelGroup(const char* fileName, int instance) {
    return engine->GetChannelGroup(fileName, instance);
}

Tev_ChannelGroup* EngineInterface::GetChannelGroup(int index) { return engine->GetChannelGroup(index); }

Tev_ChannelGroup* EngineInterface::GetPoolGroup(const char* poolName, int instance) {
    return engine->GetPoolGroup(poolName, instance);
}

Tev_ChannelGroup* EngineInterface::LoadChannelGroup(const char* fileName, const char* poolName) {
    return engine->LoadChannelGroup(fileName, poolName);
}

int EngineInterface::GetHighInstance(const char* poolName) { return engine->GetHighInstance(poolName); }

void EngineInterface::DeleteChannelGroup(int index) { engine->DeleteChannelGroup(index); }

int EngineInterface::GetChannelGroupCount() { return engine->GetChannelGroupCount(); }

Tev_Channel* EngineInterface::InitChannelFromType(_GUID type, Tev_ChannelGroup* group, bool createChildren) {
    return engine->InitChannelFromType(type, group, createChildren);
}

Tev_Channel* EngineInterface::InitChannelFromType(ChannelType type, Tev_ChannelGroup* group,
                                                  bool createChildren) {
    return engine->InitChannelFromType(type.typeGuid, group, createChildren);
}

Tev_Channel* EngineInterface::GetUniqueChannel(_GUID type, const char* name) {
    ChannelType channelType;
    channelType.typeGuid = type;
    return GetUniqueChannel(channelType, name);
}

Tev_Channel* EngineInterface::GetUniqueChannel(ChannelType type, const char* name) {
    return engine->GetUniqueChannel(type.typeGuid, name);
}

void EngineInterface::AddChannelToEvent(Tev_Channel* channel, int event) {
    engine->AddChannelToEvent(channel, event);
}

void EngineInterface::RemoveChannelFromEvent(Tev_Channel* channel, int event) {
    engine->RemoveChannelFromEvent(channel, event);
}

bool EngineInterface::GetGraphRunning() {
    return engineInterfaceExt ? engineInterfaceExt->GetGraphRunning() : false;
}
