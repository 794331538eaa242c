// Facade over the tagged file writer channel (type TEV_FILESAVER_TYPE). Every operation
// forwards to the channel's operation of the same name; without a channel (no writer
// plug-in installed) they answer false, 0 or NULL.
#pragma once

#include "TarnwellExport.h"

class EngineInterface;
class Pex_FileSaverChannel;

class TARNWELL_API TevFileSaver {
public:
    // Uses globalEngine.
    TevFileSaver();
    explicit TevFileSaver(EngineInterface* engine);
    virtual ~TevFileSaver();

    TevFileSaver(const TevFileSaver&) = delete;
    TevFileSaver& operator=(const TevFileSaver&) = delete;

    virtual bool OpenSaveFile(const char* path, bool append);
    virtual bool SaveTag(const char* tag);
    virtual bool SaveBlockSize(unsigned long size);
    virtual bool SaveDataToFile(const void* data, unsigned long size);
    virtual bool CloseSaveFile();
    virtual const char* GetSaveingFileName();
    virtual bool OpenMemory();
    virtual bool CloseMemory();
    virtual char* GetBuffer();
    virtual unsigned long GetBufferSize();

    // The writer channel, NULL when none was found.
    Pex_FileSaverChannel* GetFileSaverChannel() { return channel; }

protected:
    Pex_FileSaverChannel* channel;  // owned
    EngineInterface* engineInterface;
};
