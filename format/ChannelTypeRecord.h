// Private: the 132-byte ChannelType record as stored in files (channel.lst, group files),
// encoded field by field, little-endian, at the offsets below.
#pragma once

#include <cstddef>

#include "ChannelType.h"

namespace channeltyperecord {

constexpr size_t kSize = 132;
constexpr size_t kNameSize = 80;  // the type name, at offset 0
constexpr size_t kTypeGuidAt = 80;
constexpr size_t kBaseGuidAt = 96;
constexpr size_t kVersionsAt = 112;  // three 32-bit version numbers
constexpr size_t kReserved1At = 124;
constexpr size_t kReserved2At = 128;

void Encode(const ChannelType& type, unsigned char* out);  // writes kSize bytes
// Reads kSize bytes; the name is terminated whatever the file holds.
ChannelType Decode(const unsigned char* in);

}  // namespace channeltyperecord
