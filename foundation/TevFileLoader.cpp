#include "TevFileLoader.h"

#include "DebugMessages.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "FileLoaderChannels.h"
#include "foundation/FileChannelFactory.h"

// Out of line, so the reader class's vtable and type information live in the kernel and
// dynamic_cast works on channels made by the plug-in.
Pex_FileLoaderChannel::~Pex_FileLoaderChannel() = default;

TevFileLoader::TevFileLoader() : channel(NULL), engineInterface(globalEngine) {
    channel = filechannel::Create<Pex_FileLoaderChannel>(engineInterface, TEV_FILELOADER_TYPE);
    if (!channel) filechannel::ReportMissing(engineInterface, "File loader class not found");
}

TevFileLoader::TevFileLoader(EngineInterface* engine) : channel(NULL), engineInterface(engine) {
    channel = filechannel::Create<Pex_FileLoaderChannel>(engineInterface, TEV_FILELOADER_TYPE);
    if (!channel) filechannel::ReportMissing(engineInterface, "TevFileLoader::TevFileLoader: File loader class not found");
}

TevFileLoader::~TevFileLoader() {
    filechannel::Destroy(channel);
    channel = NULL;
}

bool TevFileLoader::LoadFile(const char* path) { return channel ? channel->LoadFile(path) : false; }

void TevFileLoader::SetBlockSize(unsigned long size) {
    if (channel) channel->SetBlockSize(size);
}

bool TevFileLoader::SetBuffer(char* data, unsigned long size, bool copy) {
    return channel ? channel->SetBuffer(data, size, copy) : false;
}

bool TevFileLoader::GetTagData(char* tag) { return channel ? channel->GetTagData(tag) : false; }

bool TevFileLoader::CopyTagDataToPointer(void* dest) {
    return channel ? channel->CopyTagDataToPointer(dest) : false;
}

bool TevFileLoader::CheckHeader(const char* tag, bool consume) {
    return channel ? channel->CheckHeader(tag, consume) : false;
}

bool TevFileLoader::GotoTag(const char* tag, int mode) {
    return channel ? channel->GotoTag(tag, mode) : false;
}

bool TevFileLoader::GetInfoIfTag(const char* tag) { return channel ? channel->GetInfoIfTag(tag) : false; }

unsigned long TevFileLoader::GetSizeDataBlock(bool enter) {
    return channel ? channel->GetSizeDataBlock(enter) : 0;
}

void TevFileLoader::ResetPosition() {
    if (channel) channel->ResetPosition();
}

char* TevFileLoader::GetBuffer() { return channel ? channel->GetBuffer() : NULL; }

unsigned long TevFileLoader::GetBufferSize() { return channel ? channel->GetBufferSize() : 0; }

bool TevFileLoader::AddBufferPos(long offset) { return channel ? channel->AddBufferPos(offset) : false; }

bool TevFileLoader::GetIfEndOfFile() { return channel ? channel->GetIfEndOfFile() : false; }

bool TevFileLoader::SkipCurrentTag() { return channel ? channel->SkipCurrentTag() : false; }

bool TevFileLoader::SetURL(const char* url) { return channel ? channel->SetURL(url) : false; }

bool TevFileLoader::CheckULRCache(const char* url) { return channel ? channel->CheckULRCache(url) : false; }

const char* TevFileLoader::GetChacheFileNameFromURL(const char* url) {
    return channel ? channel->GetChacheFileNameFromURL(url) : NULL;
}

bool TevFileLoader::SaveURLToCache(const char* url) { return channel ? channel->SaveURLToCache(url) : false; }

bool TevFileLoader::SetBufferChar(const char* text) { return channel ? channel->SetBufferChar(text) : false; }

void TevFileLoader::StopLoading() {
    if (channel) channel->StopLoading();
}

unsigned long TevFileLoader::GetCRC() { return channel ? channel->GetCRC() : 0; }

unsigned long TevFileLoader::GetAttributes() { return channel ? channel->GetAttributes() : 0; }

void TevFileLoader::RunThreaded(bool threaded) {
    if (channel) channel->RunThreaded(threaded);
}

bool TevFileLoader::CopyTagDataToBuffer(void* dest, unsigned long capacity) {
    return channel ? channel->CopyTagDataToBuffer(dest, capacity) : false;
}
