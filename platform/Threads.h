// Threads (stand-in for CreateThread/CloseHandle) and GUID creation.
#pragma once

#include <cstdint>

#include "TarnwellTypes.h"
#include "platform/LastError.h"

namespace platform {

typedef unsigned long (*ThreadEntry)(void* argument);
struct ThreadRecord;
typedef ThreadRecord* ThreadHandle;

// Starts entry(argument) on a new thread. Answers a handle and stores the new thread's
// identifier in *threadId (may be NULL); NULL with LastError() set when no thread started.
ThreadHandle CreateThread(ThreadEntry entry, void* argument, unsigned long* threadId);
// Waits up to timeoutMs (0xFFFFFFFF: forever) for the thread to end; true when it ended.
bool WaitThread(ThreadHandle handle, uint32_t timeoutMs);
// True while the thread's entry function has not returned.
bool IsThreadRunning(ThreadHandle handle);
// Releases the handle; the thread itself runs on (CloseHandle). NULL is accepted.
void CloseThreadHandle(ThreadHandle handle);
// Forced termination cannot be done safely here: always false, LastError() = kErrorNotSupported.
bool TerminateThread(ThreadHandle handle, unsigned long exitCode);
// Identifier of the calling thread: the one CreateThread reported for threads it made,
// a fresh unique number for any other thread.
unsigned long CurrentThreadId();

// A random (version 4, RFC 4122 variant) GUID; false only when no randomness is available.
bool CreateGuid(_GUID* out);

}  // namespace platform
