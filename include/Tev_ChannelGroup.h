// A channel group: the unit in which channels live, are saved and are loaded.
// The order of the virtual operations and of the data members is part of the plug-in
// contract: append only, never reorder.
#pragma once

#include "TarnwellTypes.h"

class Tev_List;
class Tev_String;
class Tev_Channel;
class EngineInterface;
class SmartChannel;
class TevFileSaver;
class TevFileLoader;
struct ChannelRequestInfo;
struct PublicCallInfo;
struct ChannelType;
struct GroupState;

// One declared parameter of a group's interface; stored verbatim (56 bytes) in group files.
struct ParameterInterfaceInfo {
    char name[40];  // zero-terminated
    _GUID typeGuid; // expected channel type; the null GUID means no type
};
static_assert(sizeof(ParameterInterfaceInfo) == 56, "ParameterInterfaceInfo is stored verbatim");

class TARNWELL_API Tev_ChannelGroup {
public:
    Tev_ChannelGroup();  // works through globalEngine
    explicit Tev_ChannelGroup(EngineInterface* engineInterface);
    virtual ~Tev_ChannelGroup();

    virtual void Release();
    virtual bool SaveChannelGroup(TevFileSaver& saver);
    virtual bool SaveChannelGroup(const char* path);
    virtual bool LoadChannelGroupFromFile(const char* path, bool usePoolNameFromFile);
    virtual bool LoadChannelGroupFromBuffer(const char* name, int size, void* buffer, bool usePoolNameFromFile);
    virtual bool LoadChannelGroup(TevFileLoader& loader, bool usePoolNameFromFile);
    virtual int GetGroupIndex();
    virtual void SetGroupIndex(int index);
    virtual void AddChannelRequest(ChannelRequestInfo request);
    virtual void CheckPublicChannels();
    virtual void CheckRequestListForIndex(int indexNr);
    virtual int AddChannel(Tev_Channel* channel);
    virtual bool RemoveChannel(Tev_Channel* channel);
    virtual bool RemoveChannel(int indexNr);
    virtual bool TransferChannel(int indexNr, Tev_ChannelGroup* target);
    virtual int GetChannelCount();
    virtual Tev_Channel* GetChannel(const char* name);
    virtual Tev_Channel* GetChannel(int indexNr);
    virtual void SetChannel(Tev_Channel* channel, int indexNr);
    virtual const char* GetChannelGroupFileName();
    virtual bool GetIfChannelInGroup(Tev_Channel* channel);
    virtual Tev_Channel* GetPublicChannel(PublicCallInfo* info);
    virtual void CheckPublicChannelRemoval(Tev_Channel* channel, int nr);
    virtual void CallStartChannel();
    virtual void SetStartChannel(int indexNr);
    virtual int GetStartChannel();
    virtual int GetPoolNr();
    virtual void SetPoolNr(int nr);
    virtual const char* GetPoolName();
    virtual void SetPoolName(const char* name);
    virtual Tev_Channel* GetParameterChannel(int parameter);
    virtual void SetParameterChannel(Tev_Channel* channel);
    virtual int GetParameterCount();
    virtual ParameterInterfaceInfo GetParameterInfo(int position);
    virtual void SetParameterInfo(ParameterInterfaceInfo info, int position);
    virtual int AddParameterInfo(ParameterInterfaceInfo info);
    virtual void RemoveParameterInfo(int position);
    virtual bool CheckDuplicatePublicChannelName(Tev_Channel* channel);
    virtual void CheckInterfaceChange(const char* poolName);
    virtual _GUID GetUniqueGroupGuid();
    virtual void SetChannelGroupFileName(const char* fileName);
    virtual bool GetIfArrayGroup();
    virtual void SetIfArrayGroup(bool arrayGroup);
    virtual HWND GetParentWindow();
    virtual void SetParentWindow(HWND window);
    virtual bool GetReadOnly();
    virtual void SetReadOnly(bool value);

    int GetTreeCalculateCount();
    void IncreaseTreeCount();

protected:
    bool readOnly;                     // bit 0 of the file attributes at the last load
    Tev_List* channelList;             // Tev_Channel*, position = index number, NULL holes; owned
    Tev_List* requestList;             // ChannelRequestInfo*, pending link requests; owned
    Tev_String* fileName;              // group file last loaded or saved
    Tev_String* poolName;              // pool (instance) name
    int32_t groupIndex;                // slot in the engine's group table
    int32_t startChannel;              // index number of the start channel; -1 means 0
    int32_t poolNr;                    // instance number
    SmartChannel* parameterChannel;    // public call currently supplying the parameters
    Tev_List* parameterInfoList;       // ParameterInterfaceInfo*, NULL holes; owned
    int32_t treeCount;                 // group-local tree calculation counter
    _GUID uniqueGroupGuid;             // identity; replaced by the stored one on load
    bool ifArrayGroup;
    bool destroying;                   // set while the destructor runs
    EngineInterface* engineInterface;  // not owned
    HWND parentWindow;

private:
    void Construct(EngineInterface* engine);
    bool IsPublicChannel(Tev_Channel* channel);
    int PositionOf(Tev_Channel* channel);
    void LeaveFormerGroup(Tev_Channel* channel);
    void DeleteRequests();
    void DeleteParameterInfos();
    void AnswerRequestsInOrder(int indexNr);
    // Reading the group file.
    bool LoadChannelEntry(TevFileLoader& loader, int position, int count, ChannelType& type);
    bool LoadGroupBlocks(TevFileLoader& loader, bool usePoolNameFromFile);
    bool LoadParameterRecords(TevFileLoader& loader, int parameters);
    void ReportMissingEntry(const ChannelType& type);
    void ReportChannelFailure(const char* developerText, const ChannelType& type);

    GroupState* state;  // the kernel's own bookkeeping (request index, free positions); owned
};
