// ChannelList: the registry of installed channel types (not a group's channels), cached
// between runs in channel.lst.
#pragma once

#include <cstdint>

#include "ChannelType.h"
#include "TarnwellExport.h"
#include "TarnwellTypes.h"
#include "Tev_List.h"
#include "Tev_String.h"

class EngineInterface;
class Tev_Channel;

// One installed channel type: its record and the plug-in module that makes it.
struct TARNWELL_API ChannelListItem {
    ChannelListItem();

    int32_t index;            // position in the list
    ChannelType channelType;  // the type record
    Tev_String fileName;      // full path of the plug-in module
    bool onDisk;              // the module file exists
    bool fromFile;            // the record was read from the module since start-up
    int32_t reserved;         // not used by the kernel
    HINSTANCE moduleHandle;   // set once a channel of this type was made; kept by updates
};

class TARNWELL_API ChannelList {
public:
    explicit ChannelList(EngineInterface* engineInterface);
    // Writes channel.lst back, then releases every entry.
    virtual ~ChannelList();

    virtual bool CreateChannelList();
    virtual bool SaveChannelList();
    virtual bool LoadChannelList();
    virtual void SortChannelList();
    virtual void Release();
    virtual void AddDirectory(const char* dir, int unused);
    virtual bool AddItem(ChannelListItem* item);
    virtual ChannelListItem* AddItemFromFile(const char* dllPath);
    virtual ChannelListItem* GetItem(_GUID type);
    virtual ChannelListItem* GetItem(int index);
    virtual int GetItemCount();
    virtual bool GetOnDisk(_GUID type);
    virtual ChannelType GetChannelType(_GUID type);
    virtual unsigned long Char2Hex(char c, int position);
    // Stores the given path (at least 260 bytes of buffer) as the scanned directory.
    virtual void SetChannelDir(char* dir);
    virtual void CheckChannelUpdate(Tev_Channel* channel);
    virtual void SetVersionInfo(_GUID type, int32_t* versionInfo);

protected:
    Tev_List itemList;                  // ChannelListItem*, owned; position = index
    char channelDir[TEV_MAX_PATH];          // the scanned directory
    EngineInterface* engineInterface;   // not owned
};
