// A test plug-in that links a library carried beside it in 3rd/, built into
// <build>/tests/thirdlink/ as an install holds them:
//
//   channels/thirdlink.dll   kThirdLinkGuid, calls ThirdLinkValue() in every CallChannel
//   3rd/thirdvalue.dll       exports ThirdLinkValue(); the plug-in finds it through $ORIGIN/../3rd
#pragma once

#include "TarnwellTypes.h"

inline constexpr _GUID kThirdLinkGuid = {0x7E57D301, 0x7E57, 0x4D00, {0xA3, 0, 0, 0, 0, 0, 0, 0x01}};

#define THIRD_LINK_DLL "thirdlink.dll"
#define THIRD_LINK_VALUE_DLL "thirdvalue.dll"
