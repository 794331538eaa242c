// Group files and a project written by the Linux build (tests/data/linux-written) load on every
// system the kernel is built for and save back byte for byte: the stored records are encoded
// field by field, so neither the compiler's layout nor the system's integer sizes may show.
// DISABLED_WriteTheReferenceFiles wrote them; run it again only when the format itself changes.
#include <filesystem>

#include "ChannelRecords.h"
#include "EngineControl.h"
#include "fixtures/cgrblocks/CgrBlocksChannel.h"
#include "support/GroupFileSupport.h"
#include "support/LoaderSupport.h"
#include "support/ProjectBuilder.h"

using namespace tarnwell_test;
namespace fs = std::filesystem;

namespace {

const fs::path kDataDir = fs::path(TARNWELL_SOURCE_DIR) / "tests" / "data" / "linux-written";
const char* const kGroupFiles[] = {"start.cgr", "mixed.cgr"};

class FilesFromLinux : public GroupFileTest {
protected:
    std::vector<char> FileBytes(const fs::path& path) {
        const std::string bytes = ReadBinaryFile(path.string());
        return std::vector<char>(bytes.begin(), bytes.end());
    }

    // The project's start group: a counter that calls two linked channels every frame.
    void BuildStart(Tev_ChannelGroup* group) {
        Add(group, kTestRootGuid, "idle");
        Tev_Channel* counter = Add(group, kTestCounterGuid, "counter");
        counter->SetChild(Add(group, kTestRootGuid, "first"), -1, 0);
        counter->SetChild(Add(group, kTestDerivedGuid, "second"), -1, 0);
        group->SetStartChannel(counter->GetChannelIDIndexNr());
    }

    // Everything else a record holds: links at single and multiple positions, a hole, names
    // with bytes above 127, parameters with an empty position, a pool name, and a
    // plug-in's own blocks around the kernel's record.
    void BuildMixed(Tev_ChannelGroup* group) {
        Tev_Channel* links = Add(group, kTestLinksGuid, "K\xC3\xBC"
                                                        "che");
        Tev_Channel* gone = Add(group, kTestRootGuid, "gone");
        links->SetChild(Add(group, kTestRootGuid, "single"), -1, 0);
        links->SetChild(Add(group, kTestDerivedGuid, "many 1"), -1, 2);
        links->SetChild(Add(group, kTestDerivedGuid, "many 2"), -1, 2);
        links->SetChild(Add(group, kCgrBlocksGuid, "any"), -1, 3);
        group->RemoveChannel(gone);
        group->AddParameterInfo(Parameter("Speed", kTestRootGuid));
        group->AddParameterInfo(Parameter("Gone", kTestRootGuid));
        group->AddParameterInfo(Parameter("Colour", kTestDerivedGuid));
        group->RemoveParameterInfo(1);
        group->SetPoolName("Linux pool");
        group->SetStartChannel(links->GetChannelIDIndexNr());
    }
};

TEST_F(FilesFromLinux, GroupFilesLoadAndSaveBackByteForByte) {
    for (const char* name : kGroupFiles) {
        SCOPED_TRACE(name);
        std::vector<char> bytes = FileBytes(kDataDir / name);
        ASSERT_FALSE(bytes.empty());
        FileGroup* group = NewGroup();
        ASSERT_TRUE(LoadBuffer(group, bytes));
        EXPECT_EQ(group->RequestCount(), 0);
        EXPECT_EQ(Save(group), bytes);
    }
}

TEST_F(FilesFromLinux, ProjectRunsAndItsStartGroupSavesBackByteForByte) {
    TempDir dir("tarnwell-linux-written");
    for (const char* name : {"project.vtr", "start.cgr"})
        fs::copy_file(kDataDir / name, fs::path(dir.Path()) / name);
    const std::string project = (fs::path(dir.Path()) / "project.vtr").string();
    engine.Control()->SetCommandLine(const_cast<char*>(project.c_str()));
    ASSERT_EQ(engine.Control()->LoadProject(), TEV_PROJECT_LOADED);

    Tev_ChannelGroup* running = Api()->GetChannelGroup(engine.Ext()->GetStartGroup());
    ASSERT_NE(running, nullptr);
    for (int frame = 0; frame < 3; frame++) engine.Control()->EngineLoop();
    TestChannelCounts* first = AsTestChannel(running->GetChannel(2));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetCallCount(), 3);
    EXPECT_EQ(Save(running), FileBytes(kDataDir / "start.cgr"));
}

// Writes the reference files into the source tree (run on Linux with
// --gtest_also_run_disabled_tests --gtest_filter='*WriteTheReferenceFiles').
TEST_F(FilesFromLinux, DISABLED_WriteTheReferenceFiles) {
    fs::create_directories(kDataDir);
    FileGroup* start = NewGroup();
    BuildStart(start);
    ASSERT_TRUE(start->SaveChannelGroup((kDataDir / "start.cgr").string().c_str()));
    FileGroup* mixed = NewGroup();
    BuildMixed(mixed);
    ASSERT_TRUE(mixed->SaveChannelGroup((kDataDir / "mixed.cgr").string().c_str()));
    ASSERT_TRUE(WriteProject(Api(), (kDataDir / "project.vtr").string(),
                             {{"QSPT", {Int32Data(7)}}, {"QSGR", {TextData("start.cgr")}}}));
}

}  // namespace
