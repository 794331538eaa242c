#include "TevFileSaver.h"

#include "DebugMessages.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "FileLoaderChannels.h"
#include "foundation/FileChannelFactory.h"

// Out of line, so the writer class's vtable and type information live in the kernel and
// dynamic_cast works on channels made by the plug-in.
Pex_FileSaverChannel::~Pex_FileSaverChannel() = default;

TevFileSaver::TevFileSaver() : channel(NULL), engineInterface(globalEngine) {
    channel = filechannel::Create<Pex_FileSaverChannel>(engineInterface, TEV_FILESAVER_TYPE);
    if (!channel) filechannel::ReportMissing(engineInterface, "File loader class not found");
}

TevFileSaver::TevFileSaver(EngineInterface* engine) : channel(NULL), engineInterface(engine) {
    channel = filechannel::Create<Pex_FileSaverChannel>(engineInterface, TEV_FILESAVER_TYPE);
    if (!channel) filechannel::ReportMissing(engineInterface, "TevFileSaver::TevFileSaver: File loader class not found");
}

TevFileSaver::~TevFileSaver() {
    filechannel::Destroy(channel);
    channel = NULL;
}

bool TevFileSaver::OpenSaveFile(const char* path, bool append) {
    return channel ? channel->OpenSaveFile(path, append) : false;
}

bool TevFileSaver::SaveTag(const char* tag) { return channel ? channel->SaveTag(tag) : false; }

bool TevFileSaver::SaveBlockSize(unsigned long size) {
    return channel ? channel->SaveBlockSize(size) : false;
}

bool TevFileSaver::SaveDataToFile(const void* data, unsigned long size) {
    return channel ? channel->SaveDataToFile(data, size) : false;
}

bool TevFileSaver::CloseSaveFile() { return channel ? channel->CloseSaveFile() : false; }

const char* TevFileSaver::GetSaveingFileName() { return channel ? channel->GetSaveingFileName() : NULL; }

bool TevFileSaver::OpenMemory() { return channel ? channel->OpenMemory() : false; }

bool TevFileSaver::CloseMemory() { return channel ? channel->CloseMemory() : false; }

char* TevFileSaver::GetBuffer() { return channel ? channel->GetBuffer() : NULL; }

unsigned long TevFileSaver::GetBufferSize() { return channel ? channel->GetBufferSize() : 0; }
