#include "platform/Threads.h"

#include <atomic>

#include "platform/common/RandomGuid.h"
#include "platform/common/ThreadIds.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/WindowsApi.h"

#include <bcrypt.h>

namespace platform {

// Shared by the handle and the running thread; whichever lets go last deletes it.
struct ThreadRecord {
    HANDLE thread = nullptr;
    // Set when the entry function returns. Waiting for it rather than for the thread's end
    // keeps a wait clear of the loader lock, which a thread takes on its way out.
    HANDLE ended = nullptr;
    ThreadEntry entry = nullptr;
    void* argument = nullptr;
    unsigned long id = 0;
    std::atomic<bool> running{true};
    std::atomic<int> references{2};

    ~ThreadRecord() {
        if (ended) CloseHandle(ended);
    }
};

namespace {

void Release(ThreadRecord* record) {
    if (record->references.fetch_sub(1) == 1) delete record;
}

DWORD WINAPI Trampoline(void* raw) {
    ThreadRecord* record = static_cast<ThreadRecord*>(raw);
    AdoptThreadId(record->id);
    record->entry(record->argument);
    record->running = false;
    SetEvent(record->ended);
    Release(record);
    return 0;
}

void SetSystemError(DWORD error) { SetLastError(error, SystemErrorText(error).c_str()); }

}  // namespace

ThreadHandle CreateThread(ThreadEntry entry, void* argument, unsigned long* threadId) {
    if (!entry) {
        SetLastError(kErrorInvalidParameter, "no thread entry function");
        return nullptr;
    }
    ThreadRecord* record = new ThreadRecord;
    record->entry = entry;
    record->argument = argument;
    record->id = NewThreadId();
    record->ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (record->ended) record->thread = ::CreateThread(nullptr, 0, &Trampoline, record, 0, nullptr);
    if (!record->thread) {
        SetSystemError(::GetLastError());
        delete record;
        return nullptr;
    }
    if (threadId) *threadId = record->id;
    SetLastError(kErrorSuccess);
    return record;
}

bool WaitThread(ThreadHandle handle, uint32_t timeoutMs) {
    return handle && WaitForSingleObject(handle->ended, timeoutMs) == WAIT_OBJECT_0;
}

bool IsThreadRunning(ThreadHandle handle) { return handle && handle->running; }

void CloseThreadHandle(ThreadHandle handle) {
    if (!handle) return;
    CloseHandle(handle->thread);
    Release(handle);
}

bool CreateGuid(_GUID* out) {
    if (!out) return false;
    unsigned char bytes[16];
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        return false;
    GuidFromRandomBytes(bytes, out);
    return true;
}

}  // namespace platform
