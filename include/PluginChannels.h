// The operations the kernel calls on particular kinds of channel plug-ins.
// Each class appends its operations after the virtual operations of
// Tev_Channel; their places are the contract with the plug-ins, so slots the
// kernel does not call are kept as reserved operations. The kernel calls them
// only on channels of the class (dynamic_cast), whatever a type GUID says;
// their destructors live in the kernel, and with them the type information
// every plug-in module shares.
#pragma once

#include "TarnwellExport.h"
#include "TarnwellTypes.h"
#include "Tev_Channel.h"

class TevFileLoader;

// Channel types the kernel asks for by GUID.
// {EBD84E0B-137A-45E2-A63E-EC1D98852828}
inline constexpr _GUID TEV_FILEDIALOG_GUID = {
    0xEBD84E0B, 0x137A, 0x45E2, {0xA6, 0x3E, 0xEC, 0x1D, 0x98, 0x85, 0x28, 0x28}};
// {0DE141BF-025D-4313-94AF-BE13150C6458}
inline constexpr _GUID TEV_DYNAMICLOADING_GUID = {
    0x0DE141BF, 0x025D, 0x4313, {0x94, 0xAF, 0xBE, 0x13, 0x15, 0x0C, 0x64, 0x58}};

// Module of the directory lister, loaded by file name.
#define TEV_DIRECTORY_DLL "Directory.dll"

// Asks the user for a file. Only ChooseFile is called by the kernel.
class TARNWELL_API Pex_FileDialogChannel : public Tev_Channel {
public:
    ~Pex_FileDialogChannel() override;
    virtual bool SetDialogTitle(const char*) { return false; }
    virtual bool SetInitialDirectory(const char*) { return false; }
    virtual bool SetDefaultFileName(const char*) { return false; }
    virtual bool SetOwnerWindow(HWND) { return false; }
    virtual bool ChooseSaveFile(const char*, const char*, char*) { return false; }
    virtual bool ChooseDirectory(const char*, char*) { return false; }
    virtual void Reserved1() {}
    virtual void Reserved2() {}
    virtual void Reserved3() {}
    virtual void Reserved4() {}
    virtual void Reserved5() {}
    virtual void Reserved6() {}
    virtual void Reserved7() {}
    virtual void Reserved8() {}
    virtual void Reserved9() {}
    // Writes a zero-terminated path of at most 259 characters into path (a
    // 260-byte buffer), or leaves it empty when nothing was chosen.
    virtual bool ChooseFile(const char* filter, const char* extension, char* path) = 0;
};

// Rewrites a file in place before it is read; named by a "KORF" block.
class TARNWELL_API Pex_TranslatorChannel : public Tev_Channel {
public:
    ~Pex_TranslatorChannel() override;
    virtual void Reserved1() {}
    // The loader stands just after the "KORF" block; leave its read position
    // where reading continues.
    virtual bool TranslateLoader(TevFileLoader* loader) = 0;
};

// Loads channel groups in the background; kept as a unique channel.
class TARNWELL_API Pex_DynamicLoadingChannel : public Tev_Channel {
public:
    ~Pex_DynamicLoadingChannel() override;
    virtual bool StartDynamicLoading(const char* groupPath, const char* poolName) = 0;
    virtual void Reserved1() {}
    // Called once all groups were released.
    virtual void ResetDynamicLoading() = 0;
    // A synchronous load of that pool is about to happen.
    virtual void PrepareGroupLoad(const char* poolName) = 0;
};

// Lists the files of a directory.
class TARNWELL_API Pex_DirectoryChannel : public Tev_Channel {
public:
    ~Pex_DirectoryChannel() override;
    virtual int GetListedFileCount() = 0;
    virtual void ClearList() = 0;
    virtual bool ListDirectory(const char* pattern) = 0;
    // Three letters, no dot.
    virtual void SetExtensionFilter(const char* extension) = 0;
    // Full path of a listed file; NULL outside the listing.
    virtual const char* GetListedFilePath(int nr) = 0;
    // Name relative to the listed directory; NULL outside the listing.
    virtual const char* GetListedFileName(int nr) = 0;
};
