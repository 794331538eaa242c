// The host's handle on the engine: start, project load, frame loop, shutdown.
#pragma once

#include "TarnwellExport.h"
#include "TarnwellTypes.h"

class EngineInterface;
class Tev_ChannelGroup;
class ErrorLogOutPut;

// Result codes of EngineControl::LoadProject.
enum {
    TEV_PROJECT_LOADED = 0,
    TEV_PROJECT_LOADER_FAILED = 1,
    TEV_PROJECT_NEEDS_UPDATE = 2,
    TEV_PROJECT_NO_PATH = 3,
    TEV_PROJECT_NO_START_GROUP = 4
};

// The order of the virtual operations and of the fields is fixed: hosts are
// built against it.
class TARNWELL_API EngineControl {
public:
    EngineControl();
    virtual ~EngineControl();
    virtual int LoadProject();
    virtual bool InitEngine(HINSTANCE instance, char* className, HWND window);
    virtual void EngineLoop();
    virtual void SetCommandLine(char* text);
    virtual EngineInterface* GetEngineInterface();
    virtual void ProcessWindowMessage(HWND window, unsigned int message, TevMessageWParam wParam, TevMessageLParam lParam);
    virtual void SetInstallDir(const char* dir);
    virtual void SetVantorRegKey(const char* key);
    virtual bool GetIfKeepRunningApplication();

protected:
    EngineInterface* engineInterface;  // owned; exists only while started
    Tev_ChannelGroup* runningGroup;    // not owned; the group EngineLoop runs
    char commandLine[1000];
    bool engineStarted;
    ErrorLogOutPut* errorLog;  // owned; also published in debugOutPut
    bool inEngineLoop;         // refuses re-entry from inside a frame
    char installDir[400];
    char regKey[600];

private:
    void DestroyErrorLog();
};

// The library's only plain exported function: a new EngineControl owned by
// the host, or NULL.
extern "C" TARNWELL_API EngineControl* GetEngineControlInstance();
