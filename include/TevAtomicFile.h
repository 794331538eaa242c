// The kernel's all-or-nothing file writer. The writer plug-in, the tools and any host that saves
// files use it, so every file goes through one implementation (and through the platform layer,
// where tests inject failures). Nothing appears at the target
// until Commit succeeds; a failure at any step, or a writer dropped unfinished, leaves the
// old file as it was and no temporary file behind.
#pragma once

#include <cstddef>

#include "TarnwellExport.h"

namespace platform {
class AtomicFileWriter;
}

class TARNWELL_API TevAtomicFile {
public:
    TevAtomicFile();
    ~TevAtomicFile();
    TevAtomicFile(const TevAtomicFile&) = delete;
    TevAtomicFile& operator=(const TevAtomicFile&) = delete;

    // Refuses a target that is a directory, not a regular file, or read-only.
    bool Open(const char* path);
    bool Write(const void* data, size_t size);
    // Flush, sync, rename over the target, sync the directory.
    bool Commit();
    void Abort();
    bool IsOpen() const;
    // Why the last Open, Write or Commit failed: the system's text ("" when nothing failed).
    const char* GetErrorText() const;

private:
    platform::AtomicFileWriter* writer;
};

// Test hooks reaching the platform layer's injected failures (see tests/support/FileFaults.h).
// call: 0 create, 1 write, 2 sync, 3 rename. error: an errno value, or -1 for a short write.
extern "C" {
TARNWELL_API void TevTestSetFileFault(int call, unsigned nth, int error);
TARNWELL_API unsigned TevTestFileCallCount(int call);
TARNWELL_API void TevTestClearFileFault();
}
