// Injected failures of the kernel's file writes (every save goes through one writer in the
// platform layer). The hooks are exported by libTarnwell for tests only.
//
//   tarnwell_test::FileFault fault(tarnwell_test::FileCall::Write, 3, ENOSPC);
//   EXPECT_FALSE(group->SaveChannelGroup(path));   // its third write call failed
#pragma once

#include "TarnwellExport.h"

extern "C" {
TARNWELL_API void TevTestSetFileFault(int call, unsigned nth, int error);
TARNWELL_API unsigned TevTestFileCallCount(int call);
TARNWELL_API void TevTestClearFileFault();
}

namespace tarnwell_test {

enum class FileCall { Create = 0, Write = 1, Sync = 2, Rename = 3 };
constexpr FileCall kFileCalls[] = {FileCall::Create, FileCall::Write, FileCall::Sync, FileCall::Rename};
// The call writes half its bytes; the next write finds the disk full.
constexpr int kShortWrite = -1;

// Counts the writer's calls from its construction and fails the nth call of `call`
// (nth 0: only count); cleared again at destruction.
class FileFault {
public:
    FileFault(FileCall call, unsigned nth, int error) {
        TevTestSetFileFault(static_cast<int>(call), nth, error);
    }
    FileFault() : FileFault(FileCall::Write, 0, 0) {}
    ~FileFault() { TevTestClearFileFault(); }
    FileFault(const FileFault&) = delete;
    FileFault& operator=(const FileFault&) = delete;
    unsigned Count(FileCall call) const { return TevTestFileCallCount(static_cast<int>(call)); }
};

}  // namespace tarnwell_test
