// Private: the 132-byte ChannelType record as stored in files (channel.lst, group files),
// encoded field by field, little-endian, at the offsets below.
#pragma once

#include <cstddef>

#include "ChannelType.h"
#include "format/FieldTable.h"

namespace channeltyperecord {

constexpr size_t kSize = 132;
constexpr size_t kNameSize = 80;  // the type name, at offset 0
constexpr size_t kTypeGuidAt = 80;
constexpr size_t kBaseGuidAt = 96;
constexpr size_t kVersionsAt = 112;  // three 32-bit version numbers
constexpr size_t kVersionSize = formattable::kIntWidth;
constexpr size_t kReserved1At = 124;
constexpr size_t kReserved2At = 128;

// clang-format off
inline constexpr formattable::Fields<8> kFields = {{
    {"typeName", 0, kNameSize, formattable::FieldKind::Text, false},
    {"typeGuid", kTypeGuidAt, formattable::kGuidWidth, formattable::FieldKind::Guid, false},
    {"baseGuid", kBaseGuidAt, formattable::kGuidWidth, formattable::FieldKind::Guid, false},
    {"version1", kVersionsAt, kVersionSize, formattable::FieldKind::Int32, false},
    {"version2", kVersionsAt + kVersionSize, kVersionSize, formattable::FieldKind::Int32, false},
    {"version3", kVersionsAt + 2 * kVersionSize, kVersionSize, formattable::FieldKind::Int32, false},
    {"reserved1", kReserved1At, formattable::kIntWidth, formattable::FieldKind::Int32, false},
    {"reserved2", kReserved2At, formattable::kIntWidth, formattable::FieldKind::Int32, false},
}};
// clang-format on
inline constexpr formattable::RecordLayout kLayout = formattable::Layout("ChannelType", kSize, kFields);
static_assert(formattable::Tiles(kLayout), "the type record's fields tile it");

// Besides this kernel's interface version (TEV_CHANNEL_INTERFACE_VERSION), the one it still reads.
constexpr int kOlderInterfaceVersion = 43;

// Whether a type record's second version number is one the kernel takes.
inline bool AcceptsInterface(const ChannelType& type) {
    return type.versionInfo[1] == TEV_CHANNEL_INTERFACE_VERSION ||
           type.versionInfo[1] == kOlderInterfaceVersion;
}

void Encode(const ChannelType& type, unsigned char* out);  // writes kSize bytes
// Reads kSize bytes; the name is terminated whatever the file holds.
ChannelType Decode(const unsigned char* in);

}  // namespace channeltyperecord
