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
#include "channel/ChannelTypeRecord.h"
#include "foundation/InstallLayout.h"
#include "foundation/LittleEndian.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace {

const char* const kMsgDamaged =
    "ChannelList::LoadChannelList: channel.lst is damaged; the channel list is rebuilt from the channels directory";
const char* const kSaveErrorName = "Save Error";

constexpr size_t kTypeRecordSize = channeltyperecord::kSize;
constexpr size_t kDirBlockSize = 260;
constexpr size_t kSaveErrorBlockSize = 20;
// Smallest entry: CHIX, CHTY and a CHFN holding only its terminator (tag, size, data each).
constexpr unsigned long kMinEntrySize = (4 + 4 + 4) + (4 + 4 + kTypeRecordSize) + (4 + 4 + 1);

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
        if (!ReadFixedBlock(reader, "CHIX", word, 4)) return ChannelListCache::kDamaged;
        const int32_t index = static_cast<int32_t>(littleendian::Get32(word));
        if (!ReadFixedBlock(reader, "CHTY", record, kTypeRecordSize)) return ChannelListCache::kDamaged;
        if (!ReadTextBlock(reader, "CHFN", path, sizeof(path))) return ChannelListCache::kDamaged;
        if (index < 0 || index >= count || cache.entries[static_cast<size_t>(index)])
            return ChannelListCache::kDamaged;
        entry->index = index;
        entry->channelType = channeltyperecord::Decode(record);
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
    littleendian::Put32(word, static_cast<uint32_t>(count));
    writer->SaveTag("CLCC");
    writer->SaveBlockSize(4);
    writer->SaveDataToFile(word, 4);
    for (int i = 0; i < itemList.GetItemCount(); i++) {
        ChannelListItem* item = GetItem(i);
        if (!item) continue;
        littleendian::Put32(word, static_cast<uint32_t>(item->index));
        writer->SaveTag("CHIX");
        writer->SaveBlockSize(4);
        writer->SaveDataToFile(word, 4);
        unsigned char record[kTypeRecordSize];
        channeltyperecord::Encode(item->channelType, record);
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
