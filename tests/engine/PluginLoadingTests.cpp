// Loading plug-in modules and making channels from type GUIDs: the search path, version
// checks, module reuse, automatic children and unique channels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ChannelInternal.h"
#include "ChannelList.h"
#include "ChannelPlugin.h"
#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/layoutstamp/LayoutStampChannels.h"
#include "fixtures/loadertest/LoaderTestChannels.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/LoaderSupport.h"
#include "support/TempDir.h"
#include "support/TestEngine.h"
#include "support/TestModules.h"

using namespace tarnwell_test;

namespace {

std::vector<std::string> PathEntries() {
    std::vector<std::string> entries;
    const char* path = getenv("PATH");
    std::stringstream stream(path ? path : "");
    for (std::string entry; std::getline(stream, entry, kPathListSeparator);) entries.push_back(entry);
    if (path && path[0] && path[std::strlen(path) - 1] == kPathListSeparator) entries.push_back("");
    return entries;
}

int Occurrences(const std::vector<std::string>& entries, const std::string& entry) {
    int count = 0;
    for (const std::string& e : entries)
        if (e == entry) count++;
    return count;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

TestEngineOptions WithPlugins(std::vector<std::string> modules) {
    TestEngineOptions options;
    for (const std::string& module : modules) options.pluginPaths.push_back(TestChannelPath(module.c_str()));
    return options;
}

// Position of the first captured message containing text, or -1.
int MessageAt(const TestEngine& engine, const std::string& text) {
    for (size_t i = 0; i < engine.Messages().size(); i++)
        if (engine.Messages()[i].text.find(text) != std::string::npos) return static_cast<int>(i);
    return -1;
}

}  // namespace

TEST(PluginSearchPath, ExtendedOncePerInstallDirectory) {
    ScopedEnv keep("PATH", getenv("PATH"));
    TestEngine engine;
    ASSERT_TRUE(engine.Started());
    const std::string dir = engine.InstallDir();
    EXPECT_EQ(PathEntries().front(), SystemPath(dir + "/channels"));
    EXPECT_EQ(Occurrences(PathEntries(), SystemPath(dir + "/channels")), 1);
    EXPECT_EQ(Occurrences(PathEntries(), SystemPath(dir + "/3rd")), 1);

    ASSERT_TRUE(engine.Ext()->InitEngine(nullptr, "Vantor Test"));
    EXPECT_EQ(Occurrences(PathEntries(), SystemPath(dir + "/channels")), 1);

    // The test is exact: another letter case is another directory.
    engine.Ext()->SetInstallDir(Upper(dir).c_str());
    ASSERT_TRUE(engine.Ext()->InitEngine(nullptr, "Vantor Test"));
    engine.Ext()->SetInstallDir(dir.c_str());
    const std::vector<std::string> entries = PathEntries();
    EXPECT_EQ(entries.front(), SystemPath(Upper(dir) + "/channels"));
    EXPECT_EQ(Occurrences(entries, SystemPath(Upper(dir) + "/3rd")), 1);
    EXPECT_EQ(Occurrences(entries, SystemPath(dir + "/channels")), 1);
    EXPECT_EQ(Occurrences(entries, ""), 0) << "an empty entry means the current directory";
}

// A user's PATH often names the install directory itself (to start the player by name): its
// plug-ins, loaded by bare name from channels/, must still be found.
TEST(PluginSearchPath, InstallDirectoryOnPathStillGetsItsChannels) {
    TestEngineOptions options;
    options.start = false;
    TestEngine engine(options);
    const std::string dir = engine.InstallDir();
    ScopedEnv keep("PATH", SystemPath(dir).c_str());
    ASSERT_TRUE(engine.Start());
    EXPECT_EQ(std::string(getenv("PATH")), SystemPath(dir + "/channels") + kPathListSeparator +
                                               SystemPath(dir + "/3rd") + kPathListSeparator +
                                               SystemPath(dir));
}

TEST(PluginSearchPath, UnsetPathBecomesAValidList) {
    ScopedEnv keep("PATH", nullptr);
    TestEngine engine;
    ASSERT_TRUE(engine.Started());
    const std::string dir = engine.InstallDir();
    EXPECT_EQ(std::string(getenv("PATH")),
              SystemPath(dir + "/channels") + kPathListSeparator + SystemPath(dir + "/3rd"));
}

TEST(PluginSearchPath, LongPathIsKeptWhole) {
    std::string longPath;
    for (int i = 0; i < 200; i++) longPath += "/opt/tarnwell-none/" + std::to_string(i) + kPathListSeparator;
    longPath += getenv("PATH") ? getenv("PATH") : "/usr/bin";
    ScopedEnv keep("PATH", longPath.c_str());
    TestEngine engine;
    ASSERT_TRUE(engine.Started());
    const std::string prefix = SystemPath(engine.InstallDir() + "/channels") + kPathListSeparator +
                               SystemPath(engine.InstallDir() + "/3rd") + kPathListSeparator;
    EXPECT_EQ(std::string(getenv("PATH")), prefix + longPath);
}

TEST(PluginModules, IncompatibleVersionIsRefusedAndMarkedMissing) {
    TypeQueryLog log;
    TestEngineOptions options = WithPlugins({LOADER_A_DLL, LOADER_OLD_DLL, LOADER_V43_DLL});
    options.start = false;
    TestEngine engine(options);
    // A cache from before the module was replaced by one built for another interface.
    CacheEntry cached;
    cached.index = 0;
    cached.type.typeGuid = kLoaderOldGuid;
    std::strcpy(cached.type.typeName, "Loader Old");
    cached.path = engine.InstallDir() + "\\channels\\" LOADER_OLD_DLL;
    ASSERT_TRUE(WriteBinaryFile(engine.InstallDir() + "/channel.lst", EncodeCacheFile({cached}, engine.InstallDir())));
    ASSERT_TRUE(engine.Start());

    ChannelList* list = engine.Ext()->GetChannelList();
    ChannelListItem* item = list->GetItem(kLoaderOldGuid);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->onDisk);
    EXPECT_FALSE(item->fromFile);
    EXPECT_NE(list->GetItem(kLoaderV43Guid), nullptr) << "interface 43 is still accepted";

    log.Clear();
    EXPECT_EQ(engine.Engine()->InitChannelFromType(kLoaderOldGuid, nullptr, false), nullptr);
    EXPECT_TRUE(engine.Contains("Channel not compatible with current version: "));
    EXPECT_TRUE(engine.Contains("Loader Old"));
    EXPECT_FALSE(item->onDisk);
    EXPECT_EQ(log.Count("Loader Old"), 1);
    EXPECT_EQ(engine.Engine()->InitChannelFromType(kLoaderOldGuid, nullptr, false), nullptr);
    EXPECT_EQ(log.Count("Loader Old"), 1) << "a refused module is not asked again";

    EXPECT_TRUE(IsNullGuid(engine.Ext()->GetDLLType(LOADER_OLD_DLL).typeGuid));
    EXPECT_TRUE(engine.Ext()->GetDLLType(LOADER_V43_DLL).typeGuid == kLoaderV43Guid);
}

TEST(PluginModules, TypeModuleIsLoadedByNameOnce) {
    TestEngine engine(WithPlugins({LOADER_A_DLL}));
    ChannelListItem* item = engine.Ext()->GetChannelList()->GetItem(kLoaderAGuid);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->moduleHandle, nullptr);
    Tev_Channel* first = engine.Engine()->InitChannelFromType(kLoaderAGuid, nullptr, false);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first->dllInstance, nullptr);
    EXPECT_EQ(item->moduleHandle, first->dllInstance);
    EXPECT_EQ(first->engineInterface, engine.Engine());
    Tev_Channel* second = engine.Engine()->InitChannelFromType(kLoaderAGuid, nullptr, false);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->dllInstance, first->dllInstance);
    delete first;
    delete second;
    engine.ClearMessages();
    engine.Stop();
}

// Creation remembers the entry it found last and the entry points of loaded modules; neither
// may outlive the list entry or the engine that made them.
TEST(PluginModules, CreationFollowsTheTypeListAsItChanges) {
    TestEngine engine(WithPlugins({LOADER_A_DLL, LOADER_B_DLL}));
    ChannelList* list = engine.Ext()->GetChannelList();
    for (const _GUID& type : {kLoaderAGuid, kLoaderBGuid, kLoaderAGuid}) {
        std::unique_ptr<Tev_Channel> channel(engine.Engine()->InitChannelFromType(type, nullptr, false));
        ASSERT_NE(channel, nullptr);
        EXPECT_EQ(channel->GetChannelType().typeGuid, type);
    }
    list->Release();
    EXPECT_EQ(engine.Engine()->InitChannelFromType(kLoaderAGuid, nullptr, false), nullptr);
    list->CreateChannelList();
    ChannelListItem* item = list->GetItem(kLoaderAGuid);
    ASSERT_NE(item, nullptr);
    item->onDisk = false;
    EXPECT_EQ(engine.Engine()->InitChannelFromType(kLoaderAGuid, nullptr, false), nullptr);
    item->onDisk = true;
    std::unique_ptr<Tev_Channel> channel(engine.Engine()->InitChannelFromType(kLoaderAGuid, nullptr, false));
    EXPECT_NE(channel, nullptr);
    channel.reset();

    // A second engine in the same process after the first one freed its modules.
    engine.Stop();
    ASSERT_TRUE(engine.Start());
    channel.reset(engine.Engine()->InitChannelFromType(kLoaderBGuid, nullptr, false));
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->GetChannelType().typeGuid, kLoaderBGuid);
    channel.reset();
    engine.ClearMessages();
}

// A channel the host makes while the globals still name a plug-in module takes that module as
// its own, yet its code is elsewhere: it must not share the module's type copy, which goes when
// the module is unloaded, before the channel does.
TEST(PluginModules, HostChannelNamingAModuleOutlivesItsUnload) {
    TestEngine engine(WithPlugins({TEST_ROOT_DLL}));
    std::unique_ptr<Tev_Channel> made(engine.Engine()->InitChannelFromType(kTestRootGuid, nullptr, false));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->GetChannelType().typeGuid == kTestRootGuid);
    auto host = std::make_unique<Tev_Channel>();
    host->dllInstance = made->dllInstance;
    host->engineInterface = engine.Engine();
    EXPECT_TRUE(host->GetChannelType().typeGuid == kTestRootGuid);
    made.reset();
    engine.ClearMessages();
    engine.Stop();
    host.reset();
}

TEST(PluginModules, MissingModulesReportTheLoadersReason) {
    TestEngine engine;
    engine.ClearMessages();
    EXPECT_EQ(engine.Ext()->GetDLLInstance("a"), nullptr);
    EXPECT_EQ(engine.Ext()->GetDLLInstance(nullptr), nullptr);
    EXPECT_TRUE(engine.Messages().empty());

    EXPECT_EQ(engine.Ext()->GetDLLInstance("C:\\nowhere\\tarnwell-none.dll"), nullptr);
    const int lastError = MessageAt(engine, "GetLastError:");
    const int loadError = MessageAt(engine, "Engine::GetDLLInstance: Error loading DLL file:");
    ASSERT_GE(lastError, 0);
    ASSERT_GE(loadError, 0);
    EXPECT_LT(lastError, loadError);
    EXPECT_NE(engine.Messages()[loadError].text.find("tarnwell-none.dll"), std::string::npos);
    EXPECT_EQ(engine.Messages().size(), static_cast<size_t>(loadError + 2)) << "the loader's own text follows";

    engine.ClearMessages();
    const ChannelType type = engine.Ext()->GetDLLType("tarnwell-none.dll");
    EXPECT_TRUE(IsNullGuid(type.typeGuid));
    EXPECT_EQ(type.versionInfo[1], 52);
    EXPECT_TRUE(engine.Contains("Couldn't find DLL"));
}

std::string LayoutText(int layout) { return "class layout " + std::to_string(layout); }

// A plug-in of another class layout is refused by every way in, with both layouts and its file
// named, and is not left loaded; stamped plug-ins and those without a stamp (exporting InitDLL
// and GetType by hand, as before the stamp) load.
TEST(PluginLayout, OtherLayoutIsRefusedNamingBothAndTheOthersLoad) {
    const std::string refusal = "Channel plug-in built for " + LayoutText(TARNWELL_CLASS_LAYOUT - 1) +
                                ", but this kernel has " + LayoutText(TARNWELL_CLASS_LAYOUT);
    TestEngine engine(WithPlugins({LAYOUT_OTHER_DLL, LAYOUT_STAMPED_DLL, LOADER_A_DLL}));
    ChannelList* list = engine.Ext()->GetChannelList();
    EXPECT_EQ(list->GetItem(kLayoutOtherGuid), nullptr) << "the scan leaves it out";

    engine.ClearMessages();
    EXPECT_EQ(engine.Ext()->GetDLLInstance(LAYOUT_OTHER_DLL), nullptr);
    const int at = MessageAt(engine, refusal);
    ASSERT_GE(at, 0);
    EXPECT_NE(engine.Messages()[at].text.find(LAYOUT_OTHER_DLL), std::string::npos);
    EXPECT_FALSE(IsModuleLoaded(engine.InstallDir() + "/channels/" LAYOUT_OTHER_DLL))
        << "a refused module is not kept loaded";
    engine.ClearMessages();
    EXPECT_TRUE(IsNullGuid(engine.Ext()->GetDLLType(LAYOUT_OTHER_DLL).typeGuid));
    EXPECT_EQ(engine.Count(refusal), 1);

    for (const _GUID& type : {kLayoutStampedGuid, kLoaderAGuid}) {
        std::unique_ptr<Tev_Channel> channel(engine.Engine()->InitChannelFromType(type, nullptr, false));
        ASSERT_NE(channel, nullptr);
        EXPECT_TRUE(channel->GetChannelType().typeGuid == type);
    }
    engine.ClearMessages();
}

// The standard plug-ins carry the stamp, so that a kernel of another layout refuses them too.
TEST(PluginLayout, StandardPlugInsAreStampedWithThisLayout) {
    int stamped = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TARNWELL_VANTOR_DIR "/channels")) {
        if (entry.path().extension() != ".dll") continue;
        SCOPED_TRACE(entry.path().string());
        std::string reason;
        HINSTANCE module = OpenModule(entry.path().string(), &reason);
        ASSERT_NE(module, nullptr) << reason;
        const void* stamp = ModuleSymbol(module, TARNWELL_LAYOUT_STAMP_NAME);
        ASSERT_NE(stamp, nullptr);
        EXPECT_EQ(*static_cast<const int*>(stamp), TARNWELL_CLASS_LAYOUT);
        CloseModule(module);
        ++stamped;
    }
    EXPECT_GT(stamped, 0);
}

// A plug-in linked against the kernel of another soname cannot be loaded at all; after the
// loader's text the user reads which layout it was built for and which this kernel has.
TEST(PluginLayout, PlugInNeedingAnotherKernelSaysWhichLayouts) {
    const std::string plain = "The plug-in needs libTarnwell.so.0.2, the kernel of " + LayoutText(2) +
                              ", but this kernel has " + LayoutText(TARNWELL_CLASS_LAYOUT);
    TestEngine engine(WithPlugins({LAYOUT_NEEDS02_DLL}));
    engine.ClearMessages();
    EXPECT_EQ(engine.Ext()->GetDLLInstance(LAYOUT_NEEDS02_DLL), nullptr);
    const int loader = MessageAt(engine, "libTarnwell.so.0.2: cannot open shared object file");
    ASSERT_GE(loader, 0);
    EXPECT_EQ(MessageAt(engine, plain), loader + 1);
    engine.ClearMessages();
    EXPECT_TRUE(IsNullGuid(engine.Ext()->GetDLLType(LAYOUT_NEEDS02_DLL).typeGuid));
    EXPECT_TRUE(engine.Contains(plain));
    engine.ClearMessages();
}

TEST(PluginChildren, MissingChildTypeStillMakesTheParent) {
    TestEngine engine(WithPlugins({TEST_AUTOCHILD_DLL, TEST_ROOT_DLL, TEST_DERIVED_DLL}));
    Tev_ChannelGroup* group = engine.Engine()->CreateNewGroup("LoaderChildren", false, -1);
    ASSERT_NE(group, nullptr);
    engine.ClearMessages();
    Tev_Channel* parent = engine.Engine()->InitChannelFromType(kTestAutoChildGuid, group, true);
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(engine.Count("Couldn't initialize child"), 1);
    ASSERT_NE(AsTestChannel(parent), nullptr);
    EXPECT_EQ(AsTestChannel(parent)->GetOneTimeInitializeCount(), 1);
    EXPECT_TRUE(group->GetIfChannelInGroup(parent));

    Tev_Channel* root = parent->GetChildFromLinkPosition(0, 0);
    Tev_Channel* derived = parent->GetChildFromLinkPosition(1, 0);
    ASSERT_NE(root, nullptr);
    ASSERT_NE(derived, nullptr);
    EXPECT_STREQ(root->GetChannelName(), "Auto Root");
    EXPECT_STREQ(derived->GetChannelName(), "Auto Derived");
    EXPECT_TRUE(derived->GetChannelType().typeGuid == kTestDerivedGuid);
    EXPECT_EQ(AsTestChannel(root)->GetOneTimeInitializeCount(), 1);
    EXPECT_TRUE(group->GetIfChannelInGroup(root));
    EXPECT_EQ(parent->GetChildFromLinkPosition(2, 0), nullptr);
}

TEST(PluginChildren, CycleOfTypesEndsInsteadOfExhaustingTheStack) {
    TestEngine engine(WithPlugins({LOADER_CYCLE_DLL}));
    Tev_ChannelGroup* group = engine.Engine()->CreateNewGroup("LoaderCycle", false, -1);
    ASSERT_NE(group, nullptr);
    engine.ClearMessages();
    Tev_Channel* channel = engine.Engine()->InitChannelFromType(kLoaderCycleGuid, group, true);
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(engine.Count("Couldn't initialize child"), 1);
    EXPECT_GT(group->GetChannelCount(), 1);
    EXPECT_LT(group->GetChannelCount(), 1000);
    EXPECT_NE(channel->GetChildFromLinkPosition(0, 0), nullptr);
}

TEST(PluginUniqueChannels, OneChannelPerTypeAndName) {
    TestEngine engine(WithPlugins({LOADER_A_DLL, LOADER_B_DLL}));
    EngineInterface* e = engine.Engine();
    const int before = engine.Ext()->GetUniqueChannelCount();
    Tev_Channel* same1 = e->GetUniqueChannel(kLoaderAGuid, "A");
    Tev_Channel* same2 = e->GetUniqueChannel(kLoaderAGuid, "a");
    ASSERT_NE(same1, nullptr);
    EXPECT_EQ(same1, same2);
    Tev_Channel* other = e->GetUniqueChannel(kLoaderAGuid, "B");
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, same1);
    EXPECT_EQ(engine.Ext()->GetUniqueChannelCount(), before + 2);
    EXPECT_EQ(e->GetUniqueChannel(kLoaderAGuid, nullptr), same1) << "no name takes the first of the type";

    ChannelType typeB;
    typeB.typeGuid = kLoaderBGuid;
    Tev_Channel* b = e->GetUniqueChannel(typeB, "A");
    ASSERT_NE(b, nullptr);
    EXPECT_NE(b, same1);

    const std::string longName = std::string(11, 'x') + std::string(59, 'y');
    Tev_Channel* cut = e->GetUniqueChannel(kLoaderBGuid, longName.c_str());
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(std::string(cut->GetChannelName()), std::string(59, 'y'));
    EXPECT_EQ(e->GetUniqueChannel(kLoaderBGuid, std::string(59, 'y').c_str()), cut);

    engine.ClearMessages();
    EXPECT_EQ(e->GetUniqueChannel(TEV_NULL_GUID, "A"), nullptr);
    EXPECT_TRUE(engine.Contains("GUID of channel not found!\nCould not add unique channel!"));
}

// A plug-in that runs out of memory fails the one operation it was part of, with a message
// that says why; the exception never reaches the host, and the next frame runs again.
TEST(PluginExceptions, AThrowingPlugInFailsItsOperationAndTheHostGoesOn) {
    TestEngine engine(WithPlugins({LOADER_THROW_DLL}));
    EngineInterface* e = engine.Engine();
    TempDir dir;
    const std::string path = dir.Path() + "/throw.cgr";
    Tev_ChannelGroup* group = e->CreateNewGroup("Start", false, -1);
    ASSERT_NE(group, nullptr);
    group->SetStartChannel(group->AddChannel(e->InitChannelFromType(kLoaderThrowGuid, nullptr, false)));
    ASSERT_TRUE(group->SaveChannelGroup(path.c_str()));

    const int frames = e->GetTreeCalculateCount();
    struct Stage {
        const char* stage;
        const char* message;
        std::function<void()> run;
    };
    const Stage stages[] = {
        {"init", "InitDLL() of this dll failed with an exception",
         [&] { EXPECT_EQ(e->InitChannelFromType(kLoaderThrowGuid, nullptr, false), nullptr); }},
        {"load", "Loading stopped: out of memory",
         [&] { EXPECT_EQ(e->LoadChannelGroup(path.c_str(), "Thrown"), nullptr); }},
        // The second frame runs too: the re-entry guard was left as it was.
        {"frame", "Frame stopped: out of memory", [&] {
             engine.Control()->EngineLoop();
             engine.Control()->EngineLoop();
             EXPECT_EQ(e->GetTreeCalculateCount(), frames + 2);
         }},
    };
    for (const Stage& s : stages) {
        SCOPED_TRACE(s.stage);
        SetEnvironment(LOADER_THROW_ENV, s.stage);
        engine.ClearMessages();
        s.run();
        EXPECT_TRUE(engine.Contains(s.message));
    }
    SetEnvironment(LOADER_THROW_ENV, nullptr);
    EXPECT_EQ(e->GetPoolGroup("Thrown", 0), nullptr);
}
