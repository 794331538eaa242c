// The generated demo groups: the plug-ins' parameter blocks ride along the kernel's channel
// records through the text tool and through a load and save by the kernel, unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "EngineInterface.h"
#include "Tev_ChannelGroup.h"
#include "support/ChildProcess.h"
#include "support/TestEngine.h"

namespace fs = std::filesystem;

namespace {

const int kToolTimeoutMs = 60000;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct GroupFile {
    const char* name;
    std::vector<const char*> parameterTags;  // blocks of the demo plug-ins it must hold
};

// The targets of the start group's public calls first, so that loading it loads nothing more.
const std::vector<GroupFile> kGroups = {
    {"orbiter.cgr", {"DBCO", "DMSH", "DTSC"}},
    {"comet.cgr", {"DCFP", "DOFQ", "DTAX", "DMSH", "DBCO"}},
    {"scene.cgr", {"DRSZ", "DREY", "DCFP", "DOFQ", "DOWV", "DTPO", "DTAN", "DMSH", "DMSZ", "DBCO"}},
};

TEST(DemoGroups, TextDumpShowsTheParameterBlocksAndBuildsTheSameFile) {
    tarnwell_test::TempDir dir("demo-cgr");
    for (const GroupFile& group : kGroups) {
        const fs::path source = fs::path(DEMO_PROJECT_DIR) / group.name;
        const std::string text = dir.Path() + "/" + group.name + ".txt";
        const std::string rebuilt = dir.Path() + "/" + group.name;
        tarnwell_test::ChildOptions dumpTo;
        dumpTo.output = text;
        ASSERT_EQ(tarnwell_test::RunChild({DEMO_CGR_TOOL, "dump", source.string()}, dumpTo, kToolTimeoutMs),
                  0);
        ASSERT_EQ(tarnwell_test::RunChild({DEMO_CGR_TOOL, "build", text, "-o", rebuilt}, {}, kToolTimeoutMs),
                  0);
        EXPECT_TRUE(ReadBytes(rebuilt) == ReadBytes(source)) << group.name << " differs from " << rebuilt;
        const std::string dump = ReadBytes(text);
        for (const char* tag : group.parameterTags)
            EXPECT_NE(dump.find(std::string("\n") + tag + " hex:"), std::string::npos)
                << group.name << " " << tag;
    }
}

// Every block a demo channel wrote is read back into it: a block it skipped would be saved
// again with its default value.
TEST(DemoGroups, KernelLoadsAndSavesEachGroupUnchanged) {
    tarnwell_test::TestEngine engine;
    ASSERT_TRUE(engine.Started());
    tarnwell_test::TempDir dir("demo-groups");
    // Saved under the same names elsewhere: public calls store their targets' paths relative.
    fs::create_directory(fs::path(dir.Path()) / "again");
    for (const GroupFile& group : kGroups)
        fs::copy_file(fs::path(DEMO_PROJECT_DIR) / group.name, fs::path(dir.Path()) / group.name);
    for (const GroupFile& group : kGroups) {
        const std::string path = dir.Path() + "/" + group.name;
        Tev_ChannelGroup* loaded = engine.Engine()->LoadChannelGroup(path.c_str(), nullptr);
        ASSERT_NE(loaded, nullptr) << group.name;
        const std::string again = dir.Path() + "/again/" + group.name;
        ASSERT_TRUE(loaded->SaveChannelGroup(again.c_str()));
        EXPECT_TRUE(ReadBytes(again) == ReadBytes(path)) << group.name << " differs from " << again;
    }
}

}  // namespace
