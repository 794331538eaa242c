// One test channel plug-in; TESTCHANNEL_KIND selects which member of the family it is.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "ChildCreation.h"
#include "TestChannels.h"

#define KIND_ROOT 1
#define KIND_DERIVED 2
#define KIND_LINKS 3
#define KIND_AUTOCHILD 4
#define KIND_CUSTOM 5
#define KIND_COUNTER 6

namespace {

struct Descriptor {
    const char* name;
    _GUID type;
    _GUID base;
};

#if TESTCHANNEL_KIND == KIND_ROOT
const Descriptor kDescriptor = {"Test Root", kTestRootGuid, kTestRootGuid};
#elif TESTCHANNEL_KIND == KIND_DERIVED
const Descriptor kDescriptor = {"Test Derived", kTestDerivedGuid, kTestRootGuid};
#elif TESTCHANNEL_KIND == KIND_LINKS
const Descriptor kDescriptor = {"Test Links", kTestLinksGuid, kTestLinksGuid};
#elif TESTCHANNEL_KIND == KIND_AUTOCHILD
const Descriptor kDescriptor = {"Test Auto Child", kTestAutoChildGuid, kTestAutoChildGuid};
#elif TESTCHANNEL_KIND == KIND_CUSTOM
const Descriptor kDescriptor = {"Test Custom", kTestCustomGuid, kTestCustomGuid};
#elif TESTCHANNEL_KIND == KIND_COUNTER
const Descriptor kDescriptor = {"Test Counter", kTestCounterGuid, kTestCounterGuid};
#else
#error "TESTCHANNEL_KIND must name a member of the test channel family"
#endif

ChannelType MakeType() {
    ChannelType type;
    std::strncpy(type.typeName, kDescriptor.name, sizeof(type.typeName) - 1);
    type.typeGuid = kDescriptor.type;
    type.baseGuid = kDescriptor.base;
    return type;
}

ChannelType gType = MakeType();

[[maybe_unused]] ChildCreation Position(const _GUID& accepted, int requestLink) {
    ChildCreation creation;
    creation.channelType.typeGuid = accepted;
    creation.channelType.baseGuid = accepted;
    creation.requestLink = requestLink;
    return creation;
}

[[maybe_unused]] ChildCreation AutoPosition(const _GUID& accepted, int requestLink, const _GUID& create, const char* name) {
    ChildCreation creation = Position(accepted, requestLink);
    creation.createChild = 1;
    creation.createChildGuid = create;
    std::strncpy(creation.linkName, name, sizeof(creation.linkName) - 1);
    return creation;
}

class TestChannel : public TestChannelCounts {
public:
    TestChannel() { DeclarePositions(); }

    void CallChannel() override {
        ++calls;
        if (CheckRenderCount()) ++passes;
        LogCall();
#if TESTCHANNEL_KIND == KIND_COUNTER
        for (int i = 0; i < GetChildCount(); ++i) {
            Tev_Channel* child = GetChild(i);
            if (child) child->CallChannel();
        }
#endif
    }

    void OneTimeInitialize() override { ++initializations; }

    void DoEvent(int event, unsigned long data) override {
        ++events;
        lastEvent = event;
        lastEventData = data;
    }

    // The engine's answer when it knows the module; our own record otherwise.
    ChannelType GetChannelType() override {
        ChannelType type = Tev_Channel::GetChannelType();
        return IsNullGuid(type.typeGuid) ? gType : type;
    }

#if TESTCHANNEL_KIND == KIND_CUSTOM
    Tev_Channel* GetChannelFromChannel(Tev_Channel*, ChildInfo*) override { return GetChild(0); }
#endif

    int GetCallCount() override { return calls; }
    int GetPassCount() override { return passes; }
    int GetEventCount() override { return events; }
    int GetLastEvent() override { return lastEvent; }
    unsigned long GetLastEventData() override { return lastEventData; }
    int GetOneTimeInitializeCount() override { return initializations; }
    void ResetCounts() override {
        calls = passes = events = initializations = 0;
        lastEvent = -1;
        lastEventData = 0;
    }

private:
    // Lets a test in another process (the player) see the calls: one line per call.
    void LogCall() {
        const char* log = std::getenv(TEST_CHANNEL_CALL_LOG_ENV);
        if (!log || !*log) return;
        if (std::FILE* file = std::fopen(log, "a")) {
            std::fprintf(file, "%s\n", gType.typeName);
            std::fclose(file);
        }
        if (const char* sleep = std::getenv(TEST_CHANNEL_CALL_SLEEP_ENV))
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(sleep)));
    }

    void DeclarePositions() {
#if TESTCHANNEL_KIND == KIND_LINKS
        SetChildCreateType(Position(kTestRootGuid, 0), 0);
        SetChildCreateType(Position(kTestRootGuid, 1), 1);
        SetChildCreateType(Position(kTestDerivedGuid, -1), 2);
        SetChildCreateType(Position(TEV_WILDCARD_GUID, -1), 3);
#elif TESTCHANNEL_KIND == KIND_AUTOCHILD
        SetChildCreateType(AutoPosition(kTestRootGuid, 0, TEV_NULL_GUID, "Auto Root"), 0);
        SetChildCreateType(AutoPosition(kTestRootGuid, 1, kTestDerivedGuid, "Auto Derived"), 1);
        SetChildCreateType(AutoPosition(TEV_WILDCARD_GUID, 2, kTestMissingGuid, "Auto Missing"), 2);
        SetChildCreateType(Position(kTestRootGuid, -1), 3);
#elif TESTCHANNEL_KIND == KIND_CUSTOM
        SetChildCreateType(Position(TEV_WILDCARD_GUID, 0), 0);
        SetChannelInterfaceType(PEX_CUSTOMCHANNELGET);
#elif TESTCHANNEL_KIND == KIND_COUNTER
        SetChildCreateType(Position(TEV_WILDCARD_GUID, -1), 0);
#endif
    }

    int calls = 0;
    int passes = 0;
    int events = 0;
    int lastEvent = -1;
    unsigned long lastEventData = 0;
    int initializations = 0;
};

}  // namespace

TARNWELL_PLUGIN_EXPORT void* InitDLL() { return static_cast<Tev_Channel*>(new TestChannel()); }

TARNWELL_PLUGIN_EXPORT void* GetType() { return &gType; }
