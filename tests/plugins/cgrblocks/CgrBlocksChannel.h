// cgrblocks.dll: a channel (type kCgrBlocksGuid) whose record carries blocks of its own
// before and after the kernel's part: a tag with two blocks, a tag alone, an empty block.
#pragma once

#include "TarnwellTypes.h"

inline constexpr _GUID kCgrBlocksGuid = {0x7E57C4C0, 0x7E57, 0x4001, {0x80, 0, 0, 0, 0, 0, 0, 0xC0}};
#define CGR_BLOCKS_DLL "cgrblocks.dll"
