#include "TestChannelFactory.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "DllInterface.h"
#include "Tev_Channel.h"
#include "support/TestModules.h"

using tarnwell_test::CloseModule;
using tarnwell_test::ModuleSymbol;

TestChannelFactory::TestChannelFactory(EngineInterface* engine) : engine(engine) {}

TestChannelFactory::~TestChannelFactory() {
    for (Tev_Channel* channel : channels) delete channel;
    channels.clear();
    for (auto& module : modules) CloseModule(module.second);
}

std::string TestChannelFactory::ModulePath(const char* moduleName) {
    return std::string(TARNWELL_TEST_CHANNELS_DIR) + "/" + moduleName;
}

HINSTANCE TestChannelFactory::Open(const char* moduleName) {
    for (auto& module : modules)
        if (module.first == moduleName) return module.second;
    std::string path = ModulePath(moduleName);
    std::string reason;
    HINSTANCE handle = tarnwell_test::OpenModule(path, &reason);
    if (!handle) {
        ADD_FAILURE() << "cannot open " << path << ": " << reason;
        return nullptr;
    }
    modules.emplace_back(moduleName, handle);
    return handle;
}

void* TestChannelFactory::Symbol(const char* moduleName, const char* name) {
    HINSTANCE module = Open(moduleName);
    void* symbol = module ? ModuleSymbol(module, name) : nullptr;
    if (module && !symbol) ADD_FAILURE() << moduleName << " has no " << name;
    return symbol;
}

Tev_Channel* TestChannelFactory::Create(const char* moduleName) {
    HINSTANCE module = Open(moduleName);
    if (!module) return nullptr;
    auto initDll = reinterpret_cast<TevInitDLLFunction>(ModuleSymbol(module, "InitDLL"));
    if (!initDll) {
        ADD_FAILURE() << moduleName << " has no InitDLL";
        return nullptr;
    }
    EngineInterface* savedEngine = globalEngine;
    HINSTANCE savedInstance = globalDllInstance;
    globalEngine = engine;
    globalDllInstance = module;
    Tev_Channel* channel = static_cast<Tev_Channel*>(static_cast<DllInterface*>(initDll()));
    globalEngine = savedEngine;
    globalDllInstance = savedInstance;
    if (!channel) {
        ADD_FAILURE() << moduleName << ": InitDLL answered NULL";
        return nullptr;
    }
    channel->dllInstance = module;
    channel->engineInterface = engine;
    channels.push_back(channel);
    return channel;
}

Tev_Channel* TestChannelFactory::Create(const char* moduleName, const char* channelName) {
    Tev_Channel* channel = Create(moduleName);
    if (channel) channel->SetChannelName(channelName);
    return channel;
}

void TestChannelFactory::Release(Tev_Channel* channel) {
    channels.erase(std::remove(channels.begin(), channels.end(), channel), channels.end());
}

void TestChannelFactory::Destroy(Tev_Channel* channel) {
    auto found = std::find(channels.begin(), channels.end(), channel);
    if (found == channels.end()) return;
    channels.erase(found);
    delete channel;
}
