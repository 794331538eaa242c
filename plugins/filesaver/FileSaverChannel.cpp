#include "FileSaverChannel.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "BinaryRead.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FileSaverMessages.h"
#include "LayerCodec.h"
#include "LocalPath.h"
#include "format/CompressedLayerFormat.h"
#include "format/GroupFileFormat.h"
#include "format/LittleEndian.h"
#include "format/TagFormat.h"

namespace {

constexpr size_t kFlushThreshold = 64 * 1024;

// The writer refuses directories and read-only files itself; this one also refuses to replace
// a FIFO, device or socket by a file, and chooses the message.
enum class Target { Fine, ReadOnly, NotAFile };

Target CheckTarget(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return Target::Fine;
    if (!S_ISREG(info.st_mode)) return Target::NotAFile;
    bool readOnly = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
    return readOnly ? Target::ReadOnly : Target::Fine;
}

}  // namespace

FileSaverChannel::FileSaverChannel() : mode(Mode::Idle), failed(false), requestedLevel(-1), level(0) {}

FileSaverChannel::~FileSaverChannel() { Abandon(); }

void FileSaverChannel::Report(const char* text, const char* detail) {
    if (engineInterface) engineInterface->showErrorMessage(text, detail);
}

// The path and why it failed: "path: No space left on device".
void FileSaverChannel::ReportFailure(const char* text) {
    std::string detail = savingName + ": " + file.GetErrorText();
    Report(text, detail.c_str());
}

// --- opening ---

bool FileSaverChannel::OpenSaveFile(const char* path, bool append) {
    Abandon();
    if (!path || !*path) return false;
    savingName = path;
    std::string target = localpath::ToNative(path);
    Target check = CheckTarget(target);
    if (check == Target::NotAFile) {
        Report(savermessages::kCantCreate, (savingName + ": " + savermessages::kNotAFile).c_str());
        return false;
    }
    if (!file.Open(target.c_str())) {
        ReportFailure(check == Target::ReadOnly ? savermessages::kReadOnly : savermessages::kCantCreate);
        return false;
    }
    mode = Mode::File;
    failed = false;
    level = requestedLevel >= 0 ? requestedLevel : RegistryLevel();
    if (append && !CopyExisting(target)) {
        ReportFailure(savermessages::kCantCreate);
        Abandon();
        return false;
    }
    return true;
}

// Appending writes the old content into the new file first, so it too is all or nothing.
bool FileSaverChannel::CopyExisting(const std::string& target) {
    // A FIFO swapped in for the checked target is refused instead of waited on.
    int in = binaryread::OpenForReading(target);
    if (in < 0) return errno == ENOENT;
    char chunk[64 * 1024];
    ssize_t got;
    bool ok = true;
    while (ok && (got = read(in, chunk, sizeof(chunk))) != 0) {
        if (got < 0) {
            ok = errno == EINTR;
            continue;
        }
        ok = file.Write(chunk, static_cast<size_t>(got));
    }
    close(in);
    return ok;
}

bool FileSaverChannel::OpenMemory() {
    Abandon();
    std::vector<char>().swap(memory);
    savingName.clear();
    mode = Mode::Memory;
    failed = false;
    level = requestedLevel >= 0 ? requestedLevel : RegistryLevel();
    return true;
}

// --- compression ---

void FileSaverChannel::DoEvent(int event, TevEventData data) {
    if (event != compressedlayer::kCompressEvent) return;
    requestedLevel = data > 9 ? 9 : static_cast<int>(data);
}

int FileSaverChannel::RegistryLevel() {
    char value[8] = {0};
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    if (!ext || !ext->GetRegData(compressedlayer::kRegistryValue, value, sizeof(value))) return 0;
    return std::strcmp(value, "Yes") == 0 ? compressedlayer::kDefaultLevel : 0;
}

// Only group files are layered: they are what every reader passes through the translators.
// Type lists and project files are read by readers that expect them plain.
bool FileSaverChannel::Compress(std::vector<char>& content) {
    if (level <= 0 || content.size() < tagformat::kWordSize ||
        std::memcmp(content.data(), groupfileformat::kGroup, tagformat::kWordSize) != 0)
        return true;
    std::vector<char> layered;
    std::string why;
    if (!layercodec::Compress(content.data(), content.size(), level, layered, why)) {
        Report(savermessages::kCompressFailed, (savingName + ": " + why).c_str());
        return false;
    }
    content.swap(layered);
    return true;
}

// --- writing ---

bool FileSaverChannel::Append(const void* bytes, size_t count) {
    if (mode == Mode::Idle || failed) return false;
    if (count == 0) return true;
    const char* p = static_cast<const char*>(bytes);
    try {
        std::vector<char>& into = mode == Mode::Memory ? memory : pending;
        into.insert(into.end(), p, p + count);
    } catch (const std::bad_alloc&) {
        failed = true;
        return false;
    }
    // A compressed file is written whole at the end.
    if (mode == Mode::File && level == 0 && pending.size() >= kFlushThreshold) return Flush();
    return true;
}

bool FileSaverChannel::Flush() {
    if (failed) return false;
    if (!file.Write(pending.data(), pending.size())) {
        failed = true;
        ReportFailure(savermessages::kWriteFailed);
        return false;
    }
    pending.clear();
    return true;
}

bool FileSaverChannel::SaveTag(const char* tag) {
    if (!tagformat::IsValidTag(tag)) {
        Report(savermessages::kBadTag, tag ? tag : "");
        return false;
    }
    return Append(tag, tagformat::kWordSize);
}

bool FileSaverChannel::SaveBlockSize(unsigned long size) {
    if (size > tagformat::kMaxBlockSize) {
        Report(savermessages::kBlockTooLarge, std::to_string(size).c_str());
        return false;
    }
    unsigned char word[tagformat::kWordSize];
    littleendian::Put32(word, static_cast<uint32_t>(size));
    return Append(word, sizeof(word));
}

bool FileSaverChannel::SaveDataToFile(const void* data, unsigned long size) {
    if (!data && size > 0) return false;
    return Append(data, size);
}

// --- finishing ---

bool FileSaverChannel::Commit() {
    if (!Compress(pending) || !Flush()) {
        file.Abort();
        return false;
    }
    if (file.Commit()) return true;
    ReportFailure(savermessages::kWriteFailed);
    return false;
}

bool FileSaverChannel::CloseSaveFile() {
    if (mode == Mode::Memory) return CloseMemory();
    if (mode != Mode::File) return false;
    bool ok = Commit();
    mode = Mode::Idle;
    pending.clear();
    failed = false;
    return ok;
}

bool FileSaverChannel::CloseMemory() {
    if (mode != Mode::Memory) return false;
    mode = Mode::Idle;
    bool ok = !failed && Compress(memory);
    failed = false;
    return ok;
}

// Drops an unfinished file: the temporary goes, the target is untouched.
void FileSaverChannel::Abandon() {
    if (mode == Mode::File) {
        file.Abort();
        pending.clear();
    }
    mode = Mode::Idle;
    failed = false;
}

const char* FileSaverChannel::GetSaveingFileName() { return savingName.c_str(); }

char* FileSaverChannel::GetBuffer() { return memory.empty() ? NULL : memory.data(); }

unsigned long FileSaverChannel::GetBufferSize() { return memory.size(); }
