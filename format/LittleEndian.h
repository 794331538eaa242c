// Private, header-only: the little-endian codec of every stored format. The kernel and the
// reader and writer plug-ins build against this one copy.
#pragma once

#include <cstdint>
#include <cstring>

#include "TarnwellTypes.h"

namespace littleendian {

inline uint16_t Get16(const unsigned char* in) { return static_cast<uint16_t>(in[0] | in[1] << 8); }

inline uint32_t Get32(const unsigned char* in) {
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
           static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

inline void Put16(unsigned char* out, uint16_t value) {
    out[0] = static_cast<unsigned char>(value);
    out[1] = static_cast<unsigned char>(value >> 8);
}

inline void Put32(unsigned char* out, uint32_t value) {
    for (int i = 0; i < 4; i++) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

inline void PutInt(unsigned char* out, int32_t value) { Put32(out, static_cast<uint32_t>(value)); }

inline int32_t GetInt(const unsigned char* in) { return static_cast<int32_t>(Get32(in)); }

// A _GUID takes 16 bytes: Data1, Data2, Data3 little-endian, then Data4 as it stands.
constexpr size_t kGuidSize = 16;

inline void PutGuid(unsigned char* out, const _GUID& guid) {
    Put32(out, guid.Data1);
    Put16(out + 4, guid.Data2);
    Put16(out + 6, guid.Data3);
    std::memcpy(out + 8, guid.Data4, 8);
}

inline _GUID GetGuid(const unsigned char* in) {
    _GUID guid;
    guid.Data1 = Get32(in);
    guid.Data2 = Get16(in + 4);
    guid.Data3 = Get16(in + 6);
    std::memcpy(guid.Data4, in + 8, 8);
    return guid;
}

}  // namespace littleendian
