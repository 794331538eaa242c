// Damaged and lying input: the reader answers false or 0 and never reads outside the content.
// The content is handed over in place from exactly sized heap buffers, so the address
// sanitizer build catches any read past the end.
#include <cstdint>
#include <random>

#include "TaggedFileFixture.h"

using namespace taggedfile;
using TaggedFileDamage = EngineTest;

namespace {

std::string ValidGroupLikeStream() {
    return "TEVG" + std::string("CHCO") + Block(Word(1)) + "CHIX" + Block(Word(0)) + "CHID" +
           Block(std::string(16, 'i')) + "CHEN" + "CHNA" + Block("name") + "CGII" +
           Block(std::string(56, 'r')) + "CGGG" + Block(std::string(16, 'g'));
}

// Every reading operation once, the way the group and project readers use them.
void ExerciseAll(TevFileLoader& loader) {
    char scratch[64];
    char tag[5];
    loader.GetTagData(tag);
    loader.CheckHeader("TEVG", false);
    loader.GetInfoIfTag("TEVG");
    loader.GotoTag("CHIX", 0);
    unsigned long size = loader.GetSizeDataBlock(false);
    if (size <= sizeof(scratch)) loader.CopyTagDataToPointer(scratch);
    loader.CopyTagDataToBuffer(scratch, sizeof(scratch));
    loader.GetInfoIfTag("CHID");
    loader.SkipCurrentTag();
    if (loader.GetInfoIfTag("CGII") && loader.GetSizeDataBlock(true) >= 56 && loader.GetBufferSize() >= 56) {
        volatile char last = loader.GetBuffer()[55];
        (void)last;
        loader.AddBufferPos(56);
    }
    loader.GotoTag("CGGG", 1);
    loader.CopyTagDataToBuffer(scratch, sizeof(scratch));
    loader.GetIfEndOfFile();
    loader.GetCRC();
}

}  // namespace

TEST_F(TaggedFileDamage, TruncatedStreamsAnswerFalseWithoutOverreading) {
    std::string full = ValidGroupLikeStream();
    auto loader = NewLoader();
    for (size_t length = 0; length < full.size(); ++length) {
        std::unique_ptr<char[]> exact(new char[length ? length : 1]);
        std::memcpy(exact.get(), full.data(), length);
        ASSERT_TRUE(loader->SetBuffer(exact.get(), length, false));
        ExerciseAll(*loader);

        // The last entry is cut: its block can never be delivered whole.
        ASSERT_TRUE(loader->SetBuffer(exact.get(), length, false));
        char guid[16];
        bool reachedLast = loader->GotoTag("CGGG", 0);
        EXPECT_FALSE(reachedLast && loader->CopyTagDataToPointer(guid)) << "length " << length;
    }
}

TEST_F(TaggedFileDamage, SizeBeyondTheEndIsRefusedEverywhere) {
    std::string bytes = "QSPT" + Word(1000) + "abc";
    std::unique_ptr<char[]> exact(new char[bytes.size()]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    auto loader = NewLoader();
    ASSERT_TRUE(loader->SetBuffer(exact.get(), bytes.size(), false));

    ASSERT_TRUE(loader->GetInfoIfTag("QSPT"));
    EXPECT_EQ(loader->GetSizeDataBlock(false), 0u);
    EXPECT_EQ(loader->GetSizeDataBlock(true), 0u);
    char big[2000];
    EXPECT_FALSE(loader->CopyTagDataToPointer(big));
    EXPECT_FALSE(loader->SkipCurrentTag());
    EXPECT_FALSE(loader->GetInfoIfTag("QSGR"));
    EXPECT_FALSE(loader->GotoTag("QSGR", 0));
    EXPECT_TRUE(loader->GetIfEndOfFile()) << "nothing further can be read";
    EXPECT_EQ(loader->GetBufferSize(), 7u) << "the position stayed after the tag";
}

TEST_F(TaggedFileDamage, OversizedBlockIsNotCopiedIntoASmallBuffer) {
    std::string bytes = "CHIC" + Block(std::string(100, 'x')) + "CHNA" + Block("n");
    auto loader = NewLoader();
    ASSERT_TRUE(loader->SetBuffer(bytes.data(), bytes.size(), true));
    ASSERT_TRUE(loader->GetInfoIfTag("CHIC"));
    bool flag = false;
    EXPECT_FALSE(loader->CopyTagDataToBuffer(&flag, sizeof(flag)));
    char enough[100];
    EXPECT_TRUE(loader->CopyTagDataToBuffer(enough, sizeof(enough))) << "the refused block stayed current";
    EXPECT_TRUE(loader->GetInfoIfTag("CHNA"));
}

TEST_F(TaggedFileDamage, EmptyMissingAndDirectoryFiles) {
    TempDir dir;
    std::string empty = dir.File("empty.cgr");
    WriteAll(empty, "");
    auto loader = NewLoader();
    ASSERT_TRUE(loader->LoadFile(empty.c_str())) << "an empty file is read, with nothing in it";
    EXPECT_FALSE(loader->CheckHeader("TEVG", false));
    EXPECT_FALSE(loader->GotoTag("CHIX", 1));
    EXPECT_EQ(loader->GetSizeDataBlock(true), 0u);
    EXPECT_EQ(loader->GetBufferSize(), 0u);
    EXPECT_EQ(loader->GetCRC(), 0u);
    EXPECT_TRUE(loader->GetIfEndOfFile());

    EXPECT_FALSE(loader->LoadFile(dir.File("missing.cgr").c_str()));
    EXPECT_FALSE(loader->LoadFile(dir.Path().c_str()));
    EXPECT_FALSE(loader->LoadFile(nullptr));
    EXPECT_EQ(loader->GetBufferSize(), 0u) << "a failed load leaves no stale content";
    EXPECT_EQ(loader->GetAttributes(), 0u);
}

TEST_F(TaggedFileDamage, GarbageNeverCrashesTheReader) {
    std::mt19937 random(20240611);
    auto loader = NewLoader();
    for (int round = 0; round < 300; ++round) {
        size_t length = random() % 64;
        std::unique_ptr<char[]> exact(new char[length ? length : 1]);
        for (size_t i = 0; i < length; ++i) {
            // Mostly tag letters and small bytes, so that tags and sizes do turn up.
            unsigned pick = random() % 4;
            exact[i] = static_cast<char>(pick == 0   ? random() % 256
                                         : pick == 1 ? random() % 8
                                                     : 'A' + random() % 4);
        }
        ASSERT_TRUE(loader->SetBuffer(exact.get(), length, false));
        ExerciseAll(*loader);
    }
}

TEST_F(TaggedFileDamage, WriterRefusesWhatTheReaderCouldNotTellApart) {
    auto saver = NewSaver();
    ASSERT_TRUE(saver->OpenMemory());
    EXPECT_FALSE(saver->SaveTag("AB")) << "too short";
    EXPECT_FALSE(saver->SaveTag("AB\x01\x02")) << "not printable";
    EXPECT_FALSE(saver->SaveTag(nullptr));
    EXPECT_FALSE(saver->SaveBlockSize(0x20000000ul)) << "would read as a tag";
    EXPECT_TRUE(saver->SaveBlockSize(0x1FFFFFFFul));
    EXPECT_FALSE(saver->SaveDataToFile(nullptr, 3));
    EXPECT_TRUE(saver->CloseMemory());
    EXPECT_EQ(saver->GetBufferSize(), 4u) << "only the accepted size was written";
}
