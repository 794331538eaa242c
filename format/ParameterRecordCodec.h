// Private: the stored form of a group's parameter record (56 bytes: 40-byte zero-terminated
// name, 16-byte type GUID), its field table, and its codec, encoded field by field.
#pragma once

#include <cstddef>
#include <cstring>

#include "Tev_ChannelGroup.h"
#include "format/FieldTable.h"
#include "format/LittleEndian.h"

namespace parameterrecord {

inline constexpr size_t kSize = 56;
inline constexpr size_t kNameAt = 0;
inline constexpr size_t kNameSize = 40;
inline constexpr size_t kTypeGuidAt = 40;
inline constexpr const char* kEmptyName = "NoInterface";  // stands for an empty position

inline constexpr formattable::Fields<2> kFields = {{
    {"name", kNameAt, kNameSize, formattable::FieldKind::Text, false},
    {"type", kTypeGuidAt, formattable::kGuidWidth, formattable::FieldKind::Guid, false},
}};
inline constexpr formattable::RecordLayout kLayout =
    formattable::Layout("ParameterInterfaceInfo", kSize, kFields);
static_assert(formattable::Tiles(kLayout), "the parameter record's fields tile it");
static_assert(sizeof(ParameterInterfaceInfo::name) == kNameSize, "the name field is the files'");

inline void Encode(const ParameterInterfaceInfo& info, unsigned char* out) {
    size_t length = strnlen(info.name, kNameSize);
    std::memcpy(out + kNameAt, info.name, length);
    std::memset(out + kNameAt + length, 0, kNameSize - length);
    littleendian::PutGuid(out + kTypeGuidAt, info.typeGuid);
}

inline void EncodeEmpty(unsigned char* out) {
    ParameterInterfaceInfo empty;
    std::memset(&empty, 0, sizeof(empty));
    std::memcpy(empty.name, kEmptyName, std::strlen(kEmptyName));
    Encode(empty, out);
}

inline ParameterInterfaceInfo Decode(const unsigned char* in) {
    ParameterInterfaceInfo info;
    std::memcpy(info.name, in + kNameAt, kNameSize);
    info.name[kNameSize - 1] = 0;
    info.typeGuid = littleendian::GetGuid(in + kTypeGuidAt);
    return info;
}

}  // namespace parameterrecord
