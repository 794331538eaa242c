// The second half of the engine facade: services for channels, groups and the
// engine control. Member and virtual order are fixed: plug-ins are built
// against them.
#pragma once

#include "ChannelType.h"
#include "TarnwellExport.h"
#include "TarnwellTypes.h"

class EngineInterface;
class ProjectLoader;
class ChannelPoolManagement;
class ChannelList;
class DllInterface;
class Tev_Channel;
class Tev_ChannelGroup;
class Tev_Tread;
class TevFileLoader;
class Pex_FileLoaderChannel;
struct PublicCallInfo;

// Interface version of this engine; projects name the version they need.
#define TEV_ENGINE_INTERFACE_ID 100005

class TARNWELL_API EngineInterfaceExt {
public:
    EngineInterfaceExt();
    virtual ~EngineInterfaceExt();
    virtual void SetInstallDir(const char* dir);
    virtual void ProcessWindowMessage(HWND window, unsigned int message, TevMessageWParam wParam, TevMessageLParam lParam);
    virtual int GetInterfaceID();
    virtual bool InitEngine(HINSTANCE instance, const char* className);
    virtual void UpdateChannelTree();
    virtual void ReleaseGroups();
    virtual void CheckPublicChannelRemoval(Tev_Channel* channel, int nr);
    virtual void CheckPublicCallChannelRemoval(Tev_Channel* channel);
    virtual void CheckInterfaceChange(const char* poolName);
    virtual void IncreaseTreeCount();
    virtual Tev_Channel* GetPublicChannel(PublicCallInfo* info);
    virtual bool AddChannelRequest(int number, Tev_Channel* channel);
    virtual void CheckChannelRequest(Tev_ChannelGroup* group, int number, Tev_Channel* channel);
    virtual DllInterface* GetDLLInstance(const char* dllName);
    virtual Tev_Channel* CreateChannelFromDLL(const char* dllName, Tev_ChannelGroup* group,
                                              bool createChildren);
    virtual void SetWindowHandle(HWND window);
    virtual ChannelList* GetChannelList();
    virtual void DebugOut(const char* text, int slot);
    virtual const char* GetDebug(int slot);
    virtual void KillTread(Tev_Tread* tread);
    virtual void SetIfTrackChannelCalling(bool track);
    virtual void SetGraphRunning(bool running);
    virtual bool GetGraphRunning();
    virtual int InitializeVTRFile(const char* path);
    virtual Tev_ChannelGroup* GetVTRStartGroup();
    virtual void SetStartGroup(int index);
    virtual int GetStartGroup();
    virtual int GetProjectEditorVersion();
    virtual void Release();
    virtual int GetUniqueChannelCount();
    virtual void SetVantorRegKey(const char* key);
    virtual void TranslateFile(Pex_FileLoaderChannel* channel);
    virtual void TranslateFile(TevFileLoader* loader);
    virtual bool SetRegData(const char* valueName, const char* text);
    virtual bool GetRegData(const char* valueName, char* buffer, int size);
    virtual Tev_Tread* GetNewTread();
    virtual Tev_Tread* GetTreadFromID(int id);
    virtual int GetCurrentEvent();
    virtual bool GetIfKeepRunningApplication();
    virtual void SetIfKeepRunningApplication(bool keepRunning);
    virtual void DoLinkPoolToChannel(Tev_Channel* channel);
    virtual ChannelPoolManagement* GetChannelPoolManagement();
    virtual bool GetInitialized();
    virtual void SetInitialized(bool initialized);

    void SetEngineInterface(EngineInterface* engine);
    ChannelType GetDLLType(const char* dllName);
    ChannelType GetDLLType(HINSTANCE module);
    // Inline: every GetChild of every frame asks it.
    bool GetIfTrackChannelCalling() const { return trackChannelCalling; }

protected:
    bool trackChannelCalling;
    bool graphRunning;
    ProjectLoader* projectLoader;  // owned
    int projectEditorVersion;
    EngineInterface* engineInterface;
    char debugLines[10][300];
    bool keepRunningApplication;
    ChannelPoolManagement* channelPoolManagement;
    bool initialized;

private:
    bool RunTranslators(TevFileLoader* loader);
};
