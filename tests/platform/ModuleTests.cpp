#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "PlatformTestSupport.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Module.h"

namespace {

typedef int (*ProbeAnswerFunction)();

class ModuleLoading : public ::testing::Test {
protected:
    // Puts a copy of the probe module into <temp>/<dir>/<name>.
    std::string PlaceProbe(const std::string& dir, const std::string& name) {
        std::filesystem::create_directories(temp.File(dir));
        std::string target = temp.File(dir + "/" + name);
        std::filesystem::copy_file(TARNWELL_PLATFORM_PROBE, target,
                                   std::filesystem::copy_options::overwrite_existing);
        return target;
    }

    TemporaryDirectory temp;
};

TEST_F(ModuleLoading, BareNameIsSearchedAlongPathInOrder) {
    PlaceProbe("second", "searchprobe.dll");
    ScopedEnvironment path("PATH",
                           temp.File("missing") + ":" + temp.File("first") + ":" + temp.File("second"));
    HINSTANCE module = platform::LoadModule("searchprobe.dll");
    ASSERT_NE(module, nullptr) << platform::LastErrorText();
    auto answer = reinterpret_cast<ProbeAnswerFunction>(platform::GetSymbol(module, "ProbeAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_TRUE(platform::FreeModule(module));

    // An earlier directory wins even when its file is no module: the search stops there.
    std::filesystem::create_directories(temp.File("first"));
    WriteText(temp.File("first/searchprobe.dll"), "not a module");
    EXPECT_EQ(platform::LoadModule("searchprobe.dll"), nullptr);
    EXPECT_EQ(platform::LastError(), platform::kErrorBadExeFormat);
    EXPECT_NE(std::string(platform::LastErrorText()), "");
}

TEST_F(ModuleLoading, MissingFileGivesFileNotFoundWithTheLoadersText) {
    ScopedEnvironment path("PATH", temp.Path());
    EXPECT_EQ(platform::LoadModule("nowhere-to-be-found.dll"), nullptr);
    EXPECT_EQ(platform::LastError(), platform::kErrorFileNotFound);
    EXPECT_NE(std::string(platform::LastErrorText()).find("nowhere-to-be-found.dll"), std::string::npos);

    EXPECT_EQ(platform::LoadModule(temp.File("absent.dll").c_str()), nullptr);
    EXPECT_EQ(platform::LastError(), platform::kErrorFileNotFound);
    EXPECT_EQ(platform::LoadModule(nullptr), nullptr);
    EXPECT_EQ(platform::LastError(), platform::kErrorInvalidParameter);
}

TEST_F(ModuleLoading, PathWithBackslashesLoadsAndMissingSymbolIsReported) {
    std::string file = PlaceProbe("channels", "pathprobe.dll");
    std::string windowsStyle = temp.Path() + "\\channels\\pathprobe.dll";
    HINSTANCE module = platform::LoadModule(windowsStyle.c_str());
    ASSERT_NE(module, nullptr) << platform::LastErrorText();
    EXPECT_EQ(platform::GetSymbol(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(platform::LastError(), platform::kErrorProcNotFound);
    EXPECT_NE(std::string(platform::LastErrorText()).find("NoSuchExport"), std::string::npos);
    EXPECT_TRUE(platform::FreeModule(module));
    EXPECT_FALSE(platform::FreeModule(nullptr));
}

std::vector<HINSTANCE> unloadedModules;
void RecordUnload(HINSTANCE module) { unloadedModules.push_back(module); }

// Only the free that takes a module out of the process is told, and what the module holds is
// known to lie inside it, what the program holds not.
// The atomic writer replaces a module in use as a whole, and the code already loaded runs on
// (Windows refuses to replace a loaded file, so there the writer moves it aside first).
TEST_F(ModuleLoading, AtomicWriteReplacesAModuleInUse) {
    std::string file = PlaceProbe("channels", "inuseprobe.dll");
    HINSTANCE module = platform::LoadModule(file.c_str());
    ASSERT_NE(module, nullptr) << platform::LastErrorText();
    platform::AtomicFileWriter writer;
    ASSERT_TRUE(writer.Open(file.c_str()) && writer.Write("replaced", 8));
    EXPECT_TRUE(writer.Commit()) << writer.Error();
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(file.c_str(), bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "replaced");
    auto answer = reinterpret_cast<ProbeAnswerFunction>(platform::GetSymbol(module, "ProbeAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_TRUE(platform::FreeModule(module));
}

TEST_F(ModuleLoading, UnloadIsToldOnceAtTheLastReference) {
    std::string file = PlaceProbe("channels", "unloadprobe.dll");
    unloadedModules.clear();
    platform::WatchModuleUnloads(&RecordUnload);
    HINSTANCE module = platform::LoadModule(file.c_str());
    ASSERT_NE(module, nullptr) << platform::LastErrorText();
    ASSERT_EQ(platform::ReferenceModule(module), module);
    void* answer = platform::GetSymbol(module, "ProbeAnswer");
    EXPECT_TRUE(platform::ModuleContains(module, answer));
    EXPECT_FALSE(platform::ModuleContains(module, reinterpret_cast<void*>(&RecordUnload)));
    EXPECT_FALSE(platform::ModuleContains(nullptr, answer));

    EXPECT_TRUE(platform::FreeModule(module));
    EXPECT_TRUE(unloadedModules.empty()) << "another reference still holds it";
    EXPECT_TRUE(platform::FreeModule(module));
    platform::WatchModuleUnloads(nullptr);
    EXPECT_EQ(unloadedModules, std::vector<HINSTANCE>{module});
}

TEST(PlatformLastError, IsKeptPerThread) {
    platform::SetLastError(platform::kErrorFileNotFound, "main thread");
    std::thread other([] {
        EXPECT_EQ(platform::LastError(), 0u);
        platform::SetLastError(platform::kErrorProcNotFound, "other thread");
    });
    other.join();
    EXPECT_EQ(platform::LastError(), platform::kErrorFileNotFound);
    EXPECT_STREQ(platform::LastErrorText(), "main thread");
}

TEST(PlatformEnvironment, ReadsLikeTheSystemCallAndFormsPathEntries) {
    ScopedEnvironment variable("TARNWELL_PLATFORM_PROBE_VARIABLE", "abcdef");
    char buffer[16];
    EXPECT_EQ(platform::GetEnvironmentVariable("TARNWELL_PLATFORM_PROBE_VARIABLE", buffer, sizeof buffer),
              6u);
    EXPECT_STREQ(buffer, "abcdef");
    // Too small: the size needed, terminator included, and nothing half-copied.
    EXPECT_EQ(platform::GetEnvironmentVariable("TARNWELL_PLATFORM_PROBE_VARIABLE", buffer, 6), 7u);
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(platform::SetEnvironmentVariable("TARNWELL_PLATFORM_PROBE_VARIABLE", nullptr));
    EXPECT_EQ(platform::GetEnvironmentVariable("TARNWELL_PLATFORM_PROBE_VARIABLE", buffer, sizeof buffer),
              0u);
    EXPECT_FALSE(platform::SetEnvironmentVariable("BAD=NAME", "x"));

    char entry[64];
    EXPECT_TRUE(platform::ToNativePath("/opt/vantor\\channels", entry, sizeof entry));
    EXPECT_STREQ(entry, "/opt/vantor/channels");
    EXPECT_FALSE(platform::ToNativePath("/a/very/long/directory", entry, 8));
    EXPECT_STREQ(entry, "/a/very");
    EXPECT_EQ(platform::PathListSeparator(), ':');
}

}  // namespace
