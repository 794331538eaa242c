// Link records of the channel graph: parameter, deferred link request, public call target,
// and the dependency entry of a channel type.
#pragma once

#include <cstring>

#include "ChildCreation.h"
#include "TarnwellTypes.h"
#include "Tev_List.h"

class Tev_Channel;

// Owned by a parameter channel: which parameter of its group it stands for.
struct ParameterInfo {
    int index = 0;
};

// Handed to the group when a link's child is not loaded yet.
struct ChannelRequestInfo {
    int channelIndex = -1;          // group index of the awaited child
    int targetChannel = -1;         // the slot
    Tev_Channel* channel = nullptr; // the parent
    int linkPosition = -1;
};

#define PUBLICCALL_NAME_SIZE 80
#define PUBLICCALL_FILE_SIZE 260

// Target of a public call channel: which public channel of which group it stands for.
struct PublicCallInfo {
    char channelName[PUBLICCALL_NAME_SIZE];
    char poolName[PUBLICCALL_NAME_SIZE];
    char fileName[PUBLICCALL_FILE_SIZE];  // relative to the public call's own group file
    int requestedPublicChannelNr;         // pool number of the wanted group
    bool autoLoadGroup;                   // excludes dynamicAutoLoadGroup
    int dynamicAutoLoadGroup;             // used as bool; excludes autoLoadGroup
    ChildCreation childCreation;          // placeholder position while the target is unreachable

    PublicCallInfo() : requestedPublicChannelNr(0), autoLoadGroup(true), dynamicAutoLoadGroup(0) {
        std::memset(channelName, 0, sizeof(channelName));
        std::memset(poolName, 0, sizeof(poolName));
        std::memset(fileName, 0, sizeof(fileName));
        std::strncpy(channelName, "No Name", sizeof(channelName) - 1);
        std::strncpy(poolName, "No Pool", sizeof(poolName) - 1);
        std::strncpy(fileName, "No File", sizeof(fileName) - 1);
    }
};

// One channel type a project relies on, with the extra DLLs that type needs.
class TARNWELL_API ChannelDependency {
public:
    explicit ChannelDependency(const _GUID& type);
    ~ChannelDependency();  // frees every DLL name

    _GUID channelTypeGuid;
    Tev_List dllNames;  // Tev_String*, owned, in the order added
};
