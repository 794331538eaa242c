// The writer replaces a file only once it is complete.
#include "TaggedFileFixture.h"

using namespace taggedfile;
using FileSaver = EngineTest;
using FileLoader = EngineTest;

namespace {

void WriteTagged(TevFileSaver& saver, const std::string& text) {
    EXPECT_TRUE(saver.SaveTag("TEXT"));
    EXPECT_TRUE(saver.SaveBlockSize(text.size()));
    EXPECT_TRUE(saver.SaveDataToFile(text.data(), text.size()));
}

const std::string kOld = "TEXT" + Block("old content");

}  // namespace

TEST_F(FileSaver, InterruptedSaveLeavesTheOldFileAndNoLitter) {
    TempDir dir;
    std::string path = dir.File("group.cgr");
    WriteAll(path, kOld);
    {
        auto saver = NewSaver();
        ASSERT_TRUE(saver->OpenSaveFile(path.c_str(), false));
        WriteTagged(*saver, std::string(200000, 'n'));  // past the writer's own buffering
        EXPECT_EQ(ReadAll(path), kOld) << "nothing replaced while writing";
    }  // destroyed without CloseSaveFile
    EXPECT_EQ(ReadAll(path), kOld);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"group.cgr"});

    // Opening another file abandons the unfinished one the same way.
    auto saver = NewSaver();
    ASSERT_TRUE(saver->OpenSaveFile(path.c_str(), false));
    WriteTagged(*saver, "new");
    ASSERT_TRUE(saver->OpenSaveFile(dir.File("other.cgr").c_str(), false));
    EXPECT_EQ(ReadAll(path), kOld);
    EXPECT_FALSE(std::filesystem::exists(dir.File("other.cgr"))) << "appears only once closed";
}

TEST_F(FileSaver, CompletedSaveReplacesAndKeepsPermissions) {
    TempDir dir;
    std::string path = dir.File("channel.lst");
    WriteAll(path, kOld);
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    auto saver = NewSaver();
    ASSERT_TRUE(saver->OpenSaveFile(path.c_str(), false));
    WriteTagged(*saver, "new");
    ASSERT_TRUE(saver->CloseSaveFile());
    EXPECT_EQ(ReadAll(path), "TEXT" + Block("new"));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(dir.Entries().size(), 1u);
    EXPECT_FALSE(saver->CloseSaveFile()) << "nothing left to close";
}

TEST_F(FileSaver, FailedOpenKeepsTheOldFile) {
    TempDir dir;
    std::string readOnly = dir.File("locked.cgr");
    WriteAll(readOnly, kOld);
    tarnwell_test::MakeReadOnly(readOnly);
    WriteAll(dir.File("plain"), "x");

    auto saver = NewSaver();
    EXPECT_FALSE(saver->OpenSaveFile(readOnly.c_str(), false)) << "a read-only file is not replaced";
    EXPECT_EQ(ReadAll(readOnly), kOld);
    EXPECT_FALSE(saver->OpenSaveFile(dir.File("no/such/dir/a.cgr").c_str(), false));
    EXPECT_FALSE(saver->OpenSaveFile(dir.File("plain/a.cgr").c_str(), false)) << "parent is a file";
    EXPECT_FALSE(saver->OpenSaveFile(dir.Path().c_str(), false)) << "a directory";
    EXPECT_FALSE(saver->OpenSaveFile(nullptr, false));
    EXPECT_FALSE(saver->SaveTag("TEXT")) << "nothing is open";
    EXPECT_EQ(dir.Entries().size(), 2u);
}

TEST_F(FileSaver, AppendKeepsTheContentAndKernelPathsWork) {
    TempDir dir;
    std::string path = dir.File("log.bin");
    WriteAll(path, kOld);
    std::string kernelPath = path;
    for (char& c : kernelPath) {
        if (c == '/') c = '\\';
    }
    auto saver = NewSaver();
    ASSERT_TRUE(saver->OpenSaveFile(kernelPath.c_str(), true));
    WriteTagged(*saver, "more");
    ASSERT_TRUE(saver->CloseSaveFile());
    EXPECT_EQ(ReadAll(path), kOld + "TEXT" + Block("more"));

    auto loader = NewLoader();
    ASSERT_TRUE(loader->LoadFile(kernelPath.c_str()));
    EXPECT_TRUE(loader->GotoTag("TEXT", 0));
    EXPECT_TRUE(loader->GotoTag("TEXT", 0));
}

TEST_F(FileSaver, RawBytesAreWrittenUnchanged) {
    // Embedded plug-ins are written without any framing.
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    auto saver = NewSaver();
    ASSERT_TRUE(saver->OpenSaveFile(dir.File("plugin.dll").c_str(), false));
    EXPECT_TRUE(saver->SaveDataToFile(bytes.data(), bytes.size()));
    ASSERT_TRUE(saver->CloseSaveFile());
    EXPECT_EQ(ReadAll(dir.File("plugin.dll")), bytes);
}

TEST_F(FileLoader, AttributesMarkReadOnlyFiles) {
    TempDir dir;
    std::string path = dir.File("a.cgr");
    WriteAll(path, "TEVG");
    auto loader = NewLoader();
    ASSERT_TRUE(loader->LoadFile(path.c_str()));
    EXPECT_EQ(loader->GetAttributes() & 1u, 0u);
    tarnwell_test::MakeReadOnly(path);
    EXPECT_EQ(loader->GetAttributes() & 1u, 1u);
}
