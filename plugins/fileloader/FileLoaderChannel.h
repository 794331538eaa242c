#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include "FileLoaderChannels.h"

// The reader channel of fileloader.dll; the stream layout is described in its .cpp.
class FileLoaderChannel : public Pex_FileLoaderChannel {
public:
    FileLoaderChannel();
    ~FileLoaderChannel() override;

    bool LoadFile(const char* path) override;
    void SetBlockSize(unsigned long size) override;
    bool SetBuffer(char* data, unsigned long size, bool copy) override;
    bool GetTagData(char* tag) override;
    bool CopyTagDataToPointer(void* dest) override;
    bool CheckHeader(const char* tag, bool consume) override;
    bool GotoTag(const char* tag, int mode) override;
    bool GetInfoIfTag(const char* tag) override;
    unsigned long GetSizeDataBlock(bool enter) override;
    void ResetPosition() override;
    char* GetBuffer() override;
    unsigned long GetBufferSize() override;
    bool AddBufferPos(long offset) override;
    bool GetIfEndOfFile() override;
    bool SkipCurrentTag() override;
    bool SetURL(const char* url) override;
    bool CheckULRCache(const char* url) override;
    const char* GetChacheFileNameFromURL(const char* url) override;
    bool SaveURLToCache(const char* url) override;
    bool SetBufferChar(const char* text) override;
    void StopLoading() override;
    unsigned long GetCRC() override;
    unsigned long GetAttributes() override;
    void RunThreaded(bool threaded) override;
    bool CopyTagDataToBuffer(void* dest, unsigned long capacity) override;

private:
    struct Block {
        size_t start;  // first data byte
        size_t size;
    };

    // Content.
    void ClearContent();
    bool ReadFile(std::FILE* file, std::vector<char>& out);
    void WaitForLoad();
    void ReportFailedLoad();
    const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(data); }

    // Walking the stream.
    size_t ResumePosition() const;
    bool SkipBlocks(size_t& at) const;
    bool FindNextTag(size_t& at) const;
    bool TagMatches(size_t at, const char* tag) const;
    bool NextBlock(Block& block) const;
    void MoveTo(size_t at);

    void ReportNotLocal(const char* url);

    std::vector<char> owned;  // the content when it is ours
    char* data;               // the content: owned.data() or the caller's memory
    size_t size;
    size_t pos;    // read position
    bool entered;  // pos lies in the data of the block GetSizeDataBlock(true) entered
    Block enteredBlock;
    std::string filePath;   // native path of the loaded file, empty for buffers
    std::string cacheName;  // answer of GetChacheFileNameFromURL
    size_t chunkSize;
    bool threaded;
    bool loadFailed;  // written by the load thread, read after joining it
    std::thread loadThread;
    std::atomic<bool> stopRequested;
};
