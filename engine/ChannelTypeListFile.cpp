// channel.lst: the cache of the channel type list, written through the writer channel of
// fileloader.dll. The kernel reads it itself, by the same stream rules as the reader channel:
// mapping that module took longer than the rest of a start-up with a current cache. The
// cache is still read only where the reader module is installed. Records are encoded field by
// field, little-endian, so the file does not depend on the in-memory layout.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ChannelList.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FileLoaderChannels.h"
#include "engine/ModuleDirectory.h"
#include "format/ChannelTypeRecord.h"
#include "format/LittleEndian.h"
#include "format/TagFormat.h"
#include "format/TypeCacheFormat.h"
#include "foundation/InstallLayout.h"
#include "foundation/PathText.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace {

const char* const kMsgDamaged =
    "ChannelList::LoadChannelList: channel.lst is damaged; the channel list is rebuilt from the channels "
    "directory";
const char* const kSaveErrorName = "Save Error";

namespace tags = typecacheformat;

constexpr size_t kTypeRecordSize = channeltyperecord::kSize;
constexpr size_t kDirBlockSize = tags::kInstallDirSize;
constexpr size_t kSaveErrorBlockSize = 20;
// Smallest entry: CHIX, CHTY and a CHFN holding only its terminator (tag, size, data each).
constexpr unsigned long kMinEntrySize = (4 + 4 + 4) + (4 + 4 + kTypeRecordSize) + (4 + 4 + 1);

// FNV-1a over the data of the blocks: any one changed byte changes the sum, which is what a
// damaged cache looks like (a flipped bit in a GUID, a name, a version).
struct Checksum {
    uint32_t sum = 2166136261u;
    void Add(const void* data, size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; i++) sum = (sum ^ bytes[i]) * 16777619u;
    }
};

// The few reader operations the cache needs, over the file's bytes, with the reader
// channel's rules: blocks the caller did not read are skipped on the way to the next tag,
// and a word that is neither tag nor size ends the readable stream.
class CacheReader {
public:
    bool LoadFile(const char* path) {
        pos = 0;
        return platform::ReadWholeFile(path, bytes);
    }
    unsigned long GetBufferSize() const { return static_cast<unsigned long>(bytes.size() - pos); }
    bool CheckHeader(const char* tag, bool consume) {
        size_t at = pos;
        if (!SkipBlocks(at) ||
            tagformat::ClassifyWord(bytes.data(), bytes.size(), at) != tagformat::WordKind::Tag ||
            std::memcmp(bytes.data() + at, tag, tagformat::kWordSize) != 0)
            return false;
        if (consume) pos = at + tagformat::kWordSize;
        return true;
    }
    bool GetInfoIfTag(const char* tag) { return CheckHeader(tag, true); }
    unsigned long GetSizeDataBlock(bool) const {
        size_t start, size;
        return NextBlock(start, size) ? static_cast<unsigned long>(size) : 0;
    }
    bool CopyTagDataToBuffer(void* dest, unsigned long capacity) {
        size_t start, size;
        if (!NextBlock(start, size) || size > capacity) return false;
        if (size > 0) std::memcpy(dest, bytes.data() + start, size);
        pos = start + size;
        return true;
    }

private:
    bool SkipBlocks(size_t& at) const {
        while (tagformat::ClassifyWord(bytes.data(), bytes.size(), at) == tagformat::WordKind::Size) {
            const size_t size = littleendian::Get32(bytes.data() + at);
            if (size > bytes.size() - at - tagformat::kWordSize) return false;
            at += tagformat::kWordSize + size;
        }
        return true;
    }
    bool NextBlock(size_t& start, size_t& size) const {
        if (tagformat::ClassifyWord(bytes.data(), bytes.size(), pos) != tagformat::WordKind::Size)
            return false;
        size = littleendian::Get32(bytes.data() + pos);
        if (size > bytes.size() - pos - tagformat::kWordSize) return false;
        start = pos + tagformat::kWordSize;
        return true;
    }

    std::vector<unsigned char> bytes;
    size_t pos = 0;
};

// Reads the block of the tag at the read position, which must be exactly `size` bytes.
bool ReadFixedBlock(CacheReader* reader, const char* tag, void* dest, unsigned long size,
                    Checksum& checksum) {
    if (!reader->GetInfoIfTag(tag)) return false;
    if (reader->GetSizeDataBlock(false) != size) return false;
    if (!reader->CopyTagDataToBuffer(dest, size)) return false;
    checksum.Add(dest, size);
    return true;
}

// Reads a block of 1..capacity bytes that holds a terminated text.
bool ReadTextBlock(CacheReader* reader, const char* tag, char* dest, unsigned long capacity,
                   Checksum& checksum) {
    if (!reader->GetInfoIfTag(tag)) return false;
    const unsigned long size = reader->GetSizeDataBlock(false);
    if (size == 0 || size > capacity) return false;
    std::memset(dest, 0, capacity);
    if (!reader->CopyTagDataToBuffer(dest, capacity)) return false;
    checksum.Add(dest, size);
    return std::memchr(dest, 0, size) != nullptr;
}

// The directory the cache was written for is this one: the same text, or two names (another
// letter case where the file system ignores it, a relative and an absolute form) of one directory.
bool SameInstallDir(const char* cached, const char* installDir) {
    if (std::strncmp(cached, installDir, kDirBlockSize - 1) == 0) return true;
    return platform::IsSameFile(cached, installDir);
}

// `path` names a file below `dir`, spelled as `dir` is.
bool IsBelow(const char* path, const char* dir) {
    const size_t length = std::strlen(dir);
    return length > 0 && std::strncmp(path, dir, length) == 0 && pathtext::IsSeparator(path[length]);
}

// A module path below the directory as the cache spelled it, spelled as this start gives the
// directory: the scan composes its paths that way, and only an equal path is known to it.
void FollowInstallDir(ChannelListItem& entry, const char* cachedDir, const char* installDir) {
    const char* path = entry.fileName.GetString();
    if (!path || std::strcmp(cachedDir, installDir) == 0 || !IsBelow(path, cachedDir)) return;
    const std::string moved = std::string(installDir) + (path + std::strlen(cachedDir));
    if (moved.size() < TEV_MAX_PATH) entry.fileName.SetString(moved.c_str());
}

// Whether the module file exists. A path below the install directory stands as it is, like the
// paths the scan composes (a relative install directory counts from the working directory);
// another relative one counts from the install directory.
bool ModuleOnDisk(const char* path, const char* installDir, const ModuleDirectory* channels) {
    const std::string full = pathtext::IsAbsolute(path) || IsBelow(path, installDir)
                                 ? std::string(path)
                                 : installlayout::Path(installDir, path);
    return channels ? channels->Exists(full.c_str()) : platform::FileExists(full.c_str());
}

// Staged entries of the file: nothing reaches the list unless the whole file is sound.
struct ChannelListCache {
    enum Result { kUsed, kEmpty, kForeign, kDamaged };
    std::vector<std::unique_ptr<ChannelListItem>> entries;
};

// Entries are read into `cache`; indices, GUIDs and sizes are checked against the file.
ChannelListCache::Result ParseCache(CacheReader* reader, const char* installDir,
                                    const ModuleDirectory* channels, ChannelListCache& cache) {
    unsigned char word[4];
    Checksum checksum;
    if (!ReadFixedBlock(reader, tags::kCount, word, 4, checksum)) return ChannelListCache::kDamaged;
    const int32_t count = static_cast<int32_t>(littleendian::Get32(word));
    if (count == 0) return ChannelListCache::kEmpty;
    // A count the file cannot hold is damage, not a size to allocate.
    if (count < 0 || static_cast<unsigned long>(count) > reader->GetBufferSize() / kMinEntrySize)
        return ChannelListCache::kDamaged;

    cache.entries.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; i++) {
        std::unique_ptr<ChannelListItem> entry(new ChannelListItem());
        unsigned char record[kTypeRecordSize];
        char path[TEV_MAX_PATH];
        if (!ReadFixedBlock(reader, tags::kIndex, word, 4, checksum)) return ChannelListCache::kDamaged;
        const int32_t index = static_cast<int32_t>(littleendian::Get32(word));
        if (!ReadFixedBlock(reader, tags::kType, record, kTypeRecordSize, checksum))
            return ChannelListCache::kDamaged;
        if (!ReadTextBlock(reader, tags::kModule, path, sizeof(path), checksum))
            return ChannelListCache::kDamaged;
        if (index < 0 || index >= count || cache.entries[static_cast<size_t>(index)])
            return ChannelListCache::kDamaged;
        entry->index = index;
        entry->channelType = channeltyperecord::Decode(record);
        entry->fileName.SetString(path);
        cache.entries[static_cast<size_t>(index)] = std::move(entry);
    }

    // Two entries of one type: sorted, so the test costs no more than the reading.
    std::vector<_GUID> types;
    types.reserve(cache.entries.size());
    for (const auto& entry : cache.entries) types.push_back(entry->channelType.typeGuid);
    auto before = [](const _GUID& a, const _GUID& b) { return std::memcmp(&a, &b, sizeof(_GUID)) < 0; };
    std::sort(types.begin(), types.end(), before);
    for (size_t i = 1; i < types.size(); i++)
        if (types[i] == types[i - 1]) return ChannelListCache::kDamaged;

    char dir[kDirBlockSize] = {};
    const bool hasDir = reader->CheckHeader(tags::kInstallDir, false);
    if (hasDir && !ReadTextBlock(reader, tags::kInstallDir, dir, sizeof(dir), checksum))
        return ChannelListCache::kDamaged;
    if (reader->CheckHeader(tags::kChecksum, false)) {
        const uint32_t expected = checksum.sum;
        if (!ReadFixedBlock(reader, tags::kChecksum, word, 4, checksum) ||
            littleendian::Get32(word) != expected)
            return ChannelListCache::kDamaged;
    }
    // The block holds at most 259 characters of the directory.
    if (hasDir && !SameInstallDir(dir, installDir)) return ChannelListCache::kForeign;
    for (auto& entry : cache.entries) {
        if (hasDir) FollowInstallDir(*entry, dir, installDir);
        const char* path = entry->fileName.GetString();
        entry->onDisk = path && path[0] && ModuleOnDisk(path, installDir, channels);
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

    // Without the reader module there is no cache to read, as when it was read through it.
    if (!platform::IsRegularFile(loaderPath.c_str())) return false;
    CacheReader reader;
    if (!reader.LoadFile(listPath.c_str())) return true;  // no cache yet

    ChannelListCache cache;
    const std::string channelsDir = installlayout::Path(installDir.c_str(), installlayout::kChannelsDir);
    switch (ParseCache(&reader, installDir.c_str(), SharedModuleDirectory::Find(this, channelsDir.c_str()),
                       cache)) {
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
    // A damaged cache can name another plug-in's channel for the writer's type.
    Pex_FileSaverChannel* writer = dynamic_cast<Pex_FileSaverChannel*>(channel);
    if (!writer) {
        delete channel;
        return false;
    }
    const std::string listPath = installlayout::Path(installDir, installlayout::kChannelListFile);
    writer->OpenSaveFile(listPath.c_str(), false);

    int count = 0;
    for (int i = 0; i < itemList.GetItemCount(); i++)
        if (GetItem(i)) count++;
    Checksum checksum;
    // Every block's data goes through the checksum on its way to the file.
    auto saveBlock = [writer, &checksum](const char* tag, const void* data, unsigned long size) {
        writer->SaveTag(tag);
        writer->SaveBlockSize(size);
        writer->SaveDataToFile(data, size);
        checksum.Add(data, size);
    };
    unsigned char word[4];
    littleendian::Put32(word, static_cast<uint32_t>(count));
    saveBlock(tags::kCount, word, 4);
    for (int i = 0; i < itemList.GetItemCount(); i++) {
        ChannelListItem* item = GetItem(i);
        if (!item) continue;
        littleendian::Put32(word, static_cast<uint32_t>(item->index));
        saveBlock(tags::kIndex, word, 4);
        unsigned char record[kTypeRecordSize];
        channeltyperecord::Encode(item->channelType, record);
        saveBlock(tags::kType, record, kTypeRecordSize);
        const char* path = item->fileName.GetString();
        if (path && path[0]) {
            saveBlock(tags::kModule, path, static_cast<unsigned long>(std::strlen(path)) + 1);
        } else {
            char saveError[kSaveErrorBlockSize] = {};
            platform::CopyText(saveError, kSaveErrorName);
            saveBlock(tags::kModule, saveError, kSaveErrorBlockSize);
        }
    }
    char dir[kDirBlockSize] = {};
    platform::CopyText(dir, installDir);
    saveBlock(tags::kInstallDir, dir, kDirBlockSize);
    littleendian::Put32(word, checksum.sum);
    saveBlock(tags::kChecksum, word, 4);
    writer->CloseSaveFile();
    delete channel;
    return true;
}
