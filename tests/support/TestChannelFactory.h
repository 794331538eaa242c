// Makes channels of the test plug-in family (tests/fixtures/testchannels/TestChannels.h)
// without the engine's plug-in loading: opens the module, calls its InitDLL with the engine
// globals set, as the engine does. Owns what it made; deletes the channels, then closes the
// modules (a channel's code lives in its module).
#pragma once

#include <string>
#include <vector>

#include "TarnwellTypes.h"

class EngineInterface;
class Tev_Channel;

class TestChannelFactory {
public:
    // engine may be NULL: the channels then have no engine interface.
    explicit TestChannelFactory(EngineInterface* engine);
    ~TestChannelFactory();
    TestChannelFactory(const TestChannelFactory&) = delete;
    TestChannelFactory& operator=(const TestChannelFactory&) = delete;

    // moduleName like "testroot.dll", looked for in TARNWELL_TEST_CHANNELS_DIR. NULL on failure
    // (the test fails with the loader's reason).
    Tev_Channel* Create(const char* moduleName);
    // The same, named.
    Tev_Channel* Create(const char* moduleName, const char* channelName);
    // Hands a channel over to someone else (a group) that deletes it.
    void Release(Tev_Channel* channel);
    // Deletes a channel made here now.
    void Destroy(Tev_Channel* channel);

    static std::string ModulePath(const char* moduleName);
    // Another export of a module of the family, or NULL (the test fails).
    void* Symbol(const char* moduleName, const char* name);

private:
    HINSTANCE Open(const char* moduleName);

    EngineInterface* engine;
    std::vector<std::pair<std::string, HINSTANCE>> modules;
    std::vector<Tev_Channel*> channels;
};
