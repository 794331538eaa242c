// TranslateFile: "KORF" blocks name translator channels that rewrite a file
// before it is read.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FileLoaderChannels.h"
#include "TevFileLoader.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/kinds/KindChannels.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/GroupFileSupport.h"
#include "support/TestEngine.h"

using tarnwell_test::TestEngine;

namespace {

void PutTag(std::vector<char>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

void PutBlock(std::vector<char>& out, const void* data, uint32_t size) {
    for (int i = 0; i < 4; i++) out.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
    const char* bytes = static_cast<const char*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

// A translator entry whose GUID block has translatorSize bytes (16 when sound),
// followed by a project header.
std::vector<char> TranslatedFile(uint32_t translatorSize) {
    std::vector<char> file;
    std::vector<char> guid(translatorSize, 0x42);  // no such channel type
    PutTag(file, "KORF");
    PutBlock(file, guid.data(), translatorSize);
    const int32_t version = 7;
    PutTag(file, "QSPT");
    PutBlock(file, &version, sizeof(version));
    return file;
}

}  // namespace

TEST(EngineTranslate, UnknownTranslatorStopsAfterItsEntry) {
    TestEngine engine;
    ASSERT_TRUE(engine.Started());
    EngineInterfaceExt* ext = engine.Ext();
    ext->TranslateFile(static_cast<TevFileLoader*>(nullptr));
    ext->TranslateFile(static_cast<Pex_FileLoaderChannel*>(nullptr));

    std::vector<char> file = TranslatedFile(16);
    TevFileLoader loader(engine.Engine());
    ASSERT_NE(loader.GetFileLoaderChannel(), nullptr) << "fileloader.dll missing";
    ASSERT_TRUE(loader.SetBuffer(file.data(), file.size(), true));
    ext->TranslateFile(&loader);
    EXPECT_TRUE(loader.CheckHeader("QSPT", false));

    // Over a reader channel nothing is written back when a translator is missing.
    TevFileLoader holder(engine.Engine());
    Pex_FileLoaderChannel* channel = holder.GetFileLoaderChannel();
    ASSERT_TRUE(channel->SetBuffer(file.data(), file.size(), true));
    ext->TranslateFile(channel);
    EXPECT_TRUE(channel->CheckHeader("KORF", false));
    EXPECT_EQ(channel->GetBufferSize(), file.size());
}

TEST(EngineTranslate, OversizedTranslatorBlockIsNotCopied) {
    TestEngine engine;
    ASSERT_TRUE(engine.Started());
    std::vector<char> file = TranslatedFile(64);  // would overrun a GUID
    TevFileLoader loader(engine.Engine());
    ASSERT_NE(loader.GetFileLoaderChannel(), nullptr) << "fileloader.dll missing";
    ASSERT_TRUE(loader.SetBuffer(file.data(), file.size(), true));
    engine.Ext()->TranslateFile(&loader);
    EXPECT_EQ(loader.GetSizeDataBlock(false), 64u);  // left where it stood
}

TEST(EngineTranslate, FileWithoutTranslatorsIsHandedBackWhole) {
    TestEngine engine;
    ASSERT_TRUE(engine.Started());
    std::vector<char> file;
    const int32_t version = 9;
    PutTag(file, "QSPT");
    PutBlock(file, &version, sizeof(version));
    TevFileLoader holder(engine.Engine());
    Pex_FileLoaderChannel* channel = holder.GetFileLoaderChannel();
    ASSERT_NE(channel, nullptr) << "fileloader.dll missing";
    ASSERT_TRUE(channel->SetBuffer(file.data(), file.size(), true));
    engine.Ext()->TranslateFile(channel);
    ASSERT_EQ(channel->GetBufferSize(), file.size());
    EXPECT_EQ(std::memcmp(channel->GetBuffer(), file.data(), file.size()), 0);
    ASSERT_TRUE(channel->CheckHeader("QSPT", true));
    int32_t read = 0;
    ASSERT_TRUE(channel->CopyTagDataToBuffer(&read, sizeof(read)));
    EXPECT_EQ(read, 9);
}

// A "KORF" block may name any installed channel: only a translator (one of a plug-in built
// with hidden symbols here) is called as one. Another channel fails the load with a message
// instead of having whatever sits in the translator's slot called.
TEST(EngineTranslate, OnlyTranslatorChannelsTranslateAGroupFile) {
    tarnwell_test::TestEngineOptions options;
    options.pluginPaths = {TARNWELL_TEST_CHANNELS_DIR, TEST_KIND_CHANNELS_DIR};
    TestEngine engine(options);
    ASSERT_TRUE(engine.Started());
    const char* const kNotATranslator = "EngineInterfaceExt::TranslateFile: Channel is not a translator:";
    struct Case {
        _GUID layer;
        unsigned char code;  // what the group after the layer is coded with
        bool loads;
    };
    const Case cases[] = {
        {kTestTranslatorGuid, kTestTranslatorCode, true},
        {kTestRootGuid, 0, false},
        {kTestCounterGuid, kTestTranslatorCode, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.layer.Data1);
        engine.ClearMessages();
        std::vector<char> group =
            FileBuilder(engine.Engine()).Tag("TEVG").Int("CHCO", 1).Entry(0, kTestRootGuid, "inner").Bytes();
        std::vector<char> file;
        PutTag(file, "KORF");
        PutBlock(file, &test.layer, sizeof(test.layer));
        for (char byte : group) file.push_back(static_cast<char>(byte ^ test.code));
        const std::string path = engine.InstallDir() + "/layered.cgr";
        std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));

        Tev_ChannelGroup* loaded = engine.Engine()->LoadChannelGroup(path.c_str(), "Layered");
        EXPECT_EQ(loaded != nullptr, test.loads);
        EXPECT_EQ(engine.Contains(kNotATranslator), !test.loads);
        if (loaded) {
            ASSERT_NE(loaded->GetChannel(0), nullptr);
            EXPECT_STREQ(loaded->GetChannel(0)->GetChannelName(), "inner");
            engine.Engine()->DeleteChannelGroup(loaded->GetGroupIndex());
        }
    }
}
