// A link position of a channel: which type it accepts and whether it takes one child or many.
#pragma once

#include <cstring>

#include "ChannelType.h"
#include "ChildInfo.h"
#include "TarnwellTypes.h"

#define CHILDCREATION_LINKNAME_SIZE 102

struct ChildCreation {
    ChannelType channelType;  // accepted type; its typeGuid is the accepted GUID (wildcard by default)
    int requestLink;          // -1: any number of children; else one child, unique among the positions
    unsigned char reservedFlag;  // not taken over by SetChildCreateType; always 0 when stored
    unsigned char createChild;   // create a child here when the channel is created with its children
    char linkName[CHILDCREATION_LINKNAME_SIZE];  // name of an automatically created child
    _GUID createChildGuid;    // type of the automatically created child; null: the accepted type
    ChildInfo* childInfo;     // the position's head entry; owned by the child list
    int linkOption;           // copied with the position; not interpreted by the kernel

    ChildCreation()
        : requestLink(-1), reservedFlag(0), createChild(0), createChildGuid(TEV_NULL_GUID),
          childInfo(nullptr), linkOption(1) {
        channelType.typeName[0] = 0;
        channelType.typeGuid = TEV_WILDCARD_GUID;
        channelType.baseGuid = TEV_WILDCARD_GUID;
        std::memset(linkName, 0, sizeof(linkName));
    }

    TEV_SLAB_RECORD_OPERATORS
};
