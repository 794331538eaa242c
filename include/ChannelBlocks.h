// A channel's own blocks in a group file: the blocks a plug-in writes after the kernel's
// channel record (Tev_Channel::SaveChannel) and reads back after it (Tev_Channel::LoadChannel).
// Every block is a four-letter tag, a size and the data; numbers are little-endian.
//
//   bool MyChannel::SaveChannel(TevFileSaver& saver) {
//       return Tev_Channel::SaveChannel(saver) && TevSaveInt32Block(saver, "MYCN", count);
//   }
//   bool MyChannel::LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) {
//       if (!Tev_Channel::LoadChannel(loader, group)) return false;
//       TevLoadInt32Block(loader, "MYCN", count);  // TEV_BLOCK_MISSING: count keeps its default
//       return true;
//   }
#pragma once

#include <cstdint>
#include <cstring>

#include "TevFileLoader.h"
#include "TevFileSaver.h"

// What reading one of a channel's own blocks found.
enum TevBlockRead {
    TEV_BLOCK_READ = 0,        // there, of the expected size, copied
    TEV_BLOCK_MISSING = 1,     // the next block has another tag (an older file): nothing consumed
    TEV_BLOCK_WRONG_SIZE = 2,  // there, but of another size (another version): passed over, not copied
    TEV_BLOCK_FAILED = 3       // there, but the reader could not copy it
};

// Writes one block; false when any of its three writes failed (the group's save then fails).
inline bool TevSaveBlock(TevFileSaver& saver, const char* tag, const void* data, unsigned long size) {
    return saver.SaveTag(tag) && saver.SaveBlockSize(size) && (size == 0 || saver.SaveDataToFile(data, size));
}

// Reads the block `tag` when it is the next one, exactly `size` bytes into `data`.
inline TevBlockRead TevLoadBlock(TevFileLoader& loader, const char* tag, void* data, unsigned long size) {
    if (!loader.GetInfoIfTag(tag)) return TEV_BLOCK_MISSING;
    if (loader.GetSizeDataBlock(false) != size) return TEV_BLOCK_WRONG_SIZE;
    if (size == 0) return TEV_BLOCK_READ;
    return loader.CopyTagDataToBuffer(data, size) ? TEV_BLOCK_READ : TEV_BLOCK_FAILED;
}

inline void TevEncodeUInt32(uint32_t value, unsigned char* out) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

inline uint32_t TevDecodeUInt32(const unsigned char* in) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(in[i]) << (8 * i);
    return value;
}

inline bool TevSaveInt32Block(TevFileSaver& saver, const char* tag, int32_t value) {
    unsigned char bytes[4];
    TevEncodeUInt32(static_cast<uint32_t>(value), bytes);
    return TevSaveBlock(saver, tag, bytes, sizeof(bytes));
}

// `value` is changed only when the block was read.
inline TevBlockRead TevLoadInt32Block(TevFileLoader& loader, const char* tag, int32_t& value) {
    unsigned char bytes[4];
    const TevBlockRead result = TevLoadBlock(loader, tag, bytes, sizeof(bytes));
    if (result == TEV_BLOCK_READ) value = static_cast<int32_t>(TevDecodeUInt32(bytes));
    return result;
}

// `count` floats (at most 16) as one block of 4 * count bytes.
enum { TEV_MAX_FLOAT_BLOCK = 16 };

inline bool TevSaveFloatBlock(TevFileSaver& saver, const char* tag, const float* values, int count) {
    if (count < 0 || count > TEV_MAX_FLOAT_BLOCK) return false;
    unsigned char bytes[4 * TEV_MAX_FLOAT_BLOCK];
    for (int i = 0; i < count; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &values[i], 4);
        TevEncodeUInt32(bits, bytes + 4 * i);
    }
    return TevSaveBlock(saver, tag, bytes, static_cast<unsigned long>(4 * count));
}

// `values` are changed only when the block was read whole.
inline TevBlockRead TevLoadFloatBlock(TevFileLoader& loader, const char* tag, float* values, int count) {
    if (count < 0 || count > TEV_MAX_FLOAT_BLOCK) return TEV_BLOCK_FAILED;
    unsigned char bytes[4 * TEV_MAX_FLOAT_BLOCK];
    const TevBlockRead result = TevLoadBlock(loader, tag, bytes, static_cast<unsigned long>(4 * count));
    if (result != TEV_BLOCK_READ) return result;
    for (int i = 0; i < count; ++i) {
        const uint32_t bits = TevDecodeUInt32(bytes + 4 * i);
        std::memcpy(&values[i], &bits, 4);
    }
    return result;
}
