// The channel type cache channel.lst across start-ups: written at shutdown, trusted on the
// next start, discarded when it belongs elsewhere or is damaged.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ChannelList.h"
#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "fixtures/loadertest/LoaderTestChannels.h"
#include "support/LoaderSupport.h"
#include "support/TestEngine.h"

namespace fs = std::filesystem;
using namespace tarnwell_test;

namespace {

const char* const kDamaged = "channel.lst is damaged";

TestEngineOptions TwoPluginOptions() {
    TestEngineOptions options;
    options.pluginPaths = {TestChannelPath(LOADER_A_DLL), TestChannelPath(LOADER_B_DLL)};
    return options;
}

ChannelList* List(const TestEngine& engine) { return engine.Ext()->GetChannelList(); }

int ModulesIn(const std::string& dir) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == ".dll") count++;
    return count;
}

const CacheEntry* Find(const CacheFile& cache, const _GUID& type) {
    for (const CacheEntry& entry : cache.entries)
        if (entry.type.typeGuid == type) return &entry;
    return nullptr;
}

std::string ModulePath(const TestEngine& engine, const char* module) {
    return engine.InstallDir() + "\\channels\\" + module;
}

}  // namespace

TEST(ChannelListCache, FirstStartScansAndSecondStartTrustsTheCache) {
    TypeQueryLog log;
    TestEngine engine(TwoPluginOptions());
    ASSERT_TRUE(engine.Started());
    for (const _GUID& type : {kLoaderAGuid, kLoaderBGuid}) {
        ChannelListItem* item = List(engine)->GetItem(type);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->fromFile);
        EXPECT_TRUE(item->onDisk);
    }
    EXPECT_EQ(log.Count("Loader A"), 1);
    EXPECT_EQ(log.Count("Loader B"), 1);
    EXPECT_EQ(std::string(List(engine)->GetItem(kLoaderAGuid)->fileName.GetString()),
              ModulePath(engine, LOADER_A_DLL));

    engine.Stop();
    const CacheFile cache = ParseCacheFile(engine.ReadInstallFile("channel.lst"));
    ASSERT_TRUE(cache.valid);
    EXPECT_EQ(cache.count, ModulesIn(engine.InstallDir() + "/channels"));
    EXPECT_EQ(cache.dir, engine.InstallDir());
    ASSERT_NE(Find(cache, kLoaderAGuid), nullptr);
    ASSERT_NE(Find(cache, kLoaderBGuid), nullptr);
    EXPECT_EQ(Find(cache, kLoaderBGuid)->path, ModulePath(engine, LOADER_B_DLL));
    EXPECT_STREQ(Find(cache, kLoaderBGuid)->type.typeName, "Loader B");
    for (size_t i = 0; i < cache.entries.size(); i++) EXPECT_EQ(cache.entries[i].index, static_cast<int32_t>(i));

    log.Clear();
    ASSERT_TRUE(engine.Start());
    EXPECT_EQ(log.Total(), 0) << "a cached module was asked for its type";
    for (const _GUID& type : {kLoaderAGuid, kLoaderBGuid}) {
        ChannelListItem* item = List(engine)->GetItem(type);
        ASSERT_NE(item, nullptr);
        EXPECT_FALSE(item->fromFile);
        EXPECT_TRUE(item->onDisk);
    }
    EXPECT_STREQ(List(engine)->GetChannelType(kLoaderAGuid).typeName, "Loader A");
}

TEST(ChannelListCache, CacheOfAnotherInstallationIsRebuilt) {
    TypeQueryLog log;
    TestEngine engine(TwoPluginOptions());
    engine.Stop();
    CacheFile cache = ParseCacheFile(engine.ReadInstallFile("channel.lst"));
    ASSERT_TRUE(cache.valid);
    // Another installation, whose entries name a module this one does not have.
    for (CacheEntry& entry : cache.entries) entry.path = "/elsewhere/channels/x.dll";
    ASSERT_TRUE(WriteBinaryFile(engine.InstallDir() + "/channel.lst", EncodeCacheFile(cache.entries, "/elsewhere")));

    log.Clear();
    ASSERT_TRUE(engine.Start());
    ChannelListItem* item = List(engine)->GetItem(kLoaderAGuid);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->fromFile);
    EXPECT_TRUE(item->onDisk);
    EXPECT_EQ(std::string(item->fileName.GetString()), ModulePath(engine, LOADER_A_DLL));
    EXPECT_EQ(log.Count("Loader A"), 1);
}

// On a file system that tells letter case apart, another case is another directory.
TEST(ChannelListCache, CacheDirectoryComparesExactlyWhereCaseCounts) {
    TypeQueryLog log;
    TestEngine engine(TwoPluginOptions());
    engine.Stop();
    CacheFile cache = ParseCacheFile(engine.ReadInstallFile("channel.lst"));
    std::string upper = engine.InstallDir();
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::error_code error;
    if (fs::equivalent(upper, engine.InstallDir(), error))
        GTEST_SKIP() << "letter case is not told apart here";
    ASSERT_TRUE(WriteBinaryFile(engine.InstallDir() + "/channel.lst", EncodeCacheFile(cache.entries, upper)));
    log.Clear();
    ASSERT_TRUE(engine.Start());
    EXPECT_EQ(log.Count("Loader A"), 1) << "the cache of another directory was trusted";
}

// One flipped bit in a cached type GUID: the damage is seen, the list is rebuilt from the
// modules, and the run after that trusts the rewritten cache again.
TEST(ChannelListCache, DamagedTypeRecordIsRebuiltAndTheNextRunWorks) {
    TypeQueryLog log;
    TestEngineOptions options = TwoPluginOptions();
    options.registry = {{"WriteErrorLog", "Yes"}};  // start-up messages reach error.log only
    TestEngine engine(options);
    const ChannelType typeA = List(engine)->GetChannelType(kLoaderAGuid);
    engine.Stop();
    std::string bytes = engine.ReadInstallFile("channel.lst");
    const size_t record = bytes.find(TypeData(typeA));
    ASSERT_NE(record, std::string::npos);
    bytes[record + 80 + 2] ^= 0x10;  // inside the type GUID
    ASSERT_TRUE(WriteBinaryFile(engine.InstallDir() + "/channel.lst", bytes));

    log.Clear();
    ASSERT_TRUE(engine.Start());
    EXPECT_EQ(log.Count("Loader A"), 1) << "the damaged record was trusted";
    EXPECT_NE(engine.ReadInstallFile("error.log").find(kDamaged), std::string::npos);
    Tev_Channel* channel = engine.Engine()->InitChannelFromType(kLoaderAGuid, nullptr, false);
    EXPECT_NE(channel, nullptr);
    delete channel;

    engine.Stop();
    log.Clear();
    ASSERT_TRUE(engine.Start());
    EXPECT_EQ(log.Total(), 0) << "the rebuilt cache was not trusted";
    channel = engine.Engine()->InitChannelFromType(kLoaderAGuid, nullptr, false);
    EXPECT_NE(channel, nullptr);
    delete channel;
}

TEST(ChannelListCache, EntryOfDeletedModuleIsKeptAsMissing) {
    TestEngine engine(TwoPluginOptions());
    engine.Stop();
    ASSERT_TRUE(fs::remove(fs::path(engine.InstallDir()) / "channels" / LOADER_B_DLL));

    ASSERT_TRUE(engine.Start());
    ChannelListItem* item = List(engine)->GetItem(kLoaderBGuid);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->onDisk);
    EXPECT_FALSE(List(engine)->GetOnDisk(kLoaderBGuid));
    EXPECT_TRUE(List(engine)->GetOnDisk(kLoaderAGuid));
    EXPECT_EQ(engine.Engine()->InitChannelFromType(kLoaderBGuid, nullptr, false), nullptr);

    engine.Stop();
    const CacheFile cache = ParseCacheFile(engine.ReadInstallFile("channel.lst"));
    ASSERT_TRUE(cache.valid);
    ASSERT_NE(Find(cache, kLoaderBGuid), nullptr);
    EXPECT_EQ(Find(cache, kLoaderBGuid)->path, ModulePath(engine, LOADER_B_DLL));
}

// The existence test answers from a listing of the channels directory: a link whose module
// went away is as missing as a deleted module, a link to one that is there is not.
TEST(ChannelListCache, CachedModuleBehindADanglingLinkIsMissing) {
    TempDir elsewhere("tarnwell-moved-module");
    TestEngine engine(TwoPluginOptions());
    engine.Stop();
    const fs::path channels = fs::path(engine.InstallDir()) / "channels";
    const fs::path copy = fs::path(elsewhere.Path()) / LOADER_B_DLL;
    fs::copy_file(TestChannelPath(LOADER_B_DLL), copy);
    fs::remove(channels / LOADER_B_DLL);
    fs::create_symlink(copy, channels / LOADER_B_DLL);
    ASSERT_TRUE(engine.Start());
    EXPECT_TRUE(List(engine)->GetOnDisk(kLoaderBGuid));

    engine.Stop();
    fs::remove(copy);
    ASSERT_TRUE(engine.Start());
    EXPECT_FALSE(List(engine)->GetOnDisk(kLoaderBGuid));
    EXPECT_TRUE(List(engine)->GetOnDisk(kLoaderAGuid));
}

// The kernel reads the cache and lists the directory itself, yet only where the reader and
// lister modules are installed, as when it went through them.
TEST(ChannelListCache, NoScanWithoutTheListerAndNoCacheWithoutTheReader) {
    TestEngine engine(TwoPluginOptions());
    engine.Stop();
    const fs::path channels = fs::path(engine.InstallDir()) / "channels";
    fs::copy_file(TestChannelPath(LOADER_PROBE_DLL), channels / "loaderprobe_3.dll");
    ASSERT_TRUE(fs::remove(channels / "Directory.dll"));
    ASSERT_TRUE(engine.Start());
    EXPECT_EQ(List(engine)->GetItem(LoaderProbeGuid(3)), nullptr) << "scanned without the lister";
    ASSERT_NE(List(engine)->GetItem(kLoaderAGuid), nullptr);
    EXPECT_FALSE(List(engine)->GetItem(kLoaderAGuid)->fromFile);

    engine.Stop();
    ASSERT_TRUE(fs::remove(channels / "fileloader.dll"));
    ASSERT_TRUE(engine.Start());
    EXPECT_EQ(List(engine)->GetItem(kLoaderAGuid), nullptr) << "cache read without the reader";
}

TEST(ChannelListCache, MovedModuleTakesOverItsCachedEntry) {
    TestEngine engine(TwoPluginOptions());
    engine.Stop();
    const fs::path channels = fs::path(engine.InstallDir()) / "channels";
    fs::rename(channels / LOADER_B_DLL, channels / "loaderb-moved.dll");

    ASSERT_TRUE(engine.Start());
    ChannelListItem* item = List(engine)->GetItem(kLoaderBGuid);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->onDisk);
    EXPECT_EQ(std::string(item->fileName.GetString()), ModulePath(engine, "loaderb-moved.dll"));
    Tev_Channel* channel = engine.Engine()->InitChannelFromType(kLoaderBGuid, nullptr, false);
    EXPECT_NE(channel, nullptr);
    delete channel;
}

// A damaged cache is never trusted in part: the scan rebuilds the list, the user is told
// once, and nothing is allocated from the damaged numbers.
class ChannelListDamagedCache : public ::testing::Test {
protected:
    void SetUp() override {
        engine.reset(new TestEngine(TwoPluginOptions()));
        ASSERT_TRUE(engine->Started());
        list = List(*engine);
        a.index = 0;
        a.type = list->GetChannelType(kLoaderAGuid);
        a.path = ModulePath(*engine, LOADER_A_DLL);
        b.index = 1;
        b.type = list->GetChannelType(kLoaderBGuid);
        b.path = ModulePath(*engine, LOADER_B_DLL);
    }

    std::string Entry(int32_t index, const ChannelType& type, const std::string& path) const {
        return Block("CHIX", Int32Data(index)) + Block("CHTY", TypeData(type)) + Block("CHFN", TextData(path));
    }
    std::string Dir() const { return Block("CHDI", TextData(engine->InstallDir(), 260)); }

    // Loads `bytes` as channel.lst; the list must come from the scan.
    void ExpectRebuilt(const std::string& bytes, const std::string& what) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(WriteBinaryFile(engine->InstallDir() + "/channel.lst", bytes));
        engine->ClearMessages();
        list->CreateChannelList();
        EXPECT_EQ(engine->Count(kDamaged), 1);
        EXPECT_NE(list->GetItem(kLoaderBGuid), nullptr);
        ChannelListItem* item = list->GetItem(kLoaderAGuid);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->fromFile);
        EXPECT_EQ(item->index, list->GetItem(item->index)->index);
    }

    std::unique_ptr<TestEngine> engine;
    ChannelList* list = nullptr;
    CacheEntry a, b;
};

TEST_F(ChannelListDamagedCache, SoundCacheIsTakenAsWritten) {
    ASSERT_TRUE(WriteBinaryFile(engine->InstallDir() + "/channel.lst", EncodeCacheFile({a, b}, engine->InstallDir())));
    engine->ClearMessages();
    list->CreateChannelList();
    EXPECT_EQ(engine->Count(kDamaged), 0);
    ASSERT_NE(list->GetItem(0), nullptr);
    EXPECT_TRUE(list->GetItem(0)->channelType.typeGuid == kLoaderAGuid);
    EXPECT_FALSE(list->GetItem(0)->fromFile);
}

TEST_F(ChannelListDamagedCache, TruncatedFilesAreRebuilt) {
    const std::string whole = EncodeCacheFile({a, b}, engine->InstallDir());
    const size_t dirStart = whole.size() - (8 + 260);
    std::vector<size_t> cuts = {1, 3, 4, 7, 8, 11, 12, dirStart - 1, dirStart + 4, dirStart + 9, whole.size() - 1};
    for (size_t cut = 13; cut < dirStart; cut += 29) cuts.push_back(cut);
    for (size_t cut : cuts) ExpectRebuilt(whole.substr(0, cut), "cut at " + std::to_string(cut));
}

TEST_F(ChannelListDamagedCache, ImpossibleCountsAndIndicesAreRebuilt) {
    const std::string entries = Entry(0, a.type, a.path) + Entry(1, b.type, b.path);
    ExpectRebuilt(Block("CLCC", Int32Data(0x7FFFFFFF)) + entries + Dir(), "huge count");
    ExpectRebuilt(Block("CLCC", Int32Data(-2)) + entries + Dir(), "negative count");
    ExpectRebuilt(Block("CLCC", Int32Data(2)) + Entry(0, a.type, a.path) + Entry(1000000000, b.type, b.path) + Dir(),
                  "index far beyond the count");
    ExpectRebuilt(Block("CLCC", Int32Data(2)) + Entry(-1, a.type, a.path) + Entry(1, b.type, b.path) + Dir(),
                  "negative index");
    ExpectRebuilt(Block("CLCC", Int32Data(2)) + Entry(0, a.type, a.path) + Entry(0, b.type, b.path) + Dir(),
                  "two entries at one position");
    ExpectRebuilt(Block("CLCC", Int32Data(2)) + Entry(0, a.type, a.path) + Entry(1, a.type, b.path) + Dir(),
                  "two entries with one type");
}

TEST_F(ChannelListDamagedCache, MisshapenBlocksAreRebuilt) {
    const std::string head = Block("CLCC", Int32Data(1)) + Block("CHIX", Int32Data(0));
    const std::string type = Block("CHTY", TypeData(a.type));
    ExpectRebuilt(head + type + Block("CHFN", "abcde") + Dir(), "path without terminator");
    ExpectRebuilt(head + type + Block("CHFN", TextData(std::string(300, 'p'))) + Dir(), "path over 260 bytes");
    ExpectRebuilt(head + Block("CHTY", TypeData(a.type).substr(0, 131)) + Block("CHFN", TextData(a.path)) + Dir(),
                  "short type record");
    ExpectRebuilt(head + type + Block("CHFN", TextData(a.path)) + Block("CHDI", std::string(300, 'd')),
                  "directory over 260 bytes");
    ExpectRebuilt(Block("CLCC", Int32Data(1)) + type + Block("CHFN", TextData(a.path)) + Dir(), "missing index");
    ExpectRebuilt(std::string("this is not a channel list at all"), "foreign content");
}

namespace {

// Starts an engine in `dir`, spelled as given, and shuts it down; answers how many modules it
// asked for their type.
int TypeQueriesOfAStart(const std::string& dir, TypeQueryLog& log) {
    log.Clear();
    std::unique_ptr<EngineControl> control(GetEngineControlInstance());
    control->SetInstallDir(dir.c_str());
    control->SetVantorRegKey(TestEngine::kRegistryKey);
    EXPECT_TRUE(control->InitEngine(nullptr, const_cast<char*>("Vantor Test"), nullptr));
    ChannelListItem* item =
        control->GetEngineInterface()->engineInterfaceExt->GetChannelList()->GetItem(kLoaderAGuid);
    EXPECT_TRUE(item && item->onDisk) << dir;
    return log.Total();
}

}  // namespace

// The cache serves the install directory in whatever form it is given: relative to the
// working directory, or absolute, one start after the other.
TEST(ChannelListCache, RelativeAndAbsoluteInstallDirectoryShareTheCache) {
    TypeQueryLog log;
    TestEngineOptions options = TwoPluginOptions();
    options.start = false;
    TestEngine engine(options);
    const fs::path absolute = engine.InstallDir();
    const fs::path previous = fs::current_path();
    fs::current_path(absolute.parent_path());
    const std::string relative = absolute.filename().string();
    EXPECT_EQ(TypeQueriesOfAStart(relative, log), 2);
    for (const std::string& dir : {relative, absolute.string(), relative, "./" + relative})
        EXPECT_EQ(TypeQueriesOfAStart(dir, log), 0)
            << "a cached module was asked for its type, started in " << dir;
    fs::current_path(previous);
}
