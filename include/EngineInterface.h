// The facade through which every channel, group and file object reaches the
// kernel. Member and virtual order are fixed: plug-ins are built against them.
#pragma once

#include "ChannelType.h"
#include "DebugMessages.h"
#include "TarnwellExport.h"
#include "TarnwellTypes.h"

class Engine;
class EngineInterfaceExt;
class Tev_Channel;
class Tev_ChannelGroup;

// Event numbers the engine dispatches itself, and what GetCurrentEvent answers outside them.
enum {
    TEV_EVENT_RELEASED = -3,       // the engine is released: nothing is dispatched any more
    TEV_EVENT_NONE = -1,           // before the first dispatch
    TEV_EVENT_FRAME = 0,           // once per frame, data 0
    TEV_EVENT_WINDOW_MESSAGE = 1   // data: address of a WindowMessageInfo
};

// The last window message, handed to channels registered for event 1.
struct WindowMessageInfo {
    unsigned int message;
    TevMessageWParam wParam;
    TevMessageLParam lParam;
    HWND windowHandle;
};

class TARNWELL_API EngineInterface {
public:
    EngineInterface();
    virtual ~EngineInterface();
    virtual const char* GetInstallDir();
    virtual const char* GetEngineClassName();
    virtual HINSTANCE GetEngineInstance();
    virtual HWND GetWindowHandle();
    virtual int GetTreeCalculateCount();
    virtual void SetTreeCalculateCount(int count);
    virtual Tev_ChannelGroup* CreateNewGroup(const char* poolName, bool arrayGroup, int instance);
    virtual Tev_ChannelGroup* GetChannelGroup(const char* fileName, int instance);
    virtual Tev_ChannelGroup* GetChannelGroup(int index);
    virtual Tev_ChannelGroup* GetPoolGroup(const char* poolName, int instance);
    virtual Tev_ChannelGroup* LoadChannelGroup(const char* fileName, const char* poolName);
    virtual int GetHighInstance(const char* poolName);
    virtual void DeleteChannelGroup(int index);
    virtual int GetChannelGroupCount();
    virtual Tev_Channel* InitChannelFromType(_GUID type, Tev_ChannelGroup* group, bool createChildren);
    virtual Tev_Channel* InitChannelFromType(ChannelType type, Tev_ChannelGroup* group, bool createChildren);
    virtual Tev_Channel* GetUniqueChannel(_GUID type, const char* name);
    virtual Tev_Channel* GetUniqueChannel(ChannelType type, const char* name);
    virtual void AddChannelToEvent(Tev_Channel* channel, int event);
    virtual void RemoveChannelFromEvent(Tev_Channel* channel, int event);
    virtual bool GetGraphRunning();

    ShowDebugMessage showDebugMessage;
    ShowErrorMessage showErrorMessage;
    ShowInfoMessage showInfoMessage;
    ShowMessageBox showMessageBox;
    ShowUserInfoMessage showUserInfoMessage;
    ShowUserWarningMessage showUserWarningMessage;
    ShowUserErrorMessage showUserErrorMessage;
    ShowDebug showDebug;                     // bound to this facade
    EngineInterfaceExt* engineInterfaceExt;  // owned
    Engine* engine;                          // owned; internal
};
