// Worker thread handle and body.
//
// Handing over a body whose worker may still run: a body is deleted only once
// no worker can touch it any more (foundation/TreadReaper). The worker's entry
// function reports after its very last access to the body, so
//  - CloseTread deletes a finished body on the closing thread, waiting at
//    most a moment for the worker to leave the entry function;
//  - a handle destroyed with its body still attached (typically after a
//    close that timed out) detaches the body under the owner-link lock, so
//    from then on the body sees GetIfContinueTreadCalls false and its worker
//    never reads the handle again, asks it to exit, and hands it over: it is
//    deleted at once when no worker runs, otherwise by its own worker right
//    after TreadFunction has returned. A body that never returns keeps its
//    thread and memory until the process ends: nothing can stop it safely.
#include "Tev_Tread.h"

#include <mutex>

#include "DebugMessages.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "foundation/TreadReaper.h"
#include "platform/Clock.h"
#include "platform/Threads.h"

namespace {

const char kNotResponding[] = "Thread is not responding";
const char kDestroyedWhileAttached[] =
    "Tev_Tread::~Tev_Tread ForceTreadClose something is wrong in the thread";
const char kNotCreated[] = "Error thread not created :";

const uint32_t kCloseTimeoutMs = 30000;
const uint32_t kClosePollMs = 10;
// How long CloseTread lets a worker that has set its ready flag leave the
// entry function before handing the body over to it instead.
const unsigned kLeaveGraceMs = 1000;

unsigned long TreadEntry(void* argument) {
    Tev_RunTread* body = static_cast<Tev_RunTread*>(argument);
    if (body) {
        body->SetIfTreadReady(false);
        try {
            body->TreadFunction();
        } catch (...) {
            // A body that throws has ended like one that returned; the exception must not
            // reach the thread's start routine, which would end the process.
        }
        body->SetIfTreadReady(true);
        // No access to the body after this point: it may be deleted now.
        tread_reaper::WorkerFinished(body);
    }
    return 0;
}

void SwitchSink(bool use) {
    if (debugOutPut) debugOutPut->SetUseDebug(use);
}

}  // namespace

// ---------------------------------------------------------------- Tev_Tread

Tev_Tread::Tev_Tread() : Tev_Tread(globalEngine) {}

Tev_Tread::Tev_Tread(EngineInterface* engine)
    : runTread(nullptr), treadRunning(false), engineInterface(engine), keepRunningTread(false), classID(0) {}

Tev_Tread::~Tev_Tread() {
    if (!runTread) return;
    keepRunningTread = false;
    treadRunning = false;
    if (engineInterface) engineInterface->showErrorMessage(kDestroyedWhileAttached);
    Tev_RunTread* body = runTread;
    runTread = nullptr;
    body->SetTreadClass(nullptr);
    body->ExitThread();
    tread_reaper::Dispose(body, 0);
}

bool Tev_Tread::StartTread(Tev_RunTread* body) {
    if (!body) return false;
    if (runTread == body && treadRunning && !body->GetIfTreadReady()) return false;  // already running
    if (runTread && runTread != body) {
        // A second body on a busy handle: the first one would otherwise keep
        // reading this handle after it is gone. Hand it over like the destructor.
        Tev_RunTread* previous = runTread;
        previous->SetTreadClass(nullptr);
        previous->ExitThread();
        tread_reaper::Dispose(previous, 0);
    }
    runTread = body;
    body->SetTreadClass(this);
    treadRunning = true;
    keepRunningTread = true;
    if (!body->CreateTread()) {
        treadRunning = false;
        keepRunningTread = false;
        return false;
    }
    return true;
}

void Tev_Tread::CloseTread() {
    keepRunningTread = false;
    if (!runTread) return;
    if (runTread->GetIfTreadReady()) {
        tread_reaper::Dispose(runTread, kLeaveGraceMs);
        runTread = nullptr;
        treadRunning = false;
        if (engineInterface && engineInterface->engineInterfaceExt)
            engineInterface->engineInterfaceExt->KillTread(this);
        return;  // this handle may have been deleted by KillTread
    }
    SwitchSink(false);
    runTread->ExitThread();
    uint32_t start = platform::GetTickCount();
    while (!runTread->GetIfTreadReady()) {
        if (platform::GetTickCount() - start > kCloseTimeoutMs) {
            SwitchSink(true);
            if (engineInterface) engineInterface->showErrorMessage(kNotResponding);
            return;
        }
        platform::Sleep(kClosePollMs);
    }
    SwitchSink(true);
    CloseTread();
}

void Tev_Tread::ExitThread() {
    if (runTread) runTread->ExitThread();
}

bool Tev_Tread::GetIfTreadRunning() { return treadRunning; }

bool Tev_Tread::GetIfKeepRunningTread() { return keepRunningTread; }

int Tev_Tread::GetClassID() { return classID; }

void Tev_Tread::SetClassID(int id) { classID = id; }

// ------------------------------------------------------------- Tev_RunTread

Tev_RunTread::Tev_RunTread()
    : treadClass(nullptr),
      treadReady(false),
      threadHandle(nullptr),
      threadId(0),
      customPointer(nullptr),
      exitRequested(false),
      userData(0) {}

Tev_RunTread::~Tev_RunTread() {
    platform::CloseThreadHandle(static_cast<platform::ThreadHandle>(threadHandle.exchange(nullptr)));
}

void Tev_RunTread::TreadFunction() {}

void Tev_RunTread::ExitThread() { exitRequested = true; }

bool Tev_RunTread::GetIfExitThread() { return exitRequested; }

void Tev_RunTread::SetTreadClass(Tev_Tread* owner) {
    std::lock_guard<std::mutex> guard(tread_reaper::OwnerLinkLock());
    treadClass = owner;
}

bool Tev_RunTread::GetIfTreadReady() { return treadReady; }

void Tev_RunTread::SetIfTreadReady(bool ready) {
    // Release the handle before publishing the flag: once ready is seen the
    // body may be deleted.
    platform::CloseThreadHandle(static_cast<platform::ThreadHandle>(threadHandle.exchange(nullptr)));
    treadReady = ready;
}

bool Tev_RunTread::CreateTread() {
    if (!treadClass) return false;
    tread_reaper::WorkerStarting(this);
    unsigned long id = 0;
    platform::ThreadHandle handle = platform::CreateThread(TreadEntry, this, &id);
    if (!handle) handle = platform::CreateThread(TreadEntry, this, &id);
    if (!handle) {
        uint32_t error = platform::LastError();
        tread_reaper::WorkerGone(this);
        if (globalEngine) globalEngine->showErrorMessage(kNotCreated, static_cast<int>(error));
        return false;
    }
    threadId = static_cast<uint32_t>(id);
    // The worker may already have taken (and found empty) the slot; the handle
    // then stays held until the worker finishes or the body is deleted.
    threadHandle.store(handle);
    return true;
}

void Tev_RunTread::ForceTreadClose() {
    // Take the handle so the worker cannot release it under our hands. Forced
    // termination is refused on this platform; the handle is released either way.
    platform::ThreadHandle handle = static_cast<platform::ThreadHandle>(threadHandle.exchange(nullptr));
    if (handle) {
        platform::TerminateThread(handle, 1);
        platform::CloseThreadHandle(handle);
    }
    std::lock_guard<std::mutex> guard(tread_reaper::OwnerLinkLock());
    treadClass = nullptr;
}

bool Tev_RunTread::GetIfContinueTreadCalls() {
    // Held across the owner's call: a handle detaching its body waits for it,
    // so the owner cannot be deleted while a worker reads its flag.
    std::lock_guard<std::mutex> guard(tread_reaper::OwnerLinkLock());
    Tev_Tread* owner = treadClass;
    return owner ? owner->GetIfKeepRunningTread() : false;
}

void* Tev_RunTread::GetCustomPointer() { return GetIfContinueTreadCalls() ? customPointer : nullptr; }

void Tev_RunTread::SetCustomPointer(void* pointer) { customPointer = pointer; }

uint32_t Tev_RunTread::GetUserData() { return userData; }
