// The tools write files through the kernel's writer: a write that cannot reach the disk (a
// failed sync, rename or short write) is reported and leaves the old file as it was.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "ToolFiles.h"
#include "foundation/TaggedFileFixture.h"
#include "support/FileFaults.h"

namespace {

using tarnwell_test::FileCall;
using tarnwell_test::FileFault;

TEST(ToolFiles, FailedWriteIsReportedAndKeepsTheOldFile) {
    taggedfile::TempDir dir;
    const std::string path = dir.File("out.cgr");
    ASSERT_TRUE(toolfiles::WriteFile(path, "old"));
    for (FileCall call : {FileCall::Write, FileCall::Sync, FileCall::Rename}) {
        SCOPED_TRACE(static_cast<int>(call));
        FileFault fault(call, 1, EIO);
        EXPECT_FALSE(toolfiles::WriteFile(path, "new"));
        EXPECT_EQ(taggedfile::ReadAll(path), "old");
    }
    EXPECT_TRUE(toolfiles::WriteFile(path, "new"));
    EXPECT_EQ(taggedfile::ReadAll(path), "new");
}

}  // namespace
