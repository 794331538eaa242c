// Facade over the tagged file reader channel (type TEV_FILELOADER_TYPE). Every operation
// forwards to the channel's operation of the same name; without a channel (no reader
// plug-in installed) they answer false, 0 or NULL.
#pragma once

#include "TarnwellExport.h"

class EngineInterface;
class Pex_FileLoaderChannel;

class TARNWELL_API TevFileLoader {
public:
    // Uses globalEngine.
    TevFileLoader();
    explicit TevFileLoader(EngineInterface* engine);
    virtual ~TevFileLoader();

    TevFileLoader(const TevFileLoader&) = delete;
    TevFileLoader& operator=(const TevFileLoader&) = delete;

    virtual bool LoadFile(const char* path);
    virtual void SetBlockSize(unsigned long size);
    virtual bool SetBuffer(char* data, unsigned long size, bool copy);
    virtual bool GetTagData(char* tag);
    virtual bool CopyTagDataToPointer(void* dest);
    virtual bool CheckHeader(const char* tag, bool consume);
    virtual bool GotoTag(const char* tag, int mode);
    virtual bool GetInfoIfTag(const char* tag);
    virtual unsigned long GetSizeDataBlock(bool enter);
    virtual void ResetPosition();
    virtual char* GetBuffer();
    virtual unsigned long GetBufferSize();
    virtual bool AddBufferPos(long offset);
    virtual bool GetIfEndOfFile();
    virtual bool SkipCurrentTag();
    virtual bool SetURL(const char* url);
    virtual bool CheckULRCache(const char* url);
    virtual const char* GetChacheFileNameFromURL(const char* url);
    virtual bool SaveURLToCache(const char* url);
    virtual bool SetBufferChar(const char* text);
    virtual void StopLoading();
    virtual unsigned long GetCRC();
    virtual unsigned long GetAttributes();
    virtual void RunThreaded(bool threaded);
    virtual bool CopyTagDataToBuffer(void* dest, unsigned long capacity);

    // The reader channel, NULL when none was found.
    Pex_FileLoaderChannel* GetFileLoaderChannel() { return channel; }

protected:
    Pex_FileLoaderChannel* channel;  // owned
    EngineInterface* engineInterface;
};
