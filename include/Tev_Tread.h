// Worker threads for channels: Tev_Tread is the handle the engine hands out,
// Tev_RunTread the body a channel derives from and starts on it.
// The order of the virtual operations and of the data members is part of the
// plug-in contract.
#pragma once

#include <atomic>
#include <cstdint>

#include "TarnwellExport.h"

class EngineInterface;
class Tev_RunTread;

class TARNWELL_API Tev_Tread {
public:
    Tev_Tread();  // takes globalEngine
    explicit Tev_Tread(EngineInterface* engine);
    // A handle destroyed with its body still attached detaches the body and
    // leaves it to its worker, which deletes it once it is done with it.
    virtual ~Tev_Tread();

    // Takes ownership of the body (even when starting fails); NULL gives false.
    virtual bool StartTread(Tev_RunTread* body);
    // Cooperative shutdown: waits at most 30 s for the body to return.
    virtual void CloseTread();
    virtual void ExitThread();
    virtual bool GetIfTreadRunning();
    virtual bool GetIfKeepRunningTread();
    virtual int GetClassID();
    virtual void SetClassID(int id);

protected:
    Tev_RunTread* runTread;              // the body, owned once started
    bool treadRunning;                   // from StartTread until the body is released
    EngineInterface* engineInterface;    // messages and KillTread
    std::atomic<bool> keepRunningTread;  // polled by the worker
    int32_t classID;                     // slot in the engine's thread list
};

class TARNWELL_API Tev_RunTread {
public:
    Tev_RunTread();
    virtual ~Tev_RunTread();

    // The work, run on the worker thread; it should return once
    // GetIfContinueTreadCalls turns false or GetIfExitThread turns true.
    virtual void TreadFunction();
    virtual void ExitThread();
    virtual bool GetIfExitThread();
    virtual void SetTreadClass(Tev_Tread* owner);
    virtual bool GetIfTreadReady();
    virtual void SetIfTreadReady(bool ready);
    virtual bool CreateTread();
    virtual void ForceTreadClose();
    virtual bool GetIfContinueTreadCalls();
    virtual void* GetCustomPointer();
    virtual void SetCustomPointer(void* pointer);
    virtual uint32_t GetUserData();

protected:
    std::atomic<Tev_Tread*> treadClass;  // owner; NULL when detached
    std::atomic<bool> treadReady;        // false while TreadFunction runs
    std::atomic<void*> threadHandle;     // opaque system handle; whoever takes it releases it
    uint32_t threadId;
    void* customPointer;
    std::atomic<bool> exitRequested;
    uint32_t userData;  // never set by the kernel
};
