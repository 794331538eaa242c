// Relative and absolute forms of file paths against a source file (a group
// or project file). Drive paths (C:\...), UNC paths, POSIX paths (/home/...)
// and an address source (http://...) are understood; '/' and '\' both
// separate elements. The order of the virtual operations and of the data
// members is part of the plug-in contract.
#pragma once

#include "DllInterface.h"
#include "TarnwellExport.h"

class EngineInterface;
class Tev_ChannelGroup;

// Size of the `out` buffer of GetDirName and GetDirNameFromBackDir: a name is copied into it
// with its terminator, cut to FILEPATHFIND_NAME_SIZE - 1 characters.
#define FILEPATHFIND_NAME_SIZE 400

class TARNWELL_API FilePathFind : public DllInterface {
public:
    FilePathFind();  // reports through globalEngine
    explicit FilePathFind(EngineInterface* engine);
    virtual ~FilePathFind();

    virtual void SetSourcePath(const char* path);
    // The target relative to the source path; the target pointer itself when
    // it lies on another drive; NULL for NULL.
    virtual const char* GetValidRelativeDir(const char* target);
    // Undoes GetValidRelativeDir; the result lives in resultPath.
    virtual const char* GetCompleteFilePath(const char* relative);
    // In place: unify separators, drop doubled ones, resolve a leading '.'
    // against baseDir. path must hold at least 400 characters.
    virtual void CreateValidFilePath(char* path, const char* baseDir);
    virtual bool CheckValidDrive(const char* a, const char* b);
    virtual int GetDirShareCount(const char* a, const char* b);
    virtual int GetRelativeDirCount(const char* a, const char* b);
    // out must hold FILEPATHFIND_NAME_SIZE bytes (also for GetDirNameFromBackDir).
    virtual const char* GetDirName(char* out, const char* path, int index);
    virtual int GetDirCount(const char* path);
    virtual const char* GetFileName(char* path);
    virtual const char* GetFilePath(char* path);
    virtual int GetBackDirCount(const char* path);
    virtual int GetDirCountFromBackDir(const char* path);
    virtual const char* GetDirNameFromBackDir(char* out, const char* path, int index);
    virtual const char* GetCorrectFilePath(const char* path);

    // Rewrites a path relative to the group's file into an absolute one, in
    // place; path must hold at least 260 characters.
    void GetGroupRelativePath(char* path, Tev_ChannelGroup* group);

protected:
    char sourcePath_[399];  // empty until SetSourcePath
    char resultPath[299];   // result of the last call
};
