// Private: the little-endian encoding of integers and GUIDs in stored records, independent of
// the host's byte order and of how a compiler lays out a struct.
#pragma once

#include <cstdint>

#include "TarnwellTypes.h"

namespace le {

inline constexpr unsigned kGuidSize = 16;

inline void Put32(unsigned char* p, uint32_t value) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

inline uint32_t Get32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline void PutInt(unsigned char* p, int32_t value) { Put32(p, static_cast<uint32_t>(value)); }

inline int32_t GetInt(const unsigned char* p) { return static_cast<int32_t>(Get32(p)); }

inline void Put16(unsigned char* p, uint16_t value) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
}

inline uint16_t Get16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | static_cast<uint16_t>(p[1]) << 8);
}

// A GUID in its usual in-memory layout: Data1, Data2, Data3 little-endian, then Data4 as is.
inline void PutGuid(unsigned char* p, const _GUID& guid) {
    Put32(p, guid.Data1);
    Put16(p + 4, guid.Data2);
    Put16(p + 6, guid.Data3);
    for (int i = 0; i < 8; i++) p[8 + i] = guid.Data4[i];
}

inline _GUID GetGuid(const unsigned char* p) {
    _GUID guid;
    guid.Data1 = Get32(p);
    guid.Data2 = Get16(p + 4);
    guid.Data3 = Get16(p + 6);
    for (int i = 0; i < 8; i++) guid.Data4[i] = p[8 + i];
    return guid;
}

}  // namespace le
