// Loading of shared modules (plug-ins), the stand-in for LoadLibraryA/GetProcAddress/FreeLibrary.
#pragma once

#include "TarnwellTypes.h"
#include "platform/LastError.h"

namespace platform {

// Loads a module. A name with a directory part ('\' or '/') is loaded from that path
// (in the system's form, see ToNativePath). A bare file name is looked for in each directory of
// "PATH" in order, then handed to the system's default search. On POSIX systems loading uses
// RTLD_NOW | RTLD_LOCAL, so missing symbols fail here, not later, as on Windows. Loading a module twice
// answers the same handle (counted). Failure: NULL, LastError() = kErrorFileNotFound when the file was found
// nowhere, kErrorModNotFound when a module it depends on is missing, kErrorProcNotFound when a symbol it
// needs is missing, kErrorAccessDenied when it cannot be opened, kErrorBadExeFormat when it is no module for
// this machine; LastErrorText() holds the loader's own text.
HINSTANCE LoadModule(const char* fileName);

// Address of an exported symbol, or NULL (LastError() = kErrorProcNotFound, loader's text).
void* GetSymbol(HINSTANCE module, const char* name);

// One more reference to a loaded module (GetModuleHandleExA with the reference counted):
// the module stays loaded until that reference is dropped with FreeModule. NULL on failure.
HINSTANCE ReferenceModule(HINSTANCE module);

// Drops one reference to the module; false for NULL or when the loader refuses. When the
// module leaves the process with it, the unload watcher (if any) is told its handle.
bool FreeModule(HINSTANCE module);

// The one function FreeModule tells of each module that left the process (not of one the
// loader keeps, or one another reference holds); null stops the telling.
void WatchModuleUnloads(void (*unloaded)(HINSTANCE module));

// The function code leads to. On Windows a module reaches (and fills its virtual tables with)
// another module's function through a jump stub of its own: the function that stub jumps to is
// answered. Elsewhere, and for any other code, code itself.
const void* FunctionBehindStub(const void* code);

// Whether address lies inside the module, which must be loaded. Never touches the handle
// itself, so a stale handle answers false.
bool ModuleContains(HINSTANCE module, const void* address);

}  // namespace platform
