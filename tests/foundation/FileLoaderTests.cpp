// Facades without a channel, the address operations of the reader, and what it opens.
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "ChannelType.h"

#include "DebugMessages.h"
#include "TaggedFileFixture.h"

using namespace taggedfile;
using FileLoader = EngineTest;

namespace {

// Records what reaches the message sink while it is installed.
class CapturingSink : public DebugOutPut {
public:
    CapturingSink() : previous(debugOutPut) { debugOutPut = this; }
    ~CapturingSink() override { debugOutPut = previous; }
    void ShowDebugMessage(DebugMessage* message) override { texts.push_back(message->GetDebugMessage()); }
    std::vector<std::string> texts;

private:
    DebugOutPut* previous;
};

}  // namespace

TEST(FileLoaderFacade, WithoutAChannelEverythingAnswersNeutrally) {
    CapturingSink sink;
    EngineInterface* savedEngine = globalEngine;
    globalEngine = nullptr;
    TevFileLoader byDefault;
    TevFileSaver saverByDefault;
    globalEngine = savedEngine;
    TevFileLoader loader(nullptr);
    TevFileSaver saver(nullptr);
    EXPECT_EQ(sink.texts,
              (std::vector<std::string>{"File loader class not found", "File loader class not found",
                                        "TevFileLoader::TevFileLoader: File loader class not found",
                                        "TevFileSaver::TevFileSaver: File loader class not found"}));

    char data[] = "TEVG";
    EXPECT_EQ(loader.GetFileLoaderChannel(), nullptr);
    EXPECT_FALSE(loader.SetBuffer(data, 4, true));
    EXPECT_FALSE(loader.GetInfoIfTag("TEVG"));
    EXPECT_EQ(loader.GetBuffer(), nullptr);
    loader.StopLoading();
    EXPECT_FALSE(saver.OpenSaveFile("x", false));
    EXPECT_EQ(saver.GetSaveingFileName(), nullptr);
    EXPECT_EQ(saver.GetBuffer(), nullptr);
}

TEST_F(FileLoader, LocalAndFileAddressesLoadOthersAreRefused) {
    TempDir dir;
    std::string path = dir.File("my file.vtr");
    WriteAll(path, "QSPT" + Block(Word(3)));
    auto loader = NewLoader();

    EXPECT_TRUE(loader->SetURL(path.c_str()));
    EXPECT_TRUE(loader->CheckHeader("QSPT", false));
    std::string spaced = dir.Path() + "/my%20file.vtr";
    // A drive path ("C:/...") follows the address's root: file:///C:/..., or file://C:/... as
    // Windows users spell it.
    const std::string rooted = (spaced[0] == '/' ? "" : "/") + spaced;
    EXPECT_TRUE(loader->SetURL(("file://" + spaced).c_str()));
    EXPECT_TRUE(loader->SetURL(("file://" + rooted).c_str()));
    EXPECT_TRUE(loader->SetURL(("file://localhost" + rooted).c_str()));
    EXPECT_TRUE(loader->CheckULRCache(("file:" + spaced).c_str()));
    ASSERT_NE(loader->GetChacheFileNameFromURL(("file://" + spaced).c_str()), nullptr);
    EXPECT_EQ(std::string(loader->GetChacheFileNameFromURL(("file://" + spaced).c_str())), path);
    EXPECT_TRUE(loader->SaveURLToCache(path.c_str()));

    EXPECT_FALSE(loader->CheckULRCache(dir.File("absent").c_str()));
    EXPECT_FALSE(loader->SetURL("http://example.invalid/a.vtr"));
    EXPECT_TRUE(engine.Contains("http://example.invalid/a.vtr")) << "a refusal says which address";
    EXPECT_FALSE(loader->SetURL("file://otherhost/a.vtr"));
    EXPECT_FALSE(loader->CheckULRCache("ftp://example.invalid/a"));
    EXPECT_EQ(loader->GetChacheFileNameFromURL("https://example.invalid/a"), nullptr);
    EXPECT_FALSE(loader->SaveURLToCache("https://example.invalid/a"));
}

TEST_F(FileLoader, EngineMakesBothChannelsFromTheirTypes) {
    TevFileLoader loader(engine.Engine());
    TevFileSaver saver(engine.Engine());
    EXPECT_NE(loader.GetFileLoaderChannel(), nullptr);
    EXPECT_NE(saver.GetFileSaverChannel(), nullptr);
    EXPECT_FALSE(engine.Contains("File loader class not found"));
}

TEST(FileLoaderPlugins, EachModuleReportsItsOwnType) {
    struct Expected {
        const char* file;
        _GUID type;
    };
    for (const Expected& module :
         {Expected{"fileloader.dll", TEV_FILELOADER_TYPE}, Expected{"filesaver.dll", TEV_FILESAVER_TYPE}}) {
        auto getType = reinterpret_cast<TevGetTypeFunction>(PluginSymbol(module.file, "GetType"));
        ASSERT_NE(getType, nullptr) << module.file;
        ChannelType type;
        std::memcpy(&type, getType(), sizeof(type));
        EXPECT_TRUE(type.typeGuid == module.type) << module.file;
        EXPECT_TRUE(type.baseGuid == module.type) << module.file;
        EXPECT_EQ(type.versionInfo[0], 1);
        EXPECT_EQ(type.versionInfo[1], 52);
        EXPECT_EQ(type.versionInfo[2], 1);
        EXPECT_NE(type.typeName[0], '\0');
    }
}

// A host may delete its facades after the engine that made them: their modules stay loaded
// until the facades' channels are gone. Run in a child, so a crash fails only this test.
TEST(FileFacades, OutliveTheEngineThatMadeThem) {
    EXPECT_EXIT(
        {
            tarnwell_test::TestEngine engine;
            TevFileLoader* loader = new TevFileLoader(engine.Engine());
            TevFileSaver* saver = new TevFileSaver(engine.Engine());
            if (!loader->GetFileLoaderChannel() || !saver->GetFileSaverChannel()) std::_Exit(2);
            engine.Stop();
            delete loader;
            delete saver;
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
