// Type acceptance at a link position: the accepted GUID names the type itself, its base
// (one level only) or is the wildcard.
#pragma once

#include "ChannelType.h"
#include "TarnwellTypes.h"

namespace channelmatch {

inline bool Accepts(const _GUID& accepted, const ChannelType& type) {
    return accepted == type.baseGuid || accepted == type.typeGuid || accepted == TEV_WILDCARD_GUID;
}

// A child matches a GUID by its own type or its base.
inline bool Matches(const ChannelType& type, const _GUID& guid) {
    return type.typeGuid == guid || type.baseGuid == guid;
}

}  // namespace channelmatch
