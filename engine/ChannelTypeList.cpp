// ChannelList, the registry of installed channel types: entries, look-ups and updates. It
// sits beside plug-in loading, which it feeds; the cache file is in ChannelTypeListFile.cpp,
// the directory scan in ChannelTypeListScan.cpp.
#include "ChannelList.h"

#include <cstring>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "foundation/InstallLayout.h"
#include "engine/ModuleDirectory.h"
#include "foundation/ListItems.h"
#include "platform/Text.h"

namespace {

const char* const kMsgNoTypeFromFile =
    "ChannelList::AddItemFromFile: Could not get the channeltype from the downloaded channel";

bool SameVersion(const int32_t* a, const int32_t* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

}  // namespace

ChannelListItem::ChannelListItem()
    : index(0), onDisk(false), fromFile(false), reserved(0), moduleHandle(nullptr) {}

ChannelList::ChannelList(EngineInterface* engine) : engineInterface(engine) {
    std::memset(channelDir, 0, sizeof(channelDir));
}

ChannelList::~ChannelList() {
    SaveChannelList();
    Release();
}

bool ChannelList::CreateChannelList() {
    const char* installDir = engineInterface ? engineInterface->GetInstallDir() : "";
    char dir[sizeof(channelDir)];
    platform::CopyText(dir, installlayout::Path(installDir, installlayout::kChannelsDir).c_str());
    // The cache read and the scan both look at the channels directory: one listing serves both.
    SharedModuleDirectory listing(this, dir);
    Release();
    LoadChannelList();
    SortChannelList();
    platform::CopyText(channelDir, dir);
    AddDirectory(channelDir, -1);
    SortChannelList();
    return true;
}

// Positions are the entries' identity (index), so the list keeps its order.
void ChannelList::SortChannelList() {}

void ChannelList::Release() {
    for (int i = 0; i < itemList.GetItemCount(); i++) delete listitems::At<ChannelListItem>(itemList, i);
    itemList.ReleaseItems();
}

bool ChannelList::AddItem(ChannelListItem* item) {
    if (!item || GetItem(item->channelType.typeGuid)) return false;
    const int position = itemList.AddItemOrNULL(item);
    if (position < 0) return false;
    item->index = position;
    return true;
}

ChannelListItem* ChannelList::AddItemFromFile(const char* dllPath) {
    if (!engineInterface || !engineInterface->engineInterfaceExt || !dllPath) return nullptr;
    const ChannelType type = engineInterface->engineInterfaceExt->GetDLLType(dllPath);
    if (IsNullGuid(type.typeGuid)) {
        engineInterface->showErrorMessage(kMsgNoTypeFromFile);
        return nullptr;
    }
    ChannelListItem* item = GetItem(type.typeGuid);
    const bool isNew = item == nullptr;
    if (isNew) item = new ChannelListItem();
    item->fileName.SetString(dllPath);
    item->channelType = type;
    item->onDisk = true;
    item->fromFile = true;
    if (isNew && !AddItem(item)) {
        delete item;
        return nullptr;
    }
    return item;
}

ChannelListItem* ChannelList::GetItem(_GUID type) {
    for (int i = 0; i < itemList.GetItemCount(); i++) {
        ChannelListItem* item = listitems::At<ChannelListItem>(itemList, i);
        if (item && item->channelType.typeGuid == type) return item;
    }
    return nullptr;
}

ChannelListItem* ChannelList::GetItem(int index) { return listitems::At<ChannelListItem>(itemList, index); }

int ChannelList::GetItemCount() { return itemList.GetItemCount(); }

bool ChannelList::GetOnDisk(_GUID type) {
    ChannelListItem* item = GetItem(type);
    return item ? item->onDisk : false;
}

ChannelType ChannelList::GetChannelType(_GUID type) {
    ChannelListItem* item = GetItem(type);
    if (item) return item->channelType;
    ChannelType unknown;
    platform::CopyText(unknown.typeName, "Unknown type");
    return unknown;
}

unsigned long ChannelList::Char2Hex(char c, int position) {
    if (position < 0) return 0;
    uint32_t digit = 0;
    if (c >= '1' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
    // 32-bit arithmetic: high positions wrap as they always have.
    uint32_t value = digit;
    for (int i = 0; i < position && value != 0; i++) value *= 16u;
    return value;
}

void ChannelList::SetChannelDir(char* dir) {
    if (dir) platform::CopyText(channelDir, dir);
}

// A plug-in replaced by another version: the cached record follows the module that made the channel.
void ChannelList::CheckChannelUpdate(Tev_Channel* channel) {
    if (!channel || !engineInterface || !engineInterface->engineInterfaceExt) return;
    const ChannelType type = channel->GetChannelType();
    if (IsNullGuid(type.typeGuid)) return;
    for (int i = 0; i < itemList.GetItemCount(); i++) {
        ChannelListItem* item = GetItem(i);
        if (!item || item->channelType.typeGuid != type.typeGuid || item->channelType.baseGuid != type.baseGuid)
            continue;
        if (!SameVersion(item->channelType.versionInfo, type.versionInfo))
            item->channelType = engineInterface->engineInterfaceExt->GetDLLType(channel->dllInstance);
    }
}

void ChannelList::SetVersionInfo(_GUID type, int32_t* versionInfo) {
    ChannelListItem* item = GetItem(type);
    if (!item || !versionInfo) return;
    for (int i = 0; i < 3; i++) item->channelType.versionInfo[i] = versionInfo[i];
}
