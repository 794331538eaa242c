#include "foundation/TaggedBlocks.h"

#include <algorithm>
#include <cstring>

#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "format/LittleEndian.h"

namespace tagblock {

void WriteTagOnly(TevFileSaver& saver, const char* tag) { saver.SaveTag(tag); }

void WriteBytes(TevFileSaver& saver, const char* tag, const void* data, size_t size) {
    saver.SaveTag(tag);
    saver.SaveBlockSize(static_cast<unsigned long>(size));
    if (size > 0) saver.SaveDataToFile(data, static_cast<unsigned long>(size));
}

void WriteInt(TevFileSaver& saver, const char* tag, int32_t value) {
    unsigned char bytes[4];
    littleendian::Put32(bytes, static_cast<uint32_t>(value));
    WriteBytes(saver, tag, bytes, sizeof(bytes));
}

void WriteFlag(TevFileSaver& saver, const char* tag, unsigned char value) {
    WriteBytes(saver, tag, &value, 1);
}

void WriteGuid(TevFileSaver& saver, const char* tag, const _GUID& guid) {
    unsigned char bytes[littleendian::kGuidSize];
    littleendian::PutGuid(bytes, guid);
    WriteBytes(saver, tag, bytes, sizeof(bytes));
}

void WriteText(TevFileSaver& saver, const char* tag, const char* text) {
    if (!text) text = "";
    WriteBytes(saver, tag, text, std::strlen(text) + 1);
}

size_t ReadBlock(TevFileLoader& loader, void* dest, size_t capacity) {
    // Entering the block makes the reader treat it as read, however much of it is copied.
    size_t size = loader.GetSizeDataBlock(true);
    const char* data = size > 0 ? loader.GetBuffer() : nullptr;
    if (data && dest && capacity > 0) std::memcpy(dest, data, std::min(size, capacity));
    return size;
}

int32_t ReadIntBlock(TevFileLoader& loader, int32_t fallback) {
    unsigned char bytes[4];
    littleendian::Put32(bytes, static_cast<uint32_t>(fallback));
    ReadBlock(loader, bytes, sizeof(bytes));
    return static_cast<int32_t>(littleendian::Get32(bytes));
}

bool ReadInt(TevFileLoader& loader, const char* tag, int32_t& value) {
    if (!loader.GetInfoIfTag(tag)) return false;
    value = ReadIntBlock(loader, value);
    return true;
}

bool ReadFlag(TevFileLoader& loader, const char* tag, unsigned char& value) {
    if (!loader.GetInfoIfTag(tag)) return false;
    ReadBlock(loader, &value, 1);
    return true;
}

bool ReadGuid(TevFileLoader& loader, const char* tag, _GUID& guid) {
    if (!loader.GetInfoIfTag(tag)) return false;
    unsigned char bytes[littleendian::kGuidSize];
    littleendian::PutGuid(bytes, guid);
    ReadBlock(loader, bytes, sizeof(bytes));
    guid = littleendian::GetGuid(bytes);
    return true;
}

size_t ReadText(TevFileLoader& loader, std::string& text) {
    size_t size = loader.GetSizeDataBlock(true);
    const char* data = size > 0 ? loader.GetBuffer() : nullptr;
    text.assign(data ? data : "", data ? strnlen(data, size) : 0);
    return size;
}

}  // namespace tagblock
