// The family of test channel plug-ins built into TARNWELL_TEST_CHANNELS_DIR, for the tests of
// every area. One source (TestChannel.cpp) compiled once per type:
//
//   module             type GUID        base GUID        link positions
//   testroot.dll       kTestRootGuid    kTestRootGuid    none
//   testderived.dll    kTestDerivedGuid kTestRootGuid    none
//   testlinks.dll      kTestLinksGuid   kTestLinksGuid   0: single, accepts root (request link 0)
//                                                        1: single, accepts root (request link 1)
//                                                        2: multiple, accepts derived
//                                                        3: multiple, wildcard
//   testautochild.dll  kTestAutoChildGuid (own base)    0: single, root, creates a root named "Auto Root"
//                                                        1: single, root, creates a derived named "Auto Derived"
//                                                        2: single, wildcard, creates kTestMissingGuid (never
//                                                           installed: "Couldn't initialize child")
//                                                        3: multiple, root, creates nothing
//   testcustom.dll     kTestCustomGuid  (own base)      PEX_CUSTOMCHANNELGET; 0: single, wildcard.
//                                                        GetChannelFromChannel answers the channel linked
//                                                        at its own position 0 (GetChild(0)).
//   testcounter.dll    kTestCounterGuid (own base)      0: multiple, wildcard. CallChannel calls every
//                                                        child it gets through GetChild.
//
// Every test channel counts its calls: cast it with AsTestChannel (NULL for other channels)
// and read the counts through the operations TestChannelCounts declares after the 13 of
// Tev_Channel. A test channel reports its own type when the engine cannot tell it.
#pragma once

#include "Tev_Channel.h"

inline constexpr _GUID kTestRootGuid = {0x7E57C401, 0x7E57, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
inline constexpr _GUID kTestDerivedGuid = {0x7E57C402, 0x7E57, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x02}};
inline constexpr _GUID kTestLinksGuid = {0x7E57C403, 0x7E57, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x03}};
inline constexpr _GUID kTestAutoChildGuid = {0x7E57C404, 0x7E57, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x04}};
inline constexpr _GUID kTestCustomGuid = {0x7E57C405, 0x7E57, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x05}};
inline constexpr _GUID kTestCounterGuid = {0x7E57C406, 0x7E57, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x06}};
// No plug-in has this type.
inline constexpr _GUID kTestMissingGuid = {0x7E57C4FF, 0x7E57, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0xFF}};

// Module names, without directory.
#define TEST_ROOT_DLL "testroot.dll"
#define TEST_DERIVED_DLL "testderived.dll"
#define TEST_LINKS_DLL "testlinks.dll"
#define TEST_AUTOCHILD_DLL "testautochild.dll"
#define TEST_CUSTOM_DLL "testcustom.dll"
#define TEST_COUNTER_DLL "testcounter.dll"

// When this environment variable names a file, every CallChannel appends the channel's type
// name and a line break to it.
#define TEST_CHANNEL_CALL_LOG_ENV "TARNWELL_TEST_CALL_LOG"
// When set, every logged call then sleeps this many milliseconds: a frame that does not return.
#define TEST_CHANNEL_CALL_SLEEP_ENV "TARNWELL_TEST_CALL_SLEEP_MS"

// Operations every test channel adds after the 13 of Tev_Channel, in this slot order.
class TestChannelCounts : public Tev_Channel {
public:
    virtual int GetCallCount() = 0;              // CallChannel calls
    virtual int GetPassCount() = 0;              // CallChannel calls for which CheckRenderCount said true
    virtual int GetEventCount() = 0;             // DoEvent calls
    virtual int GetLastEvent() = 0;              // event of the last DoEvent, -1 before
    virtual unsigned long GetLastEventData() = 0;
    virtual int GetOneTimeInitializeCount() = 0;
    virtual void ResetCounts() = 0;
};

// A test channel is recognised by its type GUID (Data2 and Data3 of the family).
inline TestChannelCounts* AsTestChannel(Tev_Channel* channel) {
    if (!channel) return nullptr;
    _GUID type = channel->GetChannelType().typeGuid;
    if (type.Data2 != 0x7E57 || type.Data3 != 0x4000) return nullptr;
    return static_cast<TestChannelCounts*>(channel);
}
