// Private, header-only: the compressed layer of a group file. The writer plug-in puts it in front
// of a group when compression is on; the compression translator (channels/compress.dll) removes it
// when a reader meets the "KORF" block that names it.
//
//   "KORF" [16 bytes: kTranslatorGuid]
//   kLayer [block: the layer record below, then the zlib stream (RFC 1950, Adler-32 checked)]
//
// The stream holds the group file exactly as it is written without compression.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

#include "FileLoaderChannels.h"
#include "TarnwellTypes.h"
#include "format/FieldTable.h"

namespace compressedlayer {

// {6A1F0C3E-2B7D-4E19-9C5A-3D80E4B71C26}
inline constexpr _GUID kTranslatorGuid = {
    0x6A1F0C3E, 0x2B7D, 0x4E19, {0x9C, 0x5A, 0x3D, 0x80, 0xE4, 0xB7, 0x1C, 0x26}};

inline constexpr char kLayer[] = "ZLIB";

// The layer record at the start of the kLayer block.
constexpr size_t kVersionAt = 0;
constexpr size_t kPlainSizeAt = 4;
constexpr size_t kStreamAt = 8;  // the zlib stream fills the rest of the block
constexpr uint32_t kVersion = 1;

// The largest plain content: a group the kernel takes at all (group buffers have int sizes).
constexpr uint32_t kMaxPlainSize = INT_MAX;
// Deflate cannot expand data more than about 1032 to 1: a declared size beyond that many times
// the stream is a lie, refused before any memory is taken for it.
constexpr uint64_t kMaxExpansion = 1032;

// The writer channel's compression switch, a property set through DoEvent(kCompressEvent, level)
// so that the writer's exported operations stay as they are: level 1 to 9 (zlib's levels) turns
// it on, 0 off. Without it the registry value decides for the whole engine. Hosts know it by its
// public name.
constexpr int kCompressEvent = TEV_FILESAVER_COMPRESS_EVENT;
inline constexpr char kRegistryValue[] = "CompressGroupFiles";  // "Yes": compress, anything else: not
constexpr int kDefaultLevel = 6;

static_assert(kStreamAt == kPlainSizeAt + formattable::kIntWidth, "the stream follows the record");

}  // namespace compressedlayer
