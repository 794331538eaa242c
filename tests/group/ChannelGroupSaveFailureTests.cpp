// A group save that fails at any step, or cannot start, answers false, says where and why,
// and leaves the old file on disk byte for byte (and no temporary file beside it).
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/FileFaults.h"
#include "support/GroupFileSupport.h"
#include "support/UnwritableDirectory.h"

namespace {

using tarnwell_test::FileCall;
using tarnwell_test::FileFault;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const char* CallName(FileCall call) {
    static const char* const names[] = {"create", "write", "sync", "rename"};
    return names[static_cast<int>(call)];
}

class ChannelGroupSaveFailure : public GroupFileTest {
protected:
    // Large enough that the writer hands its buffer to the system several times.
    FileGroup* BigGroup(const char* poolName) {
        FileGroup* group = NewGroup();
        for (int i = 0; i < 2500; i++) Add(group, kTestRootGuid, ("channel " + std::to_string(i)).c_str());
        group->SetPoolName(poolName);
        return group;
    }

    // Some error message names the path and the system's reason.
    bool Reported(const std::string& path, int error) const {
        for (const std::string& text : Texts(TEV_MESSAGE_ERROR))
            if (text.find(path) != std::string::npos && text.find(std::strerror(error)) != std::string::npos)
                return true;
        return false;
    }
};

}  // namespace

TEST_F(ChannelGroupSaveFailure, FailingAnyWriterCallInTurnKeepsTheOldFile) {
    const std::string path = Path("scene.cgr");
    ASSERT_TRUE(BigGroup("Old")->SaveChannelGroup(path.c_str()));
    const std::string before = ReadFile(path);
    FileGroup* group = BigGroup("New");

    // One save, counted: the calls a failure can hit, and the bytes it should give.
    const std::string counted = Path("counted.cgr");
    unsigned calls[4];
    {
        FileFault count;
        ASSERT_TRUE(group->SaveChannelGroup(counted.c_str()));
        for (FileCall call : tarnwell_test::kFileCalls) calls[static_cast<int>(call)] = count.Count(call);
    }
    const std::string after = ReadFile(counted);
    ASSERT_NE(after, before);
    ASSERT_EQ(calls[static_cast<int>(FileCall::Create)], 1u);
    ASSERT_GE(calls[static_cast<int>(FileCall::Write)], 3u) << "the save must span several writes";
    ASSERT_EQ(calls[static_cast<int>(FileCall::Rename)], 1u);
    ASSERT_TRUE(std::filesystem::remove(counted));

    int failures = 0;
    for (FileCall call : tarnwell_test::kFileCalls) {
        for (int error : {ENOSPC, EIO, tarnwell_test::kShortWrite}) {
            if (error == tarnwell_test::kShortWrite && call != FileCall::Write) continue;
            for (unsigned nth = 1; nth <= calls[static_cast<int>(call)]; nth++) {
                SCOPED_TRACE(std::string(CallName(call)) + " call " + std::to_string(nth) + ", error " +
                             std::to_string(error));
                engine.ClearMessages();
                {
                    FileFault fault(call, nth, error);
                    EXPECT_FALSE(group->SaveChannelGroup(path.c_str()));
                }
                EXPECT_TRUE(ReadFile(path) == before) << "the old file changed";
                EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"scene.cgr"});
                EXPECT_TRUE(Reported(path, error == tarnwell_test::kShortWrite ? ENOSPC : error));
                failures++;
            }
        }
    }
    EXPECT_GE(failures, 12);

    ASSERT_TRUE(group->SaveChannelGroup(path.c_str()));
    EXPECT_TRUE(ReadFile(path) == after) << "a save without failure writes the new group";
    EXPECT_STREQ(group->GetChannelGroupFileName(), path.c_str());
}

TEST_F(ChannelGroupSaveFailure, FailedSaveKeepsTheGroupsFileName) {
    FileGroup* group = NewGroup();
    Add(group, kTestRootGuid, "one");
    const std::string first = Path("first.cgr");
    ASSERT_TRUE(group->SaveChannelGroup(first.c_str()));
    {
        FileFault fault(FileCall::Rename, 1, EIO);
        EXPECT_FALSE(group->SaveChannelGroup(Path("second.cgr").c_str()));
    }
    EXPECT_STREQ(group->GetChannelGroupFileName(), first.c_str());
    EXPECT_EQ(Texts(TEV_MESSAGE_ERROR).back(),
              "Couldn't save channel group file, the old file stays as it was: " + Path("second.cgr"));
    EXPECT_FALSE(std::filesystem::exists(Path("second.cgr")));
}

namespace {

enum class Target { DirectoryWithoutWrite, ReadOnlyFile, Directory, FullDisk };

struct UnwritableRow {
    const char* name;
    Target target;
};

void PrintTo(const UnwritableRow& row, std::ostream* out) { *out << row.name; }

const UnwritableRow kUnwritable[] = {
    {"DirectoryWithoutWritePermission", Target::DirectoryWithoutWrite},
    {"ReadOnlyFile", Target::ReadOnlyFile},
    {"PathIsADirectory", Target::Directory},
    {"FullDisk", Target::FullDisk},
};

class ChannelGroupUnwritable : public ChannelGroupSaveFailure,
                               public ::testing::WithParamInterface<UnwritableRow> {};

}  // namespace

TEST_P(ChannelGroupUnwritable, AnswersFalseNamingPathAndReasonAndKeepsTheOldFile) {
    const UnwritableRow& row = GetParam();
    FileGroup* group = NewGroup();
    Add(group, kTestRootGuid, "one");
    const std::string folder = Path("folder");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    std::string path = folder + "/scene.cgr";
    ASSERT_TRUE(group->SaveChannelGroup(path.c_str()));
    const std::string before = ReadFile(path);
    Add(group, kTestRootGuid, "two");

    std::unique_ptr<FileFault> fault;
    int error = 0;
    switch (row.target) {
        case Target::DirectoryWithoutWrite: {
            std::string why;
            error = tarnwell_test::MakeDirectoryUnwritable(folder, why);
            if (!error) GTEST_SKIP() << why;
            break;
        }
        case Target::ReadOnlyFile:
            ASSERT_TRUE(tarnwell_test::MakeReadOnly(path));
            error = EACCES;
            break;
        case Target::Directory:
            path = folder;
            error = EISDIR;
            break;
        case Target::FullDisk:
            fault = std::make_unique<FileFault>(FileCall::Write, 1, ENOSPC);
            error = ENOSPC;
            break;
    }
    engine.ClearMessages();
    EXPECT_FALSE(group->SaveChannelGroup(path.c_str()));
    fault.reset();
    EXPECT_TRUE(Reported(path, error)) << "expected the path and \"" << std::strerror(error) << "\"";
    EXPECT_TRUE(ReadFile(folder + "/scene.cgr") == before);
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"scene.cgr"});
    if (row.target == Target::DirectoryWithoutWrite) tarnwell_test::ReleaseUnwritableDirectory(folder);
}

INSTANTIATE_TEST_SUITE_P(Targets, ChannelGroupUnwritable, ::testing::ValuesIn(kUnwritable),
                         [](const ::testing::TestParamInfo<UnwritableRow>& info) { return info.param.name; });
