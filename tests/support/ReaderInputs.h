// One input, the bytes of a file from elsewhere, through the public path such a file takes:
// the tagged reader, channel.lst at engine start, a group file, a project. Shared by the fuzz
// harnesses (fuzz/) and the regression test that replays the inputs they found
// (tests/data/readers/<reader>/). Each Feed answers "" when every check held, else what broke;
// a crash or a sanitizer report is left to the caller's sanitizers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "support/TestEngine.h"

class EngineInterface;

namespace tarnwell_test {

// The readers, by the name of their harness and of their folder of inputs.
enum class Reader { TaggedReader, ChannelList, GroupFile, Project };
const char* ReaderName(Reader reader);

// The standard plug-ins and the test plug-ins, so group files can name real channel types;
// messages stay in memory.
TestEngineOptions ReaderEngineOptions(const std::string& installParent = "");

// Every read operation of TevFileLoader over the bytes held in memory, loaded from a file
// (scratchPath, overwritten) and given as text, in a walk the bytes themselves steer.
std::string FeedTaggedReader(TestEngine& engine, const uint8_t* data, size_t size,
                             const std::string& scratchPath);

// The bytes as channel.lst of the engine's install directory, and an engine start with it;
// then once more with the cache's checksum made right, so what lies behind it is reached too.
// The engine is stopped before and after.
std::string FeedChannelList(TestEngine& engine, const uint8_t* data, size_t size);

// LoadChannelGroupFromBuffer; a group that loaded is saved and loaded again and must come
// back with the same channels: count, types, names, interface kinds and links.
std::string FeedGroupFile(TestEngine& engine, const uint8_t* data, size_t size);

// An engine in an install directory inside a directory of its own, whose every file is
// watched: a project may write into channels/ and 3rd/ of the install directory only.
class ProjectSandbox {
public:
    ProjectSandbox();
    ~ProjectSandbox();
    ProjectSandbox(const ProjectSandbox&) = delete;
    ProjectSandbox& operator=(const ProjectSandbox&) = delete;

    bool Started() const { return engine && engine->Started(); }
    TestEngine& Engine() { return *engine; }

    // InitializeVTRFile on the bytes; then checks the sandbox and puts channels/ and 3rd/
    // back as they were, so every input meets the same installation.
    std::string Feed(const uint8_t* data, size_t size);

private:
    struct Entry {
        bool directory = false;
        std::string link;  // symbolic link target, "" for other entries
        uintmax_t size = 0;
        int64_t modified = 0;
    };
    using Snapshot = std::map<std::string, Entry>;  // relative path -> entry

    static bool Same(const Entry& was, const Entry& now);
    Snapshot Take(bool pluginDirs) const;
    std::string CheckOutside() const;
    std::string CheckPluginDirs() const;
    void RestorePluginDirs() const;

    TempDir root{"tarnwell-fuzz-project"};
    std::unique_ptr<TestEngine> engine;
    std::string installRelative;  // the install directory below root
    std::string projectPath;
    Snapshot outside;             // everything but the plug-in directories' content
    Snapshot pluginDirs;          // channels/ and 3rd/ content
};

}  // namespace tarnwell_test
