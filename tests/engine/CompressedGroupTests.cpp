// Compressed group files: the writer puts the compressed layer in front of a group when asked
// (the engine's registry value, or the writer's own switch), and the kernel's readers remove it
// through the compression translator plug-in. A damaged layer fails the load with its reason.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FileLoaderChannels.h"
#include "PluginChannels.h"
#include "TevFileSaver.h"
#include "Tev_ChannelGroup.h"
#include "format/CompressedLayerFormat.h"
#include "format/LittleEndian.h"
#include "support/LoaderSupport.h"
#include "support/ReloadSupport.h"
#include "support/TempDir.h"
#include "support/TestEngine.h"

namespace {

using tarnwell_test::TestEngine;
using tarnwell_test::TestEngineOptions;

const char kDamaged[] = "Pex_TranslatorChannel::TranslateLoader: Compressed group file damaged:";
const char kNotAGroup[] = "The selected file is not a channel group.";

// Where the layered file keeps its parts: "KORF", size, GUID, the layer tag, its size, the record.
constexpr size_t kLayerTagAt = 24;
constexpr size_t kBlockSizeAt = kLayerTagAt + 4;
constexpr size_t kRecordAt = kBlockSizeAt + 4;
constexpr size_t kStreamAt = kRecordAt + compressedlayer::kStreamAt;

TestEngineOptions Options(bool compressByRegistry) {
    TestEngineOptions options;
    options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR};
    if (compressByRegistry) options.registry = {{compressedlayer::kRegistryValue, "Yes"}};
    return options;
}

bool Layered(const std::string& bytes) { return bytes.compare(0, 4, "KORF") == 0; }

// The group as a writer with the given switch writes it into memory (-1: the registry decides).
std::string Saved(EngineInterface* engine, Tev_ChannelGroup* group, int level) {
    TevFileSaver saver(engine);
    if (level >= 0)
        saver.GetFileSaverChannel()->DoEvent(compressedlayer::kCompressEvent,
                                             static_cast<TevEventData>(level));
    if (!saver.OpenMemory() || !group->SaveChannelGroup(saver)) return "";
    return std::string(saver.GetBuffer(), saver.GetBufferSize());
}

uint32_t Word(const std::string& bytes, size_t at) {
    return littleendian::Get32(reinterpret_cast<const unsigned char*>(bytes.data() + at));
}

void SetWord(std::string& bytes, size_t at, uint32_t value) {
    littleendian::Put32(reinterpret_cast<unsigned char*>(&bytes[at]), value);
}

class CompressedGroupFile : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return dir.Path() + "/" + name; }

    tarnwell_test::TempDir dir{"tarnwell-compressed"};
};

// Saved compressed, loaded, saved compressed again and loaded: the group written plain at
// the end is byte for byte the one written plain at the start.
TEST_F(CompressedGroupFile, KernelLoadsWhatTheRegistrySwitchedWriterSaves) {
    TestEngine engine(Options(true));
    ASSERT_TRUE(engine.Started());
    EngineInterface* api = engine.Engine();
    ASSERT_TRUE(tarnwell_test::SaveTreeGroup(api, 500, Path("tree.cgr")));
    const std::string first = tarnwell_test::ReadBinaryFile(Path("tree.cgr"));
    ASSERT_TRUE(Layered(first));

    Tev_ChannelGroup* loaded = api->LoadChannelGroup(Path("tree.cgr").c_str(), "Tree");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetChannelCount(), 500);
    EXPECT_NE(loaded->GetChannel(499), nullptr);
    const std::string plain = Saved(api, loaded, 0);
    ASSERT_EQ(plain.compare(0, 4, "TEVG"), 0);
    EXPECT_LT(first.size() * 3, plain.size());

    ASSERT_TRUE(loaded->SaveChannelGroup(Path("again.cgr").c_str()));
    EXPECT_TRUE(Layered(tarnwell_test::ReadBinaryFile(Path("again.cgr"))));
    Tev_ChannelGroup again(api);
    ASSERT_TRUE(again.LoadChannelGroupFromFile(Path("again.cgr").c_str(), true));
    EXPECT_TRUE(Saved(api, &again, 0) == plain);
}

// The writer's own switch wins over the registry either way; only group content is layered,
// since channel.lst and project files are read by readers that expect them plain.
TEST_F(CompressedGroupFile, WriterLayersGroupContentWhenItsSwitchOrTheRegistrySaysSo) {
    struct Case {
        bool registry;
        int level;  // the writer's switch, -1 unset
        bool group;
        bool layered;
    };
    const Case cases[] = {
        {false, -1, true, false}, {true, -1, true, true},   {false, 9, true, true},
        {true, 0, true, false},   {false, 1, false, false}, {true, -1, false, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(::testing::Message() << test.registry << " " << test.level << " " << test.group);
        TestEngine engine(Options(test.registry));
        ASSERT_TRUE(engine.Started());
        TevFileSaver saver(engine.Engine());
        if (test.level >= 0)
            saver.GetFileSaverChannel()->DoEvent(compressedlayer::kCompressEvent,
                                                 static_cast<TevEventData>(test.level));
        ASSERT_TRUE(saver.OpenSaveFile(Path("out.bin").c_str(), false));
        saver.SaveTag(test.group ? "TEVG" : "QSPT");
        saver.SaveTag("CHCO");
        saver.SaveBlockSize(4);
        const int32_t none = 0;
        saver.SaveDataToFile(&none, sizeof(none));
        ASSERT_TRUE(saver.CloseSaveFile());
        const std::string bytes = tarnwell_test::ReadBinaryFile(Path("out.bin"));
        EXPECT_EQ(Layered(bytes), test.layered);
        if (test.group) {
            EXPECT_NE(engine.Engine()->LoadChannelGroup(Path("out.bin").c_str(), "Out"), nullptr);
        }
    }
}

// Damaged layers of every kind: the load fails with the reason and the file-is-no-group
// message, takes no memory a lying size asks for, and never reads outside the content.
TEST_F(CompressedGroupFile, DamagedLayerFailsTheLoadWithItsReason) {
    TestEngine engine(Options(false));
    ASSERT_TRUE(engine.Started());
    EngineInterface* api = engine.Engine();
    ASSERT_TRUE(tarnwell_test::SaveTreeGroup(api, 200, Path("tree.cgr")));
    Tev_ChannelGroup* source = api->LoadChannelGroup(Path("tree.cgr").c_str(), "Tree");
    ASSERT_NE(source, nullptr);
    const std::string good = Saved(api, source, 6);
    ASSERT_TRUE(Layered(good));
    ASSERT_EQ(good.compare(kLayerTagAt, 4, compressedlayer::kLayer), 0);
    const uint32_t plainSize = Word(good, kRecordAt + compressedlayer::kPlainSizeAt);
    const uint32_t blockSize = Word(good, kBlockSizeAt);

    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    std::string shortened = good.substr(0, good.size() - 40);
    SetWord(shortened, kBlockSizeAt, blockSize - 40);
    std::string badCheck = good;
    badCheck.back() = static_cast<char>(badCheck.back() ^ 0x01);
    std::string badData = good;
    badData[kStreamAt + 2] = static_cast<char>(0xFF);
    std::string bomb = good;
    SetWord(bomb, kRecordAt + compressedlayer::kPlainSizeAt, 0x7FFFFFFF);
    std::string beyond = good;
    SetWord(beyond, kRecordAt + compressedlayer::kPlainSizeAt, 0x80000000u);
    std::string longer = good;
    SetWord(longer, kRecordAt + compressedlayer::kPlainSizeAt, plainSize - 1);
    std::string shorter = good;
    SetWord(shorter, kRecordAt + compressedlayer::kPlainSizeAt, plainSize + 1);
    std::string newer = good;
    SetWord(newer, kRecordAt + compressedlayer::kVersionAt, compressedlayer::kVersion + 1);
    std::string trailing = good + "tail";
    SetWord(trailing, kBlockSizeAt, blockSize + 4);
    std::string noLayer = good.substr(0, kLayerTagAt) + "TEVG";
    std::string noRecord = good.substr(0, kRecordAt + 4);
    SetWord(noRecord, kBlockSizeAt, 4);
    const Case cases[] = {
        {"cut in half", good.substr(0, good.size() / 2), "missing or cut short"},
        {"stream cut short", shortened, "ends early"},
        {"checksum", badCheck, "incorrect data check"},
        {"stream bytes", badData, "damaged data"},
        {"size a bomb claims", bomb, "impossible for"},
        {"size beyond any group", beyond, "impossible for"},
        {"more than declared", longer, "more data than the declared"},
        {"less than declared", shorter, "less data than the declared"},
        {"newer layer", newer, "layer version 2, this plug-in reads version 1"},
        {"bytes after the stream", trailing, "bytes after the compressed data"},
        {"no layer block", noLayer, "no compressed block"},
        {"no record", noRecord, "ends before its record"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        engine.ClearMessages();
        Tev_ChannelGroup group(api);
        std::vector<char> bytes(test.bytes.begin(), test.bytes.end());
        EXPECT_FALSE(group.LoadChannelGroupFromBuffer("damaged.cgr", static_cast<int>(bytes.size()),
                                                      bytes.data(), false));
        EXPECT_TRUE(engine.Contains(kDamaged));
        EXPECT_TRUE(engine.Contains(test.reason));
        EXPECT_TRUE(engine.Contains(kNotAGroup));
        EXPECT_EQ(group.GetChannelCount(), 0);
    }
}

// The background loader reads the file on its worker and makes the group at a frame: through
// the same translator, so a compressed group arrives whole.
TEST_F(CompressedGroupFile, BackgroundLoaderMakesCompressedGroups) {
    TestEngine engine(Options(true));
    ASSERT_TRUE(engine.Started());
    ASSERT_TRUE(tarnwell_test::SaveTreeGroup(engine.Engine(), 3000, Path("tree.cgr")));
    ASSERT_TRUE(Layered(tarnwell_test::ReadBinaryFile(Path("tree.cgr"))));
    auto* loader = static_cast<Pex_DynamicLoadingChannel*>(
        engine.Engine()->GetUniqueChannel(TEV_DYNAMICLOADING_GUID, nullptr));
    ASSERT_NE(loader, nullptr);
    ASSERT_TRUE(loader->StartDynamicLoading(Path("tree.cgr").c_str(), "Tree"));
    Tev_ChannelGroup* group = nullptr;
    for (int i = 0; i < 10000 && !group; ++i) {
        engine.Ext()->IncreaseTreeCount();
        group = engine.Engine()->GetPoolGroup("Tree", 0);
        if (!group) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetChannelCount(), 3000);
    EXPECT_NE(group->GetChannel(2999), nullptr);
    EXPECT_FALSE(engine.Contains(kDamaged));
}

}  // namespace
