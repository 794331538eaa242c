#include "platform/Module.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/common/PathSearch.h"
#include "platform/win32/MissingImports.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

// Whether the system's own search finds a file of that name.
bool FoundBySystemSearch(const char* name) {
    char found[MAX_PATH];
    return SearchPathA(nullptr, name, ".dll", sizeof found, found, nullptr) != 0;
}

// The header's number for a failed LoadLibraryA. A missing file and a missing dependency both
// answer ERROR_MOD_NOT_FOUND: only whether the file itself exists tells them apart.
uint32_t ClassifyLoadFailure(DWORD error, bool fileFound) {
    switch (error) {
        case ERROR_MOD_NOT_FOUND:
            return fileFound ? kErrorModNotFound : kErrorFileNotFound;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return fileFound ? kErrorModNotFound : kErrorFileNotFound;
        case ERROR_PROC_NOT_FOUND:
            return kErrorProcNotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return kErrorAccessDenied;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return kErrorNotEnoughMemory;
        default:
            return kErrorBadExeFormat;  // no module, one for another machine, or one that refused to start
    }
}

// " (a.dll and b.dll were not found)": the system's text for a missing dependency names none,
// and a user (or the project check) needs to know which library to put in place.
std::string MissingImportsText(const std::string& file) {
    const std::vector<std::string> missing = MissingImports(file);
    if (missing.empty()) return std::string();
    std::string names;
    for (size_t i = 0; i < missing.size(); i++) {
        if (i > 0) names += i + 1 < missing.size() ? ", " : " and ";
        names += missing[i];
    }
    return " (" + names + (missing.size() == 1 ? " was" : " were") + " not found)";
}

// The loader's text names the file where the system's message leaves a place for it, and the
// libraries it needs that are nowhere to be found.
std::string LoaderText(const std::string& file, DWORD error, bool fileFound) {
    std::string text = SystemErrorText(error);
    size_t insert = text.find("%1");
    if (insert != std::string::npos) text.replace(insert, 2, file);
    const std::string missing = error == ERROR_MOD_NOT_FOUND && fileFound ? MissingImportsText(file) : "";
    if (!missing.empty() && !text.empty() && text.back() == '.') text.pop_back();
    text += missing;
    return file + ": " + text;
}

HINSTANCE Open(const std::string& file, bool fileFound) {
    // No system box about a missing dependency: the caller reports the failure itself.
    DWORD previousMode = 0;
    const bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE module = LoadLibraryA(file.c_str());
    const DWORD error = module ? ERROR_SUCCESS : ::GetLastError();
    if (quiet) SetThreadErrorMode(previousMode, nullptr);
    if (module) {
        SetLastError(kErrorSuccess);
        return reinterpret_cast<HINSTANCE>(module);
    }
    if (!fileFound) fileFound = FoundBySystemSearch(file.c_str());
    SetLastError(ClassifyLoadFailure(error, fileFound), LoaderText(file, error, fileFound).c_str());
    return nullptr;
}

std::atomic<void (*)(HINSTANCE)> unloadWatcher{nullptr};

// The loaded module that holds address, without a reference more; NULL when none does.
HINSTANCE OwnerOf(const void* address) {
    HMODULE owner = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExA(flags, static_cast<const char*>(address), &owner)) return nullptr;
    return reinterpret_cast<HINSTANCE>(owner);
}

}  // namespace

HINSTANCE LoadModule(const char* fileName) {
    if (!fileName || !*fileName) {
        SetLastError(kErrorInvalidParameter, "no module name given");
        return nullptr;
    }
    if (HasDirectoryPart(fileName)) {
        std::string path = ToNativePath(fileName);
        if (!FileExists(path.c_str())) {
            SetLastError(kErrorFileNotFound, (path + ": " + SystemErrorText(ERROR_FILE_NOT_FOUND)).c_str());
            return nullptr;
        }
        return Open(path, true);
    }
    std::string found = FindOnPath(fileName);
    if (!found.empty()) return Open(found, true);
    // Nowhere on "PATH": the system's own search (loaded modules, the system directories).
    return Open(fileName, false);
}

void* GetSymbol(HINSTANCE module, const char* name) {
    if (!module || !name) {
        SetLastError(kErrorInvalidParameter, "no module or symbol name given");
        return nullptr;
    }
    FARPROC address = GetProcAddress(reinterpret_cast<HMODULE>(module), name);
    if (!address) {
        const DWORD error = ::GetLastError();
        SetLastError(kErrorProcNotFound, (std::string(name) + ": " + SystemErrorText(error)).c_str());
        return nullptr;
    }
    return reinterpret_cast<void*>(address);
}

HINSTANCE ReferenceModule(HINSTANCE module) {
    if (!module) return nullptr;
    // By address, so a handle that is no longer loaded is never used as one.
    HMODULE referenced = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<const char*>(module),
                            &referenced))
        return nullptr;
    if (referenced == reinterpret_cast<HMODULE>(module)) return module;
    FreeLibrary(referenced);  // the address lies in another module
    return nullptr;
}

bool FreeModule(HINSTANCE module) {
    if (!module) {
        SetLastError(kErrorInvalidParameter, "no module given");
        return false;
    }
    if (!FreeLibrary(reinterpret_cast<HMODULE>(module))) {
        const DWORD error = ::GetLastError();
        SetLastError(kErrorInvalidParameter, SystemErrorText(error).c_str());
        return false;
    }
    void (*watcher)(HINSTANCE) = unloadWatcher.load();
    if (watcher && OwnerOf(module) != module) watcher(module);
    return true;
}

void WatchModuleUnloads(void (*unloaded)(HINSTANCE module)) { unloadWatcher.store(unloaded); }

// The linker's stub for an imported function is "jmp *slot(%rip)" (FF 25 and a 32-bit
// displacement from the next instruction); the slot is the import address table's entry.
const void* FunctionBehindStub(const void* code) {
    const unsigned char* bytes = static_cast<const unsigned char*>(code);
    if (!bytes || bytes[0] != 0xFF || bytes[1] != 0x25) return code;
    int32_t displacement;
    std::memcpy(&displacement, bytes + 2, sizeof(displacement));
    const void* target;
    std::memcpy(&target, bytes + 6 + displacement, sizeof(target));
    return target;
}

bool ModuleContains(HINSTANCE module, const void* address) {
    return module && address && OwnerOf(address) == module;
}

}  // namespace platform
