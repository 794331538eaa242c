// Tagged stream layout (little-endian throughout):
//
//   stream := entry*
//   entry  := tag block*
//   tag    := 4 bytes, each printable ASCII (0x20..0x7E)
//   block  := size (uint32) followed by size bytes of data
//
// A tag may carry any number of blocks, including none ("tag only"). Sizes are limited
// to 0x1FFFFFFF, so the last byte of a size word is always below 0x20 while the last byte
// of a tag never is: the word after a tag or a block is a size exactly when its last byte
// is below 0x20. A word that is neither, or a size that runs past the end, ends the
// readable part of the stream; no operation reads outside the content.
//
// "The next tag" is the first tag after the unread blocks of the current one, so callers
// may ignore the data of a tag. Only successful tag tests move the read position past a
// tag; CopyTagDataToPointer and GetSizeDataBlock(true) work on the block at the position.

#include "FileLoaderChannel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>

#include "BinaryRead.h"
#include "Crc32.h"
#include "EngineInterface.h"
#include "FileLoaderMessages.h"
#include "LocalPath.h"
#include "format/LittleEndian.h"
#include "format/TagFormat.h"

using tagformat::WordKind;

namespace {

constexpr size_t kDefaultChunkSize = 64 * 1024;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};

// Opens a regular file for reading; NULL for directories, FIFOs, devices and missing files.
// The kernel's opening never waits, not even on a FIFO swapped in for the file.
std::FILE* OpenRegularFile(const std::string& path) {
    if (path.empty()) return NULL;
    const int fd = binaryread::OpenForReading(path);
    if (fd < 0) return NULL;
    std::FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

}  // namespace

FileLoaderChannel::FileLoaderChannel()
    : data(NULL),
      size(0),
      pos(0),
      entered(false),
      enteredBlock{0, 0},
      chunkSize(kDefaultChunkSize),
      threaded(false),
      loadFailed(false),
      stopRequested(false) {}

FileLoaderChannel::~FileLoaderChannel() { StopLoading(); }

// --- content ---

void FileLoaderChannel::ClearContent() {
    std::vector<char>().swap(owned);
    data = NULL;
    size = 0;
    filePath.clear();
    MoveTo(0);
}

void FileLoaderChannel::WaitForLoad() {
    if (!loadThread.joinable()) return;
    loadThread.join();
    ReportFailedLoad();
}

// Reads straight into content sized by the file: growing it chunk by chunk copied a large
// file several times over and touched twice its size in fresh memory. A file that grows
// meanwhile is read to its end all the same.
bool FileLoaderChannel::ReadFile(std::FILE* file, std::vector<char>& out) {
    try {
        struct stat info;
        const bool sized = fstat(fileno(file), &info) == 0 && info.st_size > 0;
        out.resize(sized ? static_cast<size_t>(info.st_size) : 0);
        size_t filled = 0;
        while (filled < out.size()) {
            const size_t got =
                std::fread(out.data() + filled, 1, std::min(chunkSize, out.size() - filled), file);
            if (got == 0) break;
            filled += got;
            if (stopRequested.load()) return false;
        }
        if (filled == out.size()) {
            // Whatever lies beyond the size the file had (or all of it, when it had none).
            std::vector<char> chunk(chunkSize);
            size_t got;
            while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
                if (stopRequested.load()) return false;
                out.insert(out.end(), chunk.begin(), chunk.begin() + got);
                filled += got;
            }
        }
        out.resize(filled);
        return !std::ferror(file);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool FileLoaderChannel::LoadFile(const char* path) {
    StopLoading();
    ClearContent();
    if (!path) return false;
    std::string native = localpath::ToNative(path);
    std::unique_ptr<std::FILE, FileCloser> file(OpenRegularFile(native));
    if (!file) return false;
    filePath = native;
    // Reads the content; a worker thread must not report, so the caller does.
    auto load = [this](std::FILE* f) {
        std::unique_ptr<std::FILE, FileCloser> owner(f);
        std::vector<char> content;
        if (!ReadFile(f, content)) return false;
        owned.swap(content);
        data = owned.data();
        size = owned.size();
        return true;
    };
    if (threaded) {
        std::FILE* raw = file.release();
        try {
            loadThread = std::thread([this, load, raw] { loadFailed = !load(raw); });
            return true;
        } catch (const std::system_error&) {
            // No thread to be had: read here.
            loadFailed = !load(raw);
        }
    } else {
        loadFailed = !load(file.release());
    }
    bool ok = !loadFailed;
    ReportFailedLoad();
    return ok;
}

void FileLoaderChannel::ReportFailedLoad() {
    if (!loadFailed) return;
    loadFailed = false;
    if (engineInterface) engineInterface->showErrorMessage(loadermessages::kReadFailed, filePath.c_str());
    filePath.clear();
}

void FileLoaderChannel::SetBlockSize(unsigned long newSize) {
    WaitForLoad();
    chunkSize = newSize ? static_cast<size_t>(newSize) : kDefaultChunkSize;
}

bool FileLoaderChannel::SetBuffer(char* source, unsigned long sourceSize, bool copy) {
    StopLoading();
    if (!source && sourceSize > 0) return false;
    // The caller may hand back memory of our own content (GetBuffer): copy it before the
    // content is replaced.
    bool insideOwn = source && data && source >= data && source < data + size;
    if (copy || insideOwn) {
        std::vector<char> fresh;
        try {
            fresh.assign(source, source + sourceSize);
        } catch (const std::bad_alloc&) {
            return false;
        }
        ClearContent();
        owned.swap(fresh);
        data = owned.data();
    } else {
        ClearContent();
        data = source;
    }
    size = sourceSize;
    return true;
}

bool FileLoaderChannel::SetBufferChar(const char* text) {
    if (!text) return false;
    return SetBuffer(const_cast<char*>(text), std::strlen(text), true);
}

void FileLoaderChannel::StopLoading() {
    if (!loadThread.joinable()) return;
    stopRequested.store(true);
    loadThread.join();
    stopRequested.store(false);
    loadFailed = false;  // stopped on request: nothing to report
    if (!data) ClearContent();
}

void FileLoaderChannel::RunThreaded(bool run) {
    WaitForLoad();
    threaded = run;
}

unsigned long FileLoaderChannel::GetCRC() {
    WaitForLoad();
    return size ? Crc32(data, size) : 0;
}

unsigned long FileLoaderChannel::GetAttributes() {
    WaitForLoad();
    if (filePath.empty()) return 0;
    struct stat info;
    if (stat(filePath.c_str(), &info) != 0) return 0;
    // Mode bits as well as access(): a process with every right (root) still treats a
    // file nobody may write as read-only.
    bool readOnly =
        (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(filePath.c_str(), W_OK) != 0;
    return readOnly ? TEV_FILE_ATTRIBUTE_READONLY : 0;
}

// --- walking the stream ---

void FileLoaderChannel::MoveTo(size_t at) {
    pos = at;
    entered = false;
}

// Where the search for the next tag or block starts: an entered block counts as read.
size_t FileLoaderChannel::ResumePosition() const {
    if (entered && pos >= enteredBlock.start && pos <= enteredBlock.start + enteredBlock.size) {
        return enteredBlock.start + enteredBlock.size;
    }
    return pos;
}

// Moves at past every block that starts there; false when a block runs past the end.
bool FileLoaderChannel::SkipBlocks(size_t& at) const {
    while (tagformat::ClassifyWord(Bytes(), size, at) == WordKind::Size) {
        size_t blockSize = littleendian::Get32(Bytes() + at);
        if (blockSize > size - at - tagformat::kWordSize) return false;
        at += tagformat::kWordSize + blockSize;
    }
    return true;
}

bool FileLoaderChannel::FindNextTag(size_t& at) const {
    size_t p = ResumePosition();
    if (!SkipBlocks(p) || tagformat::ClassifyWord(Bytes(), size, p) != WordKind::Tag) return false;
    at = p;
    return true;
}

bool FileLoaderChannel::TagMatches(size_t at, const char* tag) const {
    return std::memcmp(data + at, tag, tagformat::kWordSize) == 0;
}

// The block at the read position: the entered one while nothing of it was walked yet.
bool FileLoaderChannel::NextBlock(Block& block) const {
    if (entered && pos == enteredBlock.start) {
        block = enteredBlock;
        return true;
    }
    size_t p = ResumePosition();
    if (tagformat::ClassifyWord(Bytes(), size, p) != WordKind::Size) return false;
    size_t blockSize = littleendian::Get32(Bytes() + p);
    if (blockSize > size - p - tagformat::kWordSize) return false;
    block.start = p + tagformat::kWordSize;
    block.size = blockSize;
    return true;
}

bool FileLoaderChannel::GetTagData(char* tag) {
    WaitForLoad();
    size_t at;
    if (!tag || !FindNextTag(at)) return false;
    std::memcpy(tag, data + at, tagformat::kWordSize);
    tag[tagformat::kWordSize] = '\0';
    return true;
}

bool FileLoaderChannel::CheckHeader(const char* tag, bool consume) {
    WaitForLoad();
    size_t at;
    if (!tagformat::IsValidTag(tag) || !FindNextTag(at) || !TagMatches(at, tag)) return false;
    if (consume) MoveTo(at + tagformat::kWordSize);
    return true;
}

bool FileLoaderChannel::GetInfoIfTag(const char* tag) { return CheckHeader(tag, true); }

bool FileLoaderChannel::GotoTag(const char* tag, int mode) {
    WaitForLoad();
    if (!tagformat::IsValidTag(tag)) return false;
    size_t p = mode == 0 ? ResumePosition() : 0;
    while (SkipBlocks(p) && tagformat::ClassifyWord(Bytes(), size, p) == WordKind::Tag) {
        if (TagMatches(p, tag)) {
            MoveTo(p + tagformat::kWordSize);
            return true;
        }
        p += tagformat::kWordSize;
    }
    return false;
}

bool FileLoaderChannel::SkipCurrentTag() {
    WaitForLoad();
    size_t p = ResumePosition();
    if (!SkipBlocks(p)) return false;
    MoveTo(p);
    return true;
}

bool FileLoaderChannel::GetIfEndOfFile() {
    WaitForLoad();
    size_t at;
    return !FindNextTag(at);
}

unsigned long FileLoaderChannel::GetSizeDataBlock(bool enter) {
    WaitForLoad();
    Block block;
    if (!NextBlock(block)) return 0;
    if (enter) {
        pos = block.start;
        entered = true;
        enteredBlock = block;
    }
    return block.size;
}

bool FileLoaderChannel::CopyTagDataToBuffer(void* dest, unsigned long capacity) {
    WaitForLoad();
    Block block;
    if (!NextBlock(block) || block.size > capacity) return false;
    if (block.size > 0) {
        if (!dest) return false;
        std::memcpy(dest, data + block.start, block.size);
    }
    MoveTo(block.start + block.size);
    return true;
}

bool FileLoaderChannel::CopyTagDataToPointer(void* dest) { return CopyTagDataToBuffer(dest, ULONG_MAX); }

void FileLoaderChannel::ResetPosition() {
    WaitForLoad();
    MoveTo(0);
}

char* FileLoaderChannel::GetBuffer() {
    WaitForLoad();
    return data ? data + pos : NULL;
}

unsigned long FileLoaderChannel::GetBufferSize() {
    WaitForLoad();
    return size - pos;
}

bool FileLoaderChannel::AddBufferPos(long offset) {
    WaitForLoad();
    if (offset < 0) {
        size_t back = static_cast<size_t>(-(offset + 1)) + 1;  // no overflow at LONG_MIN
        if (back > pos) return false;
        pos -= back;
    } else {
        if (static_cast<size_t>(offset) > size - pos) return false;
        pos += static_cast<size_t>(offset);
    }
    return true;
}

// --- addresses: only local files exist on this side; nothing is ever downloaded ---

void FileLoaderChannel::ReportNotLocal(const char* url) {
    if (engineInterface) engineInterface->showErrorMessage(loadermessages::kNotLocal, url ? url : "");
}

bool FileLoaderChannel::SetURL(const char* url) {
    std::string path;
    if (!localpath::FromURL(url, path)) {
        ReportNotLocal(url);
        return false;
    }
    return LoadFile(path.c_str());
}

bool FileLoaderChannel::CheckULRCache(const char* url) {
    std::string path;
    if (!localpath::FromURL(url, path)) {
        ReportNotLocal(url);
        return false;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

const char* FileLoaderChannel::GetChacheFileNameFromURL(const char* url) {
    std::string path;
    if (!localpath::FromURL(url, path)) {
        ReportNotLocal(url);
        return NULL;
    }
    cacheName = path;
    return cacheName.c_str();
}

// A local file is its own cache: there is nothing to store, only to find.
bool FileLoaderChannel::SaveURLToCache(const char* url) { return CheckULRCache(url); }
