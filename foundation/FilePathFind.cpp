// Relative and absolute file paths against a source file.
//
// Path forms and their roots:
//  - drive path "C:\a\x": the root is the first three characters;
//  - POSIX path "/a/x" (or "\a\x", the kernel's own spelling of it): the root
//    is the single leading separator; its names compare with letter case, as
//    the file system does, and absolute results are written with '/';
//  - UNC path "\\srv\share\x": the root is the leading pair;
//  - anything else is relative.
// '\' and '/' both separate elements. Results that would not fit their buffer
// are refused rather than cut, since a cut path names another file.
#include "FilePathFind.h"

#include <cctype>
#include <cstring>

#include "EngineInterface.h"
#include "Tev_ChannelGroup.h"
#include "foundation/PathText.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace {

const size_t kWorkSize = 400;    // working copies: 399 characters
const size_t kSourceSize = 399;  // sourcePath_: 398 characters
const size_t kResultSize = 299;  // resultPath: 298 characters
const size_t kGroupPathSize = 260;

const char kAddress[] = "http://";

bool IsSep(char c) { return pathtext::IsSeparator(c); }

bool IsDrive(const char* p) { return std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':'; }

bool IsPosixRooted(const char* p) { return IsSep(p[0]) && !IsSep(p[1]); }

bool IsRooted(const char* p) { return IsDrive(p) || IsSep(p[0]); }

// Where the first element starts. Relative paths keep the drive root's three
// characters, which is what lets the back-step helpers blank "..\" groups.
size_t RootLength(const char* p) {
    if (IsDrive(p)) return 3;
    if (IsSep(p[0])) return IsSep(p[1]) ? 2 : 1;
    return 3;
}

// Lowest position a separator search from the end may examine: the root
// separator of a POSIX path counts, position 0 of any other path does not.
size_t LowestSearchPosition(const char* p) { return IsPosixRooted(p) ? 0 : 1; }

// A POSIX path in its written form: '/' only, no doubled separators.
void NormalizePosix(char* path) {
    size_t to = 0;
    for (size_t from = 0; path[from]; ++from) {
        char c = path[from] == '\\' ? '/' : path[from];
        if (c == '/' && to > 0 && path[to - 1] == '/') continue;
        path[to++] = c;
    }
    path[to] = '\0';
}

bool SameName(const char* a, const char* b, bool matchCase) {
    return matchCase ? std::strcmp(a, b) == 0 : platform::StrICmp(a, b) == 0;
}

void CurrentDirectory(char* out, size_t size) {
    if (platform::GetCurrentDirectory(out, size) == 0 || out[0] == '\0') platform::CopyText(out, size, ".");
}

// Number of leading back steps ("..\" or "../").
int BackSteps(const char* p) {
    int steps = 0;
    while (p[0] == '.' && p[1] == '.' && IsSep(p[2])) {
        ++steps;
        p += 3;
    }
    return steps;
}

// Copies [begin, end) into out (kWorkSize characters at most).
void CopyElement(char* out, const char* begin, const char* end) {
    size_t length = static_cast<size_t>(end - begin);
    if (length >= kWorkSize) length = kWorkSize - 1;
    std::memcpy(out, begin, length);
    out[length] = '\0';
}

// Directory names of a path that ends in a separator include its last element.
bool EndsWithDirectory(const char* p) {
    size_t length = std::strlen(p);
    return length > RootLength(p) && IsSep(p[length - 1]);
}

// Appends text; remembers whether everything fitted.
struct Builder {
    char text[kWorkSize];
    bool fits = true;
    Builder() { text[0] = '\0'; }
    void Add(const char* part) { fits = platform::AppendText(text, part) && fits; }
    void Add(char c) {
        char part[2] = {c, '\0'};
        Add(part);
    }
};

}  // namespace

FilePathFind::FilePathFind() : DllInterface() {
    sourcePath_[0] = '\0';
    resultPath[0] = '\0';
}

FilePathFind::FilePathFind(EngineInterface* engine) : FilePathFind() { engineInterface = engine; }

FilePathFind::~FilePathFind() {}

// ------------------------------------------------------------ element helpers

int FilePathFind::GetDirCount(const char* path) {
    if (!path) return 0;
    size_t length = std::strlen(path);
    int count = 0;
    for (size_t i = RootLength(path); i + 1 < length; ++i)
        if (IsSep(path[i])) ++count;
    return count;
}

// The element `count` separators further on, or NULL when the path ends before.
static const char* SkipElements(const char* element, int count) {
    for (int i = 0; i < count; ++i) {
        while (*element && !IsSep(*element)) ++element;
        if (!*element) return nullptr;
        ++element;
    }
    return element;
}

const char* FilePathFind::GetDirName(char* out, const char* path, int index) {
    if (out) out[0] = '\0';
    if (!out || !path || index < 0) return nullptr;
    size_t length = std::strlen(path);
    size_t start = RootLength(path);
    if (start > length) return nullptr;
    const char* element = SkipElements(path + start, index);
    if (!element) return nullptr;
    const char* end = element;
    while (*end && !IsSep(*end)) ++end;
    if (!*end) return nullptr;  // the file name
    CopyElement(out, element, end);
    return out;
}

int FilePathFind::GetBackDirCount(const char* path) { return path ? -BackSteps(path) : 0; }

int FilePathFind::GetDirCountFromBackDir(const char* path) {
    if (!path) return 0;
    char copy[kWorkSize];
    platform::CopyText(copy, path);
    int steps = -GetBackDirCount(copy);
    for (size_t i = 0; i < static_cast<size_t>(steps) * 3 && copy[i]; ++i) copy[i] = ' ';
    return GetDirCount(copy);
}

const char* FilePathFind::GetDirNameFromBackDir(char* out, const char* path, int index) {
    if (out) out[0] = '\0';
    if (!out || !path || index < 0) return nullptr;
    const char* element = SkipElements(path + static_cast<size_t>(-GetBackDirCount(path)) * 3, index);
    if (!element) return nullptr;
    const char* end = element;
    while (*end && !IsSep(*end)) ++end;
    if (end == element) return nullptr;  // nothing there
    CopyElement(out, element, end);
    return out;
}

// The last separator at or above the lowest searched position, or NULL.
static char* LastSeparator(char* path) { return pathtext::LastSeparator(path, LowestSearchPosition(path)); }

const char* FilePathFind::GetFileName(char* path) {
    if (!path) return path;
    if (char* separator = LastSeparator(path)) std::memmove(path, separator + 1, std::strlen(separator + 1) + 1);
    return path;
}

const char* FilePathFind::GetFilePath(char* path) {
    if (!path) return nullptr;
    if (char* separator = LastSeparator(path)) *separator = '\0';
    return path;
}

bool FilePathFind::CheckValidDrive(const char* a, const char* b) {
    if (!a || !b) return false;
    return a[0] != '.' && a[0] == b[0];
}

int FilePathFind::GetDirShareCount(const char* a, const char* b) {
    if (!a || !b) return 0;
    bool matchCase = IsPosixRooted(a) && IsPosixRooted(b);
    int count = GetDirCount(a);
    int shared = 0;
    char nameA[kWorkSize];
    char nameB[kWorkSize];
    for (int i = 0; i < count; ++i) {
        GetDirName(nameA, a, i);
        GetDirName(nameB, b, i);
        if (!SameName(nameA, nameB, matchCase)) break;
        ++shared;
    }
    return shared;
}

int FilePathFind::GetRelativeDirCount(const char* a, const char* b) {
    int dirsA = GetDirCount(a);
    int dirsB = GetDirCount(b);
    int shared = GetDirShareCount(a, b);
    return shared < dirsB ? shared - dirsB : dirsA - dirsB;
}

// ------------------------------------------------------------ normal form

void FilePathFind::CreateValidFilePath(char* path, const char* baseDir) {
    if (!path) return;
    // One kind of separator, no doubled ones; a leading pair (UNC) stays.
    for (size_t i = 1; path[i];) {
        if (path[i] == '/') path[i] = '\\';
        if (path[i] == '\\' && path[i - 1] == '\\' && i != 1) {
            std::memmove(path + i, path + i + 1, std::strlen(path + i + 1) + 1);
            continue;
        }
        ++i;
    }
    if (IsPosixRooted(path)) NormalizePosix(path);
    if (path[0] != '.' || !baseDir) return;
    // A leading '.' stands for the base directory.
    Builder joined;
    joined.Add(baseDir);
    joined.Add(path + 1);
    if (!joined.fits) return;  // would not fit the caller's buffer: keep the relative form
    if (IsPosixRooted(baseDir)) NormalizePosix(joined.text);
    std::memcpy(path, joined.text, std::strlen(joined.text) + 1);
}

// Makes a working copy absolute against the current directory. "." and ".\x"
// take the normal form's route; other relative forms ("x", "..\x") are joined
// to the directory and their dot elements resolved.
static void MakeAbsolute(FilePathFind* finder, char* path) {
    char current[kWorkSize];
    CurrentDirectory(current, sizeof(current));
    bool dotForm = path[0] == '.' && (path[1] == '\0' || IsSep(path[1]));
    if (!IsRooted(path) && !dotForm) {
        Builder joined;
        joined.Add(current);
        joined.Add('\\');
        joined.Add(path);
        char resolved[kWorkSize];
        if (joined.fits && platform::PathCanonicalize(resolved, sizeof(resolved), joined.text))
            platform::CopyText(path, kWorkSize, resolved);
    }
    finder->CreateValidFilePath(path, current);
}

void FilePathFind::SetSourcePath(const char* path) {
    if (!path) return;
    // An over-long source would be cut to another file: forget it instead, so
    // paths resolve against the current directory.
    if (std::strlen(path) >= kSourceSize) {
        sourcePath_[0] = '\0';
        return;
    }
    platform::CopyText(sourcePath_, path);
    // Any letter case, as GetCompleteFilePath reads it: an address must not
    // be taken apart as a file path.
    if (platform::StrStrI(sourcePath_, kAddress)) return;
    char work[kWorkSize];
    platform::CopyText(work, sourcePath_);
    MakeAbsolute(this, work);
    if (std::strlen(work) < kSourceSize) platform::CopyText(sourcePath_, work);
}

// ------------------------------------------------------------ relative form

const char* FilePathFind::GetValidRelativeDir(const char* target) {
    if (!target) return nullptr;
    if (std::strlen(target) >= kWorkSize) return target;  // too long to work on: keep it absolute
    char work[kWorkSize];
    platform::CopyText(work, target);
    MakeAbsolute(this, work);
    if (!CheckValidDrive(work, sourcePath_)) {
        if (engineInterface) {
            engineInterface->showErrorMessage("orgFile :", work);
            engineInterface->showErrorMessage("sourcePath_ :", sourcePath_);
            engineInterface->showErrorMessage("Autoload group is on different drive");
        }
        return target;
    }
    int shared = GetDirShareCount(work, sourcePath_);
    int levels = GetRelativeDirCount(work, sourcePath_);
    Builder result;
    char name[kWorkSize];
    int first = shared;
    if (levels >= 0) {
        result.Add(".\\");
    } else {
        for (int i = 0; i < -levels; ++i) result.Add("..\\");
        first = GetDirCount(sourcePath_) + levels;
    }
    int last = levels >= 0 ? shared + levels : GetDirCount(work);
    for (int i = first; i < last; ++i) {
        GetDirName(name, work, i);
        result.Add(name);
        result.Add('\\');
    }
    GetFileName(work);
    result.Add(work);
    if (!result.fits || std::strlen(result.text) >= kResultSize) return target;
    platform::CopyText(resultPath, result.text);
    return resultPath;
}

// ------------------------------------------------------------ absolute form

// The working copy of a relative path: back steps and ".\" forms as written,
// every other name below the source's directory.
static void FormWorkingCopy(const char* relative, char* work) {
    bool backStep = relative[0] == '.' && relative[1] == '.' && (relative[2] == '\0' || IsSep(relative[2]));
    bool here = relative[0] == '.' && (relative[1] == '\0' || IsSep(relative[1]));
    work[0] = '\0';
    if (!backStep && !here) platform::AppendText(work, kWorkSize, ".\\");
    platform::AppendText(work, kWorkSize, relative);
    if (std::strcmp(work, "..") == 0 || std::strcmp(work, ".") == 0)
        platform::AppendText(work, kWorkSize, "\\");
}

const char* FilePathFind::GetCompleteFilePath(const char* relative) {
    if (!relative) return nullptr;
    if (platform::StrStrI(sourcePath_, kAddress)) {
        Builder result;
        platform::CopyTextN(result.text, sourcePath_, 255);
        for (size_t i = std::strlen(result.text); i-- > 1;) {
            if (IsSep(result.text[i])) {
                result.text[i + 1] = '\0';
                break;
            }
        }
        result.Add(relative);
        if (!result.fits || std::strlen(result.text) >= kResultSize) return nullptr;
        platform::CopyText(resultPath, result.text);
        return resultPath;
    }
    if (std::strlen(relative) + 2 >= kWorkSize) return nullptr;
    char work[kWorkSize];
    if (IsRooted(relative)) {
        // Already absolute (a target on another drive is stored that way).
        platform::CopyText(work, relative);
        CreateValidFilePath(work, nullptr);
        if (std::strlen(work) >= kResultSize) return nullptr;
        platform::CopyText(resultPath, work);
        return resultPath;
    }
    FormWorkingCopy(relative, work);

    char source[kWorkSize];
    platform::CopyText(source, sourcePath_);
    MakeAbsolute(this, source);
    char separator = IsPosixRooted(source) ? '/' : '\\';
    Builder result;
    platform::CopyTextN(result.text, sizeof(result.text), source, RootLength(source));
    if (separator == '/') result.text[0] = '/';
    char name[kWorkSize];
    int steps = -GetBackDirCount(work);
    if (steps > 0) {
        int sourceDirs = GetDirCount(source);
        for (int i = 0; i < sourceDirs - steps; ++i) {
            GetDirName(name, source, i);
            result.Add(name);
            result.Add(separator);
        }
        int dirs = GetDirCountFromBackDir(work) + (EndsWithDirectory(work) ? 1 : 0);
        for (int i = 0; i < dirs; ++i) {
            if (!GetDirNameFromBackDir(name, work, i)) continue;
            result.Add(name);
            result.Add(separator);
        }
    } else {
        char sourceDir[kWorkSize];
        platform::CopyText(sourceDir, source);
        GetFilePath(sourceDir);
        CreateValidFilePath(work, sourceDir);
        int dirs = GetDirCount(work) + (EndsWithDirectory(work) ? 1 : 0);
        for (int i = 0; i < dirs; ++i) {
            GetDirName(name, work, i);
            result.Add(name);
            result.Add(separator);
        }
    }
    GetFileName(work);
    result.Add(work);
    if (!result.fits || std::strlen(result.text) >= kResultSize) return nullptr;
    platform::CopyText(resultPath, result.text);
    return resultPath;
}

const char* FilePathFind::GetCorrectFilePath(const char* path) {
    if (!path) return nullptr;
    // Drive, UNC, address and POSIX paths are absolute already.
    if (std::strchr(path, ':') || std::strstr(path, "\\\\") || IsSep(path[0])) return path;
    return GetCompleteFilePath(path);
}

// ------------------------------------------------------------ group files

void FilePathFind::GetGroupRelativePath(char* path, Tev_ChannelGroup* group) {
    if (!path || !group) return;
    auto trace = [this](const char* text, const char* value) {
        if (engineInterface) engineInterface->showErrorMessage(text, value);
    };
    trace("FilePathFind::GetGroupRelativePath in", path);
    if (path[0] != '\0' && path[0] != '.') return;
    const char* fileName = group->GetChannelGroupFileName();
    if (!fileName || fileName[0] == '\0') return;
    char dir[kGroupPathSize];
    platform::CopyTextN(dir, fileName, 255);
    trace("Before remove file", dir);
    // A group file without a directory lies in the current one.
    if (char* separator = LastSeparator(dir)) {
        if (engineInterface)
            engineInterface->showErrorMessage(*separator == '\\' ? "Found \\" : "Found /",
                                              static_cast<int>(separator - dir));
        separator[1] = '\0';
    } else {
        dir[0] = '\0';
    }
    trace("adter remove file", dir);
    Builder joined;
    joined.Add(dir);
    joined.Add(path);
    char canonical[kGroupPathSize];
    if (joined.fits && platform::PathCanonicalize(canonical, sizeof(canonical), joined.text)) {
        if (IsPosixRooted(canonical)) NormalizePosix(canonical);
        platform::CopyText(path, kGroupPathSize, canonical);
    }
    trace("FilePathFind::GetGroupRelativePath out", path);
}
