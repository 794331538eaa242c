// groupload.dll: a channel (type kGroupLoadGuid) that, once its record is read, loads the group
// file its name gives through EngineInterface::LoadChannelGroup, inside its own group's load.
#pragma once

#include "TarnwellTypes.h"

inline constexpr _GUID kGroupLoadGuid = {0x7E57C4C1, 0x7E57, 0x4001, {0x80, 0, 0, 0, 0, 0, 0, 0xC1}};
#define GROUP_LOAD_DLL "groupload.dll"
