#pragma once

#include <string>
#include <vector>

#include "FileLoaderChannels.h"
#include "TevAtomicFile.h"

// The writer channel of filesaver.dll. A file is written into a temporary file beside it
// and renamed over it by CloseSaveFile (through the kernel's TevAtomicFile), so the old file
// survives every failure.
//
// Group files may be written compressed (format/CompressedLayerFormat.h): the engine's registry
// value turns that on for every writer, DoEvent(kCompressEvent, level) for this one. A compressed
// file is held in memory until CloseSaveFile, which writes the layer in one piece.
class FileSaverChannel : public Pex_FileSaverChannel {
public:
    FileSaverChannel();
    ~FileSaverChannel() override;

    void DoEvent(int event, TevEventData data) override;

    bool OpenSaveFile(const char* path, bool append) override;
    bool SaveTag(const char* tag) override;
    bool SaveBlockSize(unsigned long size) override;
    bool SaveDataToFile(const void* data, unsigned long size) override;
    bool CloseSaveFile() override;
    const char* GetSaveingFileName() override;
    bool OpenMemory() override;
    bool CloseMemory() override;
    char* GetBuffer() override;
    unsigned long GetBufferSize() override;

private:
    enum class Mode { Idle, File, Memory };

    bool Append(const void* bytes, size_t count);
    bool Flush();
    bool CopyExisting(const std::string& target);
    bool Commit();
    int RegistryLevel();
    bool Compress(std::vector<char>& content);
    void Abandon();
    void Report(const char* text, const char* detail);
    void ReportFailure(const char* text);

    Mode mode;
    TevAtomicFile file;         // the file being written while Mode::File
    bool failed;                // a write failed: CloseSaveFile refuses to commit
    int requestedLevel;         // set through DoEvent; -1: the registry decides
    int level;                  // compression level of the current save; 0: none
    std::string savingName;     // the path as the caller gave it
    std::vector<char> pending;  // bytes not yet written to fd
    std::vector<char> memory;   // content written by OpenMemory
};
