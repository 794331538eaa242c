#include "TevAtomicFile.h"

#include <cstring>

#include "platform/Files.h"

TevAtomicFile::TevAtomicFile() : writer(new platform::AtomicFileWriter()) {}

TevAtomicFile::~TevAtomicFile() { delete writer; }

bool TevAtomicFile::Open(const char* path) { return writer->Open(path); }

bool TevAtomicFile::Write(const void* data, size_t size) { return writer->Write(data, size); }

bool TevAtomicFile::Commit() { return writer->Commit(); }

void TevAtomicFile::Abort() { writer->Abort(); }

bool TevAtomicFile::IsOpen() const { return writer->IsOpen(); }

const char* TevAtomicFile::GetErrorText() const {
    return writer->Error() ? std::strerror(writer->Error()) : "";
}

namespace {

bool ValidCall(int call) { return call >= 0 && call < static_cast<int>(platform::FileCall::kCount); }

}  // namespace

extern "C" TARNWELL_API void TevTestSetFileFault(int call, unsigned nth, int error) {
    if (ValidCall(call)) platform::SetFileFault(static_cast<platform::FileCall>(call), nth, error);
}

extern "C" TARNWELL_API unsigned TevTestFileCallCount(int call) {
    return ValidCall(call) ? platform::FileCallCount(static_cast<platform::FileCall>(call)) : 0;
}

extern "C" TARNWELL_API void TevTestClearFileFault() { platform::ClearFileFault(); }
