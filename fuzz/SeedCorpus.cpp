// Seed corpora for the harnesses, written by the kernel's own writer:
//
//   fuzz_seed_corpus OUT     writes OUT/<reader>/<name> for every reader, and OUT/group_set/
//
// Group files of every shape the kernel saves (links, holes, parameters, public calls, pools,
// plug-in blocks, a large group), projects with embedded modules (also under names that must
// be refused), the engine's own channel.lst, and all of them again for the tagged reader. The
// group set harness gets a description of each shape of set it knows (groupset/GroupSetPlan.h).
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ChannelInternal.h"
#include "ChannelPoolManagement.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "TevFileSaver.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/cgrblocks/CgrBlocksChannel.h"
#include "fixtures/testchannels/TestChannels.h"
#include "format/ChannelRecordFormat.h"
#include "format/GroupFileFormat.h"
#include "format/ProjectFormat.h"
#include "format/TypeCacheFormat.h"
#include "groupset/GroupSetSeeds.h"
#include "support/LoaderSupport.h"
#include "support/ProjectBuilder.h"
#include "support/ReaderInputs.h"

namespace fs = std::filesystem;
using namespace tarnwell_test;
namespace group = groupfileformat;
namespace project = projectformat;

namespace {

// The tagged reader walks its input several times over: large files add little but time.
constexpr size_t kMaxTaggedSeed = 8192;

class Seeds {
public:
    explicit Seeds(const std::string& out) : out(out) {
        for (Reader reader : {Reader::TaggedReader, Reader::ChannelList, Reader::GroupFile, Reader::Project})
            fs::create_directories(fs::path(out) / ReaderName(reader));
    }
    // Also a seed of the tagged reader: every file of the engine is a tagged stream.
    void Add(Reader reader, const std::string& name, const std::string& bytes) {
        Write(reader, name, bytes);
        if (reader != Reader::TaggedReader && bytes.size() <= kMaxTaggedSeed)
            Write(Reader::TaggedReader, std::string(ReaderName(reader)) + "-" + name, bytes);
    }
    int Count() const { return count; }

private:
    void Write(Reader reader, const std::string& name, const std::string& bytes) {
        if (!WriteBinaryFile((fs::path(out) / ReaderName(reader) / name).string(), bytes)) {
            std::fprintf(stderr, "fuzz_seed_corpus: cannot write %s\n", name.c_str());
            std::exit(1);
        }
        count++;
    }

    std::string out;
    int count = 0;
};

ParameterInterfaceInfo Parameter(const char* name, const _GUID& type) {
    ParameterInterfaceInfo info;
    std::memset(&info, 0, sizeof(info));
    std::strncpy(info.name, name, sizeof(info.name) - 1);
    info.typeGuid = type;
    return info;
}

class GroupMaker {
public:
    explicit GroupMaker(EngineInterface* engine) : engine(engine) {}

    Tev_Channel* Add(Tev_ChannelGroup& group, const _GUID& type, const char* name = nullptr) {
        Tev_Channel* channel = engine->InitChannelFromType(type, nullptr, false);
        if (!channel) {
            std::fprintf(stderr,
                         "fuzz_seed_corpus: no channel of a test type (are the test plug-ins built?)\n");
            std::exit(1);
        }
        if (name) channel->SetChannelName(name);
        group.AddChannel(channel);
        return channel;
    }

    std::string Save(Tev_ChannelGroup& group) {
        TevFileSaver saver(engine);
        saver.OpenMemory();
        group.SaveChannelGroup(saver);  // closes the stream
        return std::string(saver.GetBuffer() ? saver.GetBuffer() : "", saver.GetBufferSize());
    }

    EngineInterface* engine;
};

using Build = std::function<void(GroupMaker&, Tev_ChannelGroup&)>;

struct GroupShape {
    const char* name;
    Build build;
};

const GroupShape kGroups[] = {
    {"empty", [](GroupMaker&, Tev_ChannelGroup&) {}},
    {"holes-and-start",
     [](GroupMaker& m, Tev_ChannelGroup& g) {
         m.Add(g, kTestRootGuid, "first");
         Tev_Channel* middle = m.Add(g, kTestRootGuid, "middle");
         m.Add(g, kTestDerivedGuid, "last");
         g.RemoveChannel(middle);
         g.SetStartChannel(2);
     }},
    {"parameters-and-pool-name",
     [](GroupMaker& m, Tev_ChannelGroup& g) {
         g.AddParameterInfo(Parameter("Speed", kTestRootGuid));
         g.AddParameterInfo(Parameter("Gone", kTestRootGuid));
         g.AddParameterInfo(Parameter("Colour", kTestDerivedGuid));
         g.RemoveParameterInfo(1);
         g.SetPoolName("Forest");
         Tev_Channel* parameter = m.Add(g, kTestRootGuid, "parameter");
         parameter->SetChannelInterfaceType(PEX_PARAMETER);
         channelInternal.SetParameterInfo(parameter, 2);
     }},
    {"links",
     [](GroupMaker& m, Tev_ChannelGroup& g) {
         Tev_Channel* parent = m.Add(g, kTestLinksGuid, "parent");
         parent->SetChild(m.Add(g, kTestDerivedGuid, "slot 0"), 0, 2);
         parent->SetChild(m.Add(g, kTestDerivedGuid, "slot 2"), 2, 2);
         parent->SetChild(m.Add(g, kTestRootGuid, "single"), 0, 1);
         parent->SetChild(m.Add(g, kTestLinksGuid, "any"), 0, 3);
         Tev_Channel* later = m.Add(g, kTestLinksGuid, "earlier");
         later->SetChild(m.Add(g, kTestRootGuid, "later"), 0, 0);
     }},
    {"public-call",
     [](GroupMaker& m, Tev_ChannelGroup& g) {
         Tev_Channel* call = m.Add(g, kTestRootGuid, "call");
         call->SetChannelInterfaceType(PEX_PUBLICCALL);
         PublicCallInfo info;
         std::strcpy(info.channelName, "Door");
         std::strcpy(info.poolName, "House");
         std::strcpy(info.fileName, "rooms\\house.cgr");
         info.requestedPublicChannelNr = 3;
         channelInternal.SetPublicCallInfo(call, info);
         channelInternal.SetDynamicAutoLoadGroup(call, true);
         channelInternal.SetTreeCountMode(call, 2);
         call->SetChild(m.Add(g, kTestRootGuid, "at 0"), 0, 0);
         call->SetChild(m.Add(g, kTestRootGuid, "at 2"), 0, 2);
         Tev_Channel* open = m.Add(g, kTestRootGuid, "Door");
         open->SetChannelInterfaceType(PEX_PUBLIC);
     }},
    {"plugin-blocks-and-children",
     [](GroupMaker& m, Tev_ChannelGroup& g) {
         m.Add(g, kCgrBlocksGuid, "own blocks");
         m.Add(g, kTestAutoChildGuid, "auto");
         Tev_Channel* custom = m.Add(g, kTestCustomGuid, "custom");
         custom->SetChild(m.Add(g, kTestCounterGuid, "counter"), 0, 0);
     }},
    {"large",
     [](GroupMaker& m, Tev_ChannelGroup& g) {
         Tev_Channel* counter = m.Add(g, kTestCounterGuid, "all");
         Tev_Channel* previous = nullptr;
         for (int i = 0; i < 120; i++) {
             Tev_Channel* links = m.Add(g, kTestLinksGuid, ("links " + std::to_string(i)).c_str());
             counter->SetChild(links, -1, 0);
             if (previous) previous->SetChild(links, 0, 3);
             links->SetChild(m.Add(g, i % 2 ? kTestDerivedGuid : kTestRootGuid), 0, i % 2 ? 2 : 0);
             previous = links;
         }
     }},
};

void GroupSeeds(TestEngine& engine, Seeds& seeds) {
    GroupMaker maker(engine.Engine());
    for (const GroupShape& shape : kGroups) {
        Tev_ChannelGroup group(engine.Engine());
        shape.build(maker, group);
        seeds.Add(Reader::GroupFile, std::string(shape.name) + ".cgr", maker.Save(group));
    }
    // Pools need a group in the engine's table.
    Tev_ChannelGroup* group = engine.Engine()->CreateNewGroup("Pools", false, -1);
    ChannelPoolManagement* pools = engine.Ext()->GetChannelPoolManagement();
    if (!group || !pools) return;
    Tev_Channel* member = maker.Add(*group, kTestRootGuid, "member");
    pools->CreatePoolItem("A@B", member);
    pools->CreatePoolItem("C", member);
    Tev_Channel* user = maker.Add(*group, kTestCounterGuid, "user");
    user->SetChannelInterfaceType(PEX_CUSTOMCHANNELGET);
    user->SetIfUsePoolChannel(true);
    channelInternal.AddPoolToChannel(user, "A");
    pools->CreatePoolItem("D", user);
    seeds.Add(Reader::GroupFile, "pools.cgr", maker.Save(*group));
    engine.Engine()->DeleteChannelGroup(group->GetGroupIndex());
}

// The project's blocks, written through the writer, back as bytes.
std::string ProjectBytes(TestEngine& engine, const ProjectBlocks& blocks) {
    const std::string path = engine.InstallDir() + "/seed.vtr";
    WriteProject(engine.Engine(), path, blocks);
    std::string bytes = ReadBinaryFile(path);
    fs::remove(path);
    return bytes;
}

void ProjectSeeds(TestEngine& engine, Seeds& seeds) {
    const uint32_t rootCrc = FileCrc(engine.Engine(), engine.InstallDir() + "/channels/" TEST_ROOT_DLL);
    const ProjectBlocks header = {{project::kHeader, {Int32Data(1)}},
                                  {project::kStartGroup, {TextData("start.cgr")}},
                                  {project::kInterfaceVersion, {Int32Data(1)}},
                                  {project::kKeepRunning, {}}};
    seeds.Add(Reader::Project, "header.vtr", ProjectBytes(engine, header));

    // Installed, missing (restored), older (restored) and empty entries, then other DLLs.
    ProjectBlocks full = header;
    Append(full, {{project::kChannelCount, {Int32Data(4)}}});
    Append(full, ChannelEntry(kTestRootGuid, {1, 52, 1}, rootCrc));
    Append(full, ChannelEntry(kTestMissingGuid, {1, 52, 1}, 7));
    Append(full, EmbeddedChannel("restored.dll", "not a module"));
    Append(full, {{project::kChannelEmpty, {}}});
    Append(full, ChannelEntry(kTestDerivedGuid, {9, 52, 1}, 0));
    Append(full, EmbeddedChannel("newer.dll", std::string(64, '\x7F')));
    Append(full, {{project::kOtherCount, {Int32Data(3)}}});
    Append(full, OtherDllEntry("helper.so", 0));
    Append(full, EmbeddedOtherDll("helper.so", "helper bytes"));
    Append(full, {{project::kOtherEmpty, {}}});
    Append(full, OtherDllEntry("absent.so", 1));
    seeds.Add(Reader::Project, "plugins.vtr", ProjectBytes(engine, full));

    // Names that must write nothing.
    const char* const kHostile[] = {
        "../escape.dll", "..", "sub/inner.dll", "sub\\inner.dll", "C:drive.dll", "/tmp/absolute.dll", "."};
    int n = 0;
    for (const char* name : kHostile) {
        ProjectBlocks channel = header;
        Append(channel, {{project::kChannelCount, {Int32Data(1)}}});
        Append(channel, ChannelEntry(kTestMissingGuid, {1, 52, 1}, 0));
        Append(channel, EmbeddedChannel(name, "module"));
        seeds.Add(Reader::Project, "hostile-channel-" + std::to_string(n) + ".vtr",
                  ProjectBytes(engine, channel));
        ProjectBlocks other = header;
        Append(other, {{project::kChannelCount, {Int32Data(0)}}, {project::kOtherCount, {Int32Data(1)}}});
        Append(other, OtherDllEntry(name, 0));
        Append(other, EmbeddedOtherDll(name, "library"));
        seeds.Add(Reader::Project, "hostile-other-" + std::to_string(n++) + ".vtr",
                  ProjectBytes(engine, other));
    }
}

void ChannelListSeeds(TestEngine& engine, Seeds& seeds) {
    const std::string path = engine.InstallDir() + "/channel.lst";
    engine.Stop();  // writes the cache
    const std::string written = ReadBinaryFile(path);
    engine.Start();
    seeds.Add(Reader::ChannelList, "engine.lst", written);
    // The same entries as an older writer wrote them (no checksum), and an empty cache.
    CacheFile parsed = ParseCacheFile(written);
    if (parsed.valid) {
        seeds.Add(Reader::ChannelList, "no-checksum.lst", EncodeCacheFile(parsed.entries, parsed.dir));
        std::vector<CacheEntry> two(parsed.entries.begin(),
                                    parsed.entries.begin() + std::min<size_t>(2, parsed.entries.size()));
        seeds.Add(Reader::ChannelList, "two.lst", EncodeCacheFile(two, parsed.dir));
    }
    seeds.Add(Reader::ChannelList, "empty.lst", Block(typecacheformat::kCount, Int32Data(0)));
}

// Shapes of the stream itself.
void StreamSeeds(Seeds& seeds) {
    seeds.Add(Reader::TaggedReader, "tags-only",
              std::string(group::kGroup) + channelrecordformat::kPoolEnd + channelrecordformat::kPoolItemEnd +
                  project::kKeepRunning);
    seeds.Add(
        Reader::TaggedReader, "blocks",
        "ABCD" + Int32Data(0) + Int32Data(3) + "xyz" + "EFGH" + Block("IJKL", "data").substr(4) + "MNOP");
    seeds.Add(Reader::TaggedReader, "cut", Block(group::kGroup, "0123456789").substr(0, 12));
    seeds.Add(Reader::TaggedReader, "garbage-after",
              Block(group::kChannelCount, Int32Data(1)) + "\x80\x81\x82\x83rest");
}

// ---- group sets ----

// Answers how many it wrote.
int GroupSetSeeds(const std::string& out) {
    const fs::path dir = fs::path(out) / "group_set";
    fs::create_directories(dir);
    const auto sets = groupset::SeedSets();
    for (const auto& [name, bytes] : sets)
        if (!WriteBinaryFile((dir / name).string(), bytes)) {
            std::fprintf(stderr, "fuzz_seed_corpus: cannot write %s\n", name.c_str());
            std::exit(1);
        }
    return static_cast<int>(sets.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seed_corpus OUT\n");
        return 2;
    }
    TestEngine engine(ReaderEngineOptions());
    if (!engine.Started()) {
        std::fprintf(stderr, "fuzz_seed_corpus: the engine did not start\n");
        return 1;
    }
    Seeds seeds(argv[1]);
    GroupSeeds(engine, seeds);
    ProjectSeeds(engine, seeds);
    ChannelListSeeds(engine, seeds);
    StreamSeeds(seeds);
    const int sets = GroupSetSeeds(argv[1]);
    std::printf("fuzz_seed_corpus: %d seeds and %d group sets in %s\n", seeds.Count(), sets, argv[1]);
    return 0;
}
