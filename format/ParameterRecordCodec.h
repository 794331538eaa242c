// Private: the stored form of a group's parameter record (56 bytes: 40-byte zero-terminated
// name, 16-byte type GUID), encoded field by field.
#pragma once

#include <cstddef>
#include <cstring>

#include "Tev_ChannelGroup.h"
#include "format/LittleEndian.h"

namespace parameterrecord {

inline constexpr size_t kSize = 56;
inline constexpr size_t kNameSize = sizeof(ParameterInterfaceInfo::name);
inline constexpr const char* kEmptyName = "NoInterface";  // stands for an empty position

inline void Encode(const ParameterInterfaceInfo& info, unsigned char* out) {
    size_t length = strnlen(info.name, kNameSize);
    std::memcpy(out, info.name, length);
    std::memset(out + length, 0, kNameSize - length);
    littleendian::PutGuid(out + kNameSize, info.typeGuid);
}

inline void EncodeEmpty(unsigned char* out) {
    ParameterInterfaceInfo empty;
    std::memset(&empty, 0, sizeof(empty));
    std::memcpy(empty.name, kEmptyName, std::strlen(kEmptyName));
    Encode(empty, out);
}

inline ParameterInterfaceInfo Decode(const unsigned char* in) {
    ParameterInterfaceInfo info;
    std::memcpy(info.name, in, kNameSize);
    info.name[kNameSize - 1] = 0;
    info.typeGuid = littleendian::GetGuid(in + kNameSize);
    return info;
}

}  // namespace parameterrecord
