// The files `vantor-plugin new NAME` writes. @NAME@ is the plug-in's name, @GUID_TEXT@ and
// @GUID_INIT@ its fresh type GUID as text and as an initializer.
#pragma once

namespace plugintool {

inline constexpr char kScaffoldCMake[] = R"(# The @NAME@ channel plug-in, built against an installed kernel:
#   cmake -S . -B build -DCMAKE_PREFIX_PATH=<kernel install prefix>
#   cmake --build build && ctest --test-dir build
cmake_minimum_required(VERSION 3.25)
project(@NAME@ LANGUAGES CXX)
find_package(Tarnwell CONFIG REQUIRED)
tarnwell_add_channel_plugin(@NAME@ SOURCES @NAME@Channel.cpp)
target_compile_options(@NAME@ PRIVATE -Wall -Wextra -Werror)

# The test runs the plug-in in an engine: VANTOR_ENGINE_DIR is an engine directory whose
# channels/ holds the standard plug-ins (the file reader and writer above all); by default the
# one installed with the package.
set(VANTOR_ENGINE_DIR "${TARNWELL_ENGINE_DIR}" CACHE PATH "engine directory the test runs the plug-in in")
include(CTest)
if(BUILD_TESTING AND VANTOR_ENGINE_DIR)
  add_executable(@NAME@_test @NAME@Test.cpp)
  target_compile_features(@NAME@_test PRIVATE cxx_std_17)
  target_compile_options(@NAME@_test PRIVATE -Wall -Wextra -Werror)
  target_link_libraries(@NAME@_test PRIVATE Tarnwell::Tarnwell)
  add_test(NAME @NAME@_runs_in_a_group COMMAND @NAME@_test $<TARGET_FILE:@NAME@> ${VANTOR_ENGINE_DIR})
endif()
)";

inline constexpr char kScaffoldHeader[] =
    R"(// What the @NAME@ plug-in and its test share: the type GUID and the tag of the channel's block.
#pragma once

#include "TarnwellTypes.h"

// @GUID_TEXT@, made for this plug-in. Group files name the type by it:
// never change it, and never copy it into another plug-in.
inline constexpr _GUID k@NAME@TypeGuid = @GUID_INIT@;

// The channel's own block after the kernel's record: the value, int32.
inline constexpr char k@NAME@ValueTag[] = "PVAL";
)";

inline constexpr char kScaffoldChannel[] =
    R"(// The @NAME@ channel: takes any number of children, runs them, and keeps a value of its own
// in the group file.
#include "@NAME@Channel.h"

#include "Tarnwell.h"

namespace {

constexpr int kChildren = 0;  // link position 0: any number of children of any type

class @NAME@Channel : public Tev_Channel {
public:
    @NAME@Channel() {
        ChildCreation children;                         // accepts every type (wildcard GUID)
        children.requestLink = -1;                      // -1: any number of children
        SetChildCreateType(children, kChildren);
    }

    void CallChannel() override {
        if (!CheckRenderCount()) return;  // once per pass, however many parents call it
        for (int slot = 0; slot < GetChildLinkPositionCount(kChildren); ++slot)
            if (Tev_Channel* child = GetChildFromLinkPosition(kChildren, slot)) child->CallChannel();
        ++value;
    }

    // The kernel's record, then the own block; a failed write fails the group's save.
    bool SaveChannel(TevFileSaver& saver) override {
        return Tev_Channel::SaveChannel(saver) && TevSaveInt32Block(saver, k@NAME@ValueTag, value);
    }

    // In the order written; a missing block keeps the default.
    bool LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) override {
        if (!Tev_Channel::LoadChannel(loader, group)) return false;
        return TevLoadInt32Block(loader, k@NAME@ValueTag, value) != TEV_BLOCK_FAILED;
    }

private:
    int32_t value = 0;
};

}  // namespace

// The plug-in's own version is the first and last number (1.52.1 here): raise them with each
// release, since a project carrying a newer copy replaces an older installed one.
TARNWELL_CHANNEL_PLUGIN_VERSION(@NAME@Channel, "@NAME@", k@NAME@TypeGuid, k@NAME@TypeGuid, 1, 1)
)";

inline constexpr char kScaffoldTest[] =
    R"(// Runs the @NAME@ plug-in in an engine: a trial install holds the engine directory's plug-ins
// and this one; a group with a parent and a linked child is saved, loaded and checked.
// Usage: @NAME@_test PLUGIN.dll ENGINE_DIR; exit status 0 when everything holds.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "@NAME@Channel.h"
#include "Tarnwell.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& what) {
    std::fprintf(stderr, "@NAME@_test: %s\n", what.c_str());
    return 1;
}

// channels/: links to the engine directory's plug-ins (copies where the user may not make
// links, as on Windows) and a copy of this one.
bool MakeTrialInstall(const fs::path& dir, const fs::path& plugin, const fs::path& engineDir) {
    std::error_code failed;
    fs::remove_all(dir, failed);
    fs::create_directories(dir / "channels", failed);
    for (const fs::directory_entry& entry : fs::directory_iterator(engineDir / "channels", failed)) {
        if (entry.path().filename() == plugin.filename()) continue;
        const fs::path target = dir / "channels" / entry.path().filename();
        fs::create_symlink(fs::absolute(entry.path()), target, failed);
        if (failed) fs::copy_file(entry.path(), target, failed);
    }
    fs::copy_file(plugin, dir / "channels" / plugin.filename(), failed);
    return !failed;
}

// Saves a group of two channels, the second linked below the first; answers the file.
bool SaveLinkedPair(EngineInterface* engine, const std::string& path) {
    Tev_ChannelGroup* group = engine->CreateNewGroup("@NAME@ test", false, 0);
    if (!group) return false;
    Tev_Channel* parent = engine->InitChannelFromType(k@NAME@TypeGuid, group, true);
    Tev_Channel* child = engine->InitChannelFromType(k@NAME@TypeGuid, group, true);
    const bool saved = parent && child && parent->SetChild(child, -1, 0) >= 0 &&
                       group->SaveChannelGroup(path.c_str());
    engine->DeleteChannelGroup(group->GetGroupIndex());
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Fail("usage: @NAME@_test PLUGIN.dll ENGINE_DIR");
    const fs::path dir = fs::temp_directory_path() / ("@NAME@-test-" + std::to_string(std::random_device()()));
    if (!MakeTrialInstall(dir, argv[1], argv[2])) return Fail("cannot make a trial install in " + dir.string());
    int status = 0;
    {
        TevEngineHost host;
        if (host.Start(dir.string().c_str(), "SOFTWARE\\Vantor", "@NAME@ test") != TEV_HOST_STARTED)
            return Fail(std::string("the engine did not start: ") + host.Failure());
        EngineInterface* engine = host.Engine();
        const std::string file = (dir / "pair.cgr").string();
        if (!SaveLinkedPair(engine, file)) status = Fail("the group was not made and saved");
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!status && bytes.find(k@NAME@ValueTag) == std::string::npos) status = Fail("no own block in the file");
        Tev_ChannelGroup* loaded = status ? nullptr : engine->LoadChannelGroup(file.c_str(), nullptr);
        if (!status && !loaded) status = Fail("the saved group does not load");
        Tev_Channel* parent = loaded ? loaded->GetChannel(0) : nullptr;
        if (loaded && (!parent || parent->GetChildFromLinkPosition(0, 0) != loaded->GetChannel(1)))
            status = Fail("the link did not survive saving and loading");
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    if (!status) std::printf("@NAME@_test: the plug-in runs in a group that is saved and loaded\n");
    return status;
}
)";

inline constexpr char kScaffoldReadme[] = R"(# @NAME@

A channel plug-in for the Vantor engine: the type "@NAME@", type GUID @GUID_TEXT@.

    cmake -S . -B build -DCMAKE_PREFIX_PATH=<kernel install prefix>
    cmake --build build
    ctest --test-dir build                       # runs it in a group: saved, loaded, linked
    vantor-plugin check build/@NAME@.dll         # exports, type, GUID clashes, blocks round trip

Install it by copying `build/@NAME@.dll` into the `channels` directory of the engine directory;
libraries it needs go into `3rd`. The plug-in author's guide of the kernel (docs/PluginGuide.md)
explains link positions, the channel's own blocks and the version numbers.
)";

}  // namespace plugintool
