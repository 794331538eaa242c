// channel.lst: the cache of the channel type list, read through the reader channel of
// fileloader.dll and written through the writer channel. Records are encoded field by
// field, little-endian, so the file does not depend on the in-memory layout.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ChannelList.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FileLoaderChannels.h"
#include "foundation/InstallLayout.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace {

const char* const kMsgDamaged =
    "ChannelList::LoadChannelList: channel.lst is damaged; the channel list is rebuilt from the channels directory";
const char* const kSaveErrorName = "Save Error";

constexpr size_t kTypeRecordSize = 132;
constexpr size_t kDirBlockSize = 260;
constexpr size_t kSaveErrorBlockSize = 20;
// Smallest entry: CHIX, CHTY and a CHFN holding only its terminator (tag, size, data each).
constexpr unsigned long kMinEntrySize = (4 + 4 + 4) + (4 + 4 + kTypeRecordSize) + (4 + 4 + 1);

static_assert(sizeof(ChannelType) == kTypeRecordSize, "the record size is the file's");

void PutU32(unsigned char* out, uint32_t v) {
    for (int i = 0; i < 4; i++) out[i] = static_cast<unsigned char>(v >> (8 * i));
}
void PutU16(unsigned char* out, uint16_t v) {
    out[0] = static_cast<unsigned char>(v);
    out[1] = static_cast<unsigned char>(v >> 8);
}
uint32_t GetU32(const unsigned char* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}
uint16_t GetU16(const unsigned char* in) { return static_cast<uint16_t>(in[0] | in[1] << 8); }

void PutGuid(unsigned char* out, const _GUID& g) {
    PutU32(out, g.Data1);
    PutU16(out + 4, g.Data2);
    PutU16(out + 6, g.Data3);
    std::memcpy(out + 8, g.Data4, 8);
}
_GUID GetGuid(const unsigned char* in) {
    _GUID g;
    g.Data1 = GetU32(in);
    g.Data2 = GetU16(in + 4);
    g.Data3 = GetU16(in + 6);
    std::memcpy(g.Data4, in + 8, 8);
    return g;
}

void EncodeType(const ChannelType& t, unsigned char* out) {
    std::memcpy(out, t.typeName, 80);
    PutGuid(out + 80, t.typeGuid);
    PutGuid(out + 96, t.baseGuid);
    for (int i = 0; i < 3; i++) PutU32(out + 112 + 4 * i, static_cast<uint32_t>(t.versionInfo[i]));
    PutU32(out + 124, static_cast<uint32_t>(t.reserved1));
    PutU32(out + 128, static_cast<uint32_t>(t.reserved2));
}
ChannelType DecodeType(const unsigned char* in) {
    ChannelType t;
    std::memcpy(t.typeName, in, 80);
    t.typeName[79] = 0;
    t.typeGuid = GetGuid(in + 80);
    t.baseGuid = GetGuid(in + 96);
    for (int i = 0; i < 3; i++) t.versionInfo[i] = static_cast<int32_t>(GetU32(in + 112 + 4 * i));
    t.reserved1 = static_cast<int32_t>(GetU32(in + 124));
    t.reserved2 = static_cast<int32_t>(GetU32(in + 128));
    return t;
}

// Reads the block of the tag at the read position, which must be exactly `size` bytes.
bool ReadFixedBlock(Pex_FileLoaderChannel* reader, const char* tag, void* dest, unsigned long size) {
    if (!reader->GetInfoIfTag(tag)) return false;
    if (reader->GetSizeDataBlock(false) != size) return false;
    return reader->CopyTagDataToBuffer(dest, size);
}

// Reads a block of 1..capacity bytes that holds a terminated text.
bool ReadTextBlock(Pex_FileLoaderChannel* reader, const char* tag, char* dest, unsigned long capacity) {
    if (!reader->GetInfoIfTag(tag)) return false;
    const unsigned long size = reader->GetSizeDataBlock(false);
    if (size == 0 || size > capacity) return false;
    std::memset(dest, 0, capacity);
    if (!reader->CopyTagDataToBuffer(dest, capacity)) return false;
    return std::memchr(dest, 0, size) != nullptr;
}

bool IsAbsolute(const char* path) {
    return path[0] == '\\' || path[0] == '/' || (path[0] && path[1] == ':');
}

// Whether the module file exists; a relative path counts from the install directory.
bool ModuleOnDisk(const char* path, const char* installDir) {
    if (IsAbsolute(path)) return platform::FileExists(path);
    return platform::FileExists(installlayout::Path(installDir, path).c_str());
}

// The channel made by fileloader.dll, deleted with the holder.
struct ReaderHolder {
    Tev_Channel* channel = nullptr;
    ~ReaderHolder() { delete channel; }
};

// Staged entries of the file: nothing reaches the list unless the whole file is sound.
struct ChannelListCache {
    enum Result { kUsed, kEmpty, kForeign, kDamaged };
    std::vector<std::unique_ptr<ChannelListItem>> entries;
};

// Entries are read into `cache`; indices, GUIDs and sizes are checked against the file.
ChannelListCache::Result ParseCache(Pex_FileLoaderChannel* reader, const char* installDir, ChannelListCache& cache) {
    unsigned char word[4];
    if (!ReadFixedBlock(reader, "CLCC", word, 4)) return ChannelListCache::kDamaged;
    const int32_t count = static_cast<int32_t>(GetU32(word));
    if (count == 0) return ChannelListCache::kEmpty;
    // A count the file cannot hold is damage, not a size to allocate.
    if (count < 0 || static_cast<unsigned long>(count) > reader->GetBufferSize() / kMinEntrySize)
        return ChannelListCache::kDamaged;

    cache.entries.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; i++) {
        std::unique_ptr<ChannelListItem> entry(new ChannelListItem());
        unsigned char record[kTypeRecordSize];
        char path[MAX_PATH];
        if (!ReadFixedBlock(reader, "CHIX", word, 4)) return ChannelListCache::kDamaged;
        const int32_t index = static_cast<int32_t>(GetU32(word));
        if (!ReadFixedBlock(reader, "CHTY", record, kTypeRecordSize)) return ChannelListCache::kDamaged;
        if (!ReadTextBlock(reader, "CHFN", path, sizeof(path))) return ChannelListCache::kDamaged;
        if (index < 0 || index >= count || cache.entries[static_cast<size_t>(index)])
            return ChannelListCache::kDamaged;
        entry->index = index;
        entry->channelType = DecodeType(record);
        for (const auto& other : cache.entries)
            if (other && other->channelType.typeGuid == entry->channelType.typeGuid) return ChannelListCache::kDamaged;
        entry->fileName.SetString(path);
        entry->onDisk = path[0] && ModuleOnDisk(path, installDir);
        cache.entries[static_cast<size_t>(index)] = std::move(entry);
    }

    if (reader->CheckHeader("CHDI", false)) {
        char dir[kDirBlockSize];
        if (!ReadTextBlock(reader, "CHDI", dir, sizeof(dir))) return ChannelListCache::kDamaged;
        // The block holds at most 259 characters of the directory.
        if (platform::StrNICmp(dir, installDir, kDirBlockSize - 1) != 0) return ChannelListCache::kForeign;
    }
    return ChannelListCache::kUsed;
}

}  // namespace

bool ChannelList::LoadChannelList() {
    if (!engineInterface || !engineInterface->engineInterfaceExt) return false;
    const std::string installDir = engineInterface->GetInstallDir();
    const std::string listPath = installlayout::Path(installDir.c_str(), installlayout::kChannelListFile);
    const std::string loaderPath =
        installlayout::Path(installDir.c_str(), installlayout::kChannelsDir, installlayout::kReaderModule);

    ReaderHolder holder;
    DllInterface* object = engineInterface->engineInterfaceExt->GetDLLInstance(loaderPath.c_str());
    if (!object) return false;
    holder.channel = static_cast<Tev_Channel*>(object);
    // Only the reader channel answers the reader's operations.
    if (holder.channel->GetChannelType().typeGuid != TEV_FILELOADER_TYPE) return false;
    Pex_FileLoaderChannel* reader = static_cast<Pex_FileLoaderChannel*>(holder.channel);
    if (!reader->LoadFile(listPath.c_str())) return true;  // no cache yet

    ChannelListCache cache;
    switch (ParseCache(reader, installDir.c_str(), cache)) {
    case ChannelListCache::kEmpty:
        return true;
    case ChannelListCache::kForeign:
        Release();
        return false;
    case ChannelListCache::kDamaged:
        engineInterface->showErrorMessage(kMsgDamaged);
        return false;
    default:
        break;
    }
    Release();
    for (auto& entry : cache.entries) {
        const int index = entry->index;
        itemList.SetItem(entry.release(), index);
    }
    return true;
}

bool ChannelList::SaveChannelList() {
    if (!engineInterface) return false;
    const char* installDir = engineInterface->GetInstallDir();
    // Without an install directory there is no place for the cache.
    if (!installDir || !installDir[0]) return false;
    Tev_Channel* channel = engineInterface->InitChannelFromType(TEV_FILESAVER_TYPE, nullptr, false);
    if (!channel) return false;
    Pex_FileSaverChannel* writer = static_cast<Pex_FileSaverChannel*>(channel);
    const std::string listPath = installlayout::Path(installDir, installlayout::kChannelListFile);
    writer->OpenSaveFile(listPath.c_str(), false);

    int count = 0;
    for (int i = 0; i < itemList.GetItemCount(); i++)
        if (GetItem(i)) count++;
    unsigned char word[4];
    PutU32(word, static_cast<uint32_t>(count));
    writer->SaveTag("CLCC");
    writer->SaveBlockSize(4);
    writer->SaveDataToFile(word, 4);
    for (int i = 0; i < itemList.GetItemCount(); i++) {
        ChannelListItem* item = GetItem(i);
        if (!item) continue;
        PutU32(word, static_cast<uint32_t>(item->index));
        writer->SaveTag("CHIX");
        writer->SaveBlockSize(4);
        writer->SaveDataToFile(word, 4);
        unsigned char record[kTypeRecordSize];
        EncodeType(item->channelType, record);
        writer->SaveTag("CHTY");
        writer->SaveBlockSize(kTypeRecordSize);
        writer->SaveDataToFile(record, kTypeRecordSize);
        const char* path = item->fileName.GetString();
        writer->SaveTag("CHFN");
        if (path && path[0]) {
            const unsigned long length = static_cast<unsigned long>(std::strlen(path)) + 1;
            writer->SaveBlockSize(length);
            writer->SaveDataToFile(path, length);
        } else {
            char saveError[kSaveErrorBlockSize] = {};
            platform::CopyText(saveError, kSaveErrorName);
            writer->SaveBlockSize(kSaveErrorBlockSize);
            writer->SaveDataToFile(saveError, kSaveErrorBlockSize);
        }
    }
    char dir[kDirBlockSize] = {};
    platform::CopyText(dir, installDir);
    writer->SaveTag("CHDI");
    writer->SaveBlockSize(kDirBlockSize);
    writer->SaveDataToFile(dir, kDirBlockSize);
    writer->CloseSaveFile();
    delete channel;
    return true;
}
