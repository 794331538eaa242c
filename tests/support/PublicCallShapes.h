// Group files of public calls in numbers, saved through the kernel: a chain of groups each
// autoloading the next, and one group of many calls that wait for a group nobody loads. Uses
// the test channel family (TARNWELL_TEST_CHANNELS_DIR).
#pragma once

#include <cstring>
#include <filesystem>
#include <string>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/TempDir.h"

namespace tarnwell_test {

// Where to write many files: in memory when the system has such a directory, as the writer's
// sync of every file to disk would take longer than the loads being measured.
inline std::string ManyFilesParent() {
    std::error_code failed;
    return std::filesystem::is_directory("/dev/shm", failed) ? "/dev/shm" : TempRoot();
}

inline std::string ChainPool(int k) { return "G" + std::to_string(k); }
inline std::string ChainFile(int k) { return "g" + std::to_string(k) + ".cgr"; }

// A public call in `group` for channel "Out" of `pool`, with a root child "Light" at its link
// position 0. The child is linked while autoload is off and the flag set afterwards, so that
// neither linking nor saving loads the target: the call waits in its placeholder.
inline Tev_Channel* AddWaitingCall(EngineInterface* api, Tev_ChannelGroup* group, const std::string& pool,
                                   const std::string& file, bool autoload) {
    Tev_Channel* call = api->InitChannelFromType(kTestCounterGuid, group, false);
    Tev_Channel* light = api->InitChannelFromType(kTestRootGuid, group, false);
    if (!call || !light) return nullptr;
    call->SetChannelName("Next");
    light->SetChannelName("Light");
    call->SetChannelInterfaceType(PEX_PUBLICCALL);
    PublicCallInfo info;
    std::strncpy(info.poolName, pool.c_str(), sizeof(info.poolName) - 1);
    std::strcpy(info.channelName, "Out");
    std::strncpy(info.fileName, file.c_str(), sizeof(info.fileName) - 1);
    info.autoLoadGroup = false;
    channelInternal.SetPublicCallInfo(call, info);
    call->SetChild(light, -1, 0);
    channelInternal.SetAutoLoadGroup(call, autoload);
    return call;
}

// A group of pool `pool` with parameter 0 "Light" (a root) and the public counter "Out".
inline Tev_ChannelGroup* NewCalledGroup(EngineInterface* api, const std::string& pool) {
    Tev_ChannelGroup* group = api->CreateNewGroup(pool.c_str(), false, 0);
    if (!group) return nullptr;
    ParameterInterfaceInfo parameter{};
    std::strcpy(parameter.name, "Light");
    parameter.typeGuid = kTestRootGuid;
    group->AddParameterInfo(parameter);
    Tev_Channel* out = api->InitChannelFromType(kTestCounterGuid, group, false);
    if (!out) return nullptr;
    out->SetChannelName("Out");
    out->SetChannelInterfaceType(PEX_PUBLIC);
    return group;
}

// dir/g0.cgr ... dir/g<length-1>.cgr: group k (pool "G<k>") offers "Out", which calls a public
// call into group k+1 with autoload; the last group calls nothing. Loading g0 links each call's
// child, which wants the next group while its own loads.
inline bool SaveAutoloadChain(EngineInterface* api, const std::string& dir, int length) {
    for (int k = 0; k < length; ++k) {
        Tev_ChannelGroup* group = NewCalledGroup(api, ChainPool(k));
        if (!group) return false;
        if (k + 1 < length) {
            Tev_Channel* call = AddWaitingCall(api, group, ChainPool(k + 1), ChainFile(k + 1), true);
            if (!call) return false;
            group->GetChannel("Out")->SetChild(call, -1, 0);
        }
        const bool saved = group->SaveChannelGroup((dir + "/" + ChainFile(k)).c_str());
        api->DeleteChannelGroup(group->GetGroupIndex());
        if (!saved) return false;
    }
    return true;
}

// One group (pool "Waiting") of `calls` public calls into pool "Absent", autoload off, each
// with its own child waiting in the placeholder.
inline bool SaveWaitingCalls(EngineInterface* api, const std::string& path, int calls) {
    Tev_ChannelGroup* group = api->CreateNewGroup("Waiting", false, 0);
    if (!group) return false;
    for (int i = 0; i < calls; ++i)
        if (!AddWaitingCall(api, group, "Absent", "absent.cgr", false)) return false;
    const bool saved = group->SaveChannelGroup(path.c_str());
    api->DeleteChannelGroup(group->GetGroupIndex());
    return saved;
}

// One file, pool "Self", whose `calls` public calls each want "Out" of that same file loaded
// under a pool name of its own ("P0", "P1", ...), with autoload and a child waiting: loading it
// loads the file once per pool name, and every copy waits for every other.
inline bool SaveSelfCalling(EngineInterface* api, const std::string& dir, int calls) {
    Tev_ChannelGroup* group = NewCalledGroup(api, "Self");
    if (!group) return false;
    for (int i = 0; i < calls; ++i) {
        Tev_Channel* call = AddWaitingCall(api, group, "P" + std::to_string(i), "self.cgr", true);
        if (!call) return false;
        group->GetChannel("Out")->SetChild(call, -1, 0);
    }
    const bool saved = group->SaveChannelGroup((dir + "/self.cgr").c_str());
    api->DeleteChannelGroup(group->GetGroupIndex());
    return saved;
}

}  // namespace tarnwell_test
