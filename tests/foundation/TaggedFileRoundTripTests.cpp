// Writing tagged files with the writer and reading them back with the reader.
#include <cstdint>
#include <cstring>

#include "TaggedFileFixture.h"

using namespace taggedfile;
using TaggedFile = EngineTest;

namespace {

struct Version {
    int32_t numbers[3];
};

// The shape of a project file: several blocks under one tag, tags alone, text and numbers.
void WriteProjectLikeFile(TevFileSaver& saver, const std::string& path) {
    ASSERT_TRUE(saver.OpenSaveFile(path.c_str(), false));
    int32_t editorVersion = 7;
    EXPECT_TRUE(saver.SaveTag("QSPT"));
    EXPECT_TRUE(saver.SaveBlockSize(4));
    EXPECT_TRUE(saver.SaveDataToFile(&editorVersion, 4));
    EXPECT_TRUE(saver.SaveTag("QFKR"));
    EXPECT_TRUE(saver.SaveTag("QNDB"));
    unsigned char guid[16];
    for (int i = 0; i < 16; ++i) guid[i] = static_cast<unsigned char>(0xF0 + i);
    Version version = {{1, 52, 3}};
    uint32_t checksum = 0xDEADBEEF;
    EXPECT_TRUE(saver.SaveBlockSize(16));
    EXPECT_TRUE(saver.SaveDataToFile(guid, 16));
    EXPECT_TRUE(saver.SaveBlockSize(12));
    EXPECT_TRUE(saver.SaveDataToFile(&version, 12));
    EXPECT_TRUE(saver.SaveBlockSize(4));
    EXPECT_TRUE(saver.SaveDataToFile(&checksum, 4));
    EXPECT_TRUE(saver.SaveTag("CHEN"));
    EXPECT_TRUE(saver.SaveTag("CINA"));
    EXPECT_TRUE(saver.SaveBlockSize(6));
    EXPECT_TRUE(saver.SaveDataToFile("group", 6));
    EXPECT_TRUE(saver.SaveTag("CHEN"));
    EXPECT_TRUE(saver.CloseSaveFile());
}

}  // namespace

TEST_F(TaggedFile, RoundTripDeliversBlocksTagsAndTagOnlyEntries) {
    TempDir dir;
    std::string path = dir.File("project.vtr");
    auto saver = NewSaver();
    WriteProjectLikeFile(*saver, path);
    EXPECT_STREQ(saver->GetSaveingFileName(), path.c_str());

    auto loader = NewLoader();
    ASSERT_TRUE(loader->LoadFile(path.c_str()));
    int32_t editorVersion = 0;
    ASSERT_TRUE(loader->GetInfoIfTag("QSPT"));
    EXPECT_EQ(loader->GetSizeDataBlock(false), 4u);
    ASSERT_TRUE(loader->CopyTagDataToPointer(&editorVersion));
    EXPECT_EQ(editorVersion, 7);
    EXPECT_FALSE(loader->GetInfoIfTag("QSGR")) << "absent optional tag";
    EXPECT_TRUE(loader->GetInfoIfTag("QFKR"));
    EXPECT_EQ(loader->GetSizeDataBlock(false), 0u) << "a tag alone carries no block";

    // Three copies in a row after one tag deliver its three blocks.
    ASSERT_TRUE(loader->GetInfoIfTag("QNDB"));
    unsigned char guid[16] = {};
    Version version = {};
    uint32_t checksum = 0;
    ASSERT_TRUE(loader->CopyTagDataToPointer(guid));
    ASSERT_TRUE(loader->CopyTagDataToPointer(&version));
    ASSERT_TRUE(loader->CopyTagDataToPointer(&checksum));
    EXPECT_EQ(guid[0], 0xF0);
    EXPECT_EQ(guid[15], 0xFF);
    EXPECT_EQ(version.numbers[1], 52);
    EXPECT_EQ(version.numbers[2], 3);
    EXPECT_EQ(checksum, 0xDEADBEEFu);
    EXPECT_FALSE(loader->CopyTagDataToPointer(&checksum)) << "no fourth block";

    EXPECT_TRUE(loader->GetInfoIfTag("CHEN"));
    ASSERT_TRUE(loader->GetInfoIfTag("CINA"));
    char name[16] = {};
    ASSERT_EQ(loader->GetSizeDataBlock(false), 6u);
    ASSERT_TRUE(loader->CopyTagDataToPointer(name));
    EXPECT_STREQ(name, "group");
    EXPECT_FALSE(loader->GetIfEndOfFile());
    EXPECT_TRUE(loader->GetInfoIfTag("CHEN"));
    EXPECT_TRUE(loader->GetIfEndOfFile());
}

TEST_F(TaggedFile, TagTestsConsumeOnlyOnAMatch) {
    std::string bytes = "TEVG" + std::string("CHCO") + Block(Word(3)) + "CHSC" + Block(Word(1));
    auto loader = NewLoader();
    ASSERT_TRUE(loader->SetBuffer(bytes.data(), bytes.size(), true));

    EXPECT_TRUE(loader->CheckHeader("TEVG", false));
    EXPECT_TRUE(loader->CheckHeader("TEVG", false)) << "a test without consuming can be repeated";
    EXPECT_FALSE(loader->GetInfoIfTag("CHCO")) << "TEVG is still next";
    EXPECT_TRUE(loader->CheckHeader("TEVG", true));
    EXPECT_FALSE(loader->CheckHeader("TEVG", true));

    ASSERT_TRUE(loader->GetInfoIfTag("CHCO"));
    EXPECT_FALSE(loader->GetInfoIfTag("CGIC")) << "a failed test...";
    uint32_t count = 0;
    ASSERT_TRUE(loader->CopyTagDataToPointer(&count)) << "...leaves the current block in place";
    EXPECT_EQ(count, 3u);

    char tag[5] = {};
    ASSERT_TRUE(loader->GetTagData(tag));
    EXPECT_STREQ(tag, "CHSC");
    EXPECT_TRUE(loader->GetInfoIfTag("CHSC")) << "peeking consumed nothing";
}

TEST_F(TaggedFile, UnreadBlocksAreSkippedToTheNextTag) {
    // A block that was tested but not copied (a start group name of 400 bytes or more).
    std::string longName(450, 'n');
    std::string bytes = "QSGR" + Block(longName) + "QHPV" + Block(Word(100005)) + "ENVR" + Block("x") +
                        Block("yy") + "CHCO" + Block(Word(2));
    auto loader = NewLoader();
    ASSERT_TRUE(loader->SetBuffer(bytes.data(), bytes.size(), false));

    ASSERT_TRUE(loader->GetInfoIfTag("QSGR"));
    EXPECT_EQ(loader->GetSizeDataBlock(false), 450u);
    ASSERT_TRUE(loader->GetInfoIfTag("QHPV"));
    uint32_t version = 0;
    ASSERT_TRUE(loader->CopyTagDataToPointer(&version));
    EXPECT_EQ(version, 100005u);
    ASSERT_TRUE(loader->GetInfoIfTag("ENVR"));
    ASSERT_TRUE(loader->GetInfoIfTag("CHCO")) << "both ENVR blocks are passed over";
    EXPECT_EQ(loader->GetSizeDataBlock(false), 4u);
    EXPECT_TRUE(loader->SkipCurrentTag());
    EXPECT_TRUE(loader->GetIfEndOfFile());
}

TEST_F(TaggedFile, GotoTagSkipsEntriesButNeverMatchesInsideData) {
    // Data bytes that spell the wanted tag must not be taken for it.
    std::string bytes = "TEVG" + std::string("CHNA") + Block("CHIXCHIX") + "CHUP" + Block("\x01") + "CHEN" +
                        "CHIX" + Block(Word(5)) + "CHIX" + Block(Word(6));
    auto loader = NewLoader();
    ASSERT_TRUE(loader->SetBuffer(bytes.data(), bytes.size(), true));

    ASSERT_TRUE(loader->GotoTag("CHIX", 0));
    uint32_t index = 0;
    ASSERT_TRUE(loader->CopyTagDataToPointer(&index));
    EXPECT_EQ(index, 5u);
    ASSERT_TRUE(loader->GotoTag("CHIX", 0));
    ASSERT_TRUE(loader->CopyTagDataToPointer(&index));
    EXPECT_EQ(index, 6u);
    EXPECT_FALSE(loader->GotoTag("CHIX", 0)) << "no further CHIX";
    EXPECT_FALSE(loader->GotoTag("TEVG", 0)) << "only forward";

    EXPECT_TRUE(loader->GotoTag("TEVG", 1)) << "a non-zero mode searches from the start";
    EXPECT_TRUE(loader->GetInfoIfTag("CHNA"));
    EXPECT_FALSE(loader->GotoTag("ZZZZ", 0));
    char name[9] = {};
    EXPECT_TRUE(loader->CopyTagDataToPointer(name)) << "a failed search leaves the position";
    EXPECT_EQ(std::string(name, 8), "CHIXCHIX");
}

TEST_F(TaggedFile, EnteredBlockIsWalkedWithBufferPositions) {
    // Parameter records: one block walked record by record, as the group reader does.
    std::string records;
    for (int i = 0; i < 3; ++i) records += std::string(56, static_cast<char>('a' + i));
    std::string bytes = "CGII" + Block(records) + "CINA" + Block("pool");
    auto loader = NewLoader();
    ASSERT_TRUE(loader->SetBuffer(bytes.data(), bytes.size(), true));

    ASSERT_TRUE(loader->GetInfoIfTag("CGII"));
    ASSERT_EQ(loader->GetSizeDataBlock(true), 3u * 56);
    EXPECT_EQ(loader->GetSizeDataBlock(false), 3u * 56) << "entering keeps the block current";
    for (int i = 0; i < 3; ++i) {
        ASSERT_GE(loader->GetBufferSize(), 56u);
        EXPECT_EQ(loader->GetBuffer()[0], 'a' + i);
        EXPECT_EQ(loader->GetBuffer()[55], 'a' + i);
        ASSERT_TRUE(loader->AddBufferPos(56));
    }
    EXPECT_TRUE(loader->GetInfoIfTag("CINA"));

    // Walking part of a block still lets the next tag be found after the whole block.
    ASSERT_TRUE(loader->GotoTag("CGII", 1));
    ASSERT_GT(loader->GetSizeDataBlock(true), 0u);
    ASSERT_TRUE(loader->AddBufferPos(60));
    EXPECT_TRUE(loader->GetInfoIfTag("CINA"));

    EXPECT_FALSE(loader->AddBufferPos(1000)) << "beyond the end";
    EXPECT_FALSE(loader->AddBufferPos(-1000)) << "before the start";
}

TEST_F(TaggedFile, BufferHandedOutAndBackResumesReading) {
    // A translator receives the buffer from the read position on and gives it back.
    std::string bytes = "KORF" + Block(std::string(16, 'g')) + "QSPT" + Block(Word(9));
    auto loader = NewLoader();
    ASSERT_TRUE(loader->SetBuffer(bytes.data(), bytes.size(), true));
    ASSERT_TRUE(loader->CheckHeader("KORF", true));
    char guid[16];
    ASSERT_TRUE(loader->CopyTagDataToPointer(guid));

    EXPECT_EQ(loader->GetBufferSize(), 12u);
    ASSERT_TRUE(loader->SetBuffer(loader->GetBuffer(), loader->GetBufferSize(), true));
    EXPECT_EQ(loader->GetBufferSize(), 12u);
    uint32_t version = 0;
    ASSERT_TRUE(loader->GetInfoIfTag("QSPT"));
    ASSERT_TRUE(loader->CopyTagDataToPointer(&version));
    EXPECT_EQ(version, 9u);
}

TEST_F(TaggedFile, SetBufferCopiesOrReadsInPlace) {
    std::string bytes = "QSPT" + Block(Word(1));
    auto copied = NewLoader();
    auto inPlace = NewLoader();
    ASSERT_TRUE(copied->SetBuffer(bytes.data(), bytes.size(), true));
    ASSERT_TRUE(inPlace->SetBuffer(bytes.data(), bytes.size(), false));
    bytes[8] = 2;  // the caller changes its memory afterwards
    uint32_t a = 0, b = 0;
    ASSERT_TRUE(copied->GetInfoIfTag("QSPT") && copied->CopyTagDataToPointer(&a));
    ASSERT_TRUE(inPlace->GetInfoIfTag("QSPT") && inPlace->CopyTagDataToPointer(&b));
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 2u);
    EXPECT_EQ(copied->GetAttributes(), 0u) << "memory is never read-only";
    EXPECT_FALSE(copied->SetBuffer(nullptr, 4, true));
}

TEST_F(TaggedFile, MemoryWriterFeedsTheReader) {
    auto saver = NewSaver();
    ASSERT_TRUE(saver->OpenMemory());
    EXPECT_TRUE(saver->SaveTag("TEVG"));
    EXPECT_TRUE(saver->SaveTag("CHCO"));
    EXPECT_TRUE(saver->SaveBlockSize(4));
    int32_t count = 11;
    EXPECT_TRUE(saver->SaveDataToFile(&count, 4));
    ASSERT_TRUE(saver->CloseSaveFile()) << "closing a memory save keeps the bytes";
    ASSERT_EQ(saver->GetBufferSize(), 16u);
    EXPECT_FALSE(saver->SaveTag("LATE")) << "nothing is written after closing";

    auto loader = NewLoader();
    ASSERT_TRUE(loader->SetBuffer(saver->GetBuffer(), saver->GetBufferSize(), false));
    int32_t read = 0;
    EXPECT_TRUE(loader->GetInfoIfTag("TEVG"));
    ASSERT_TRUE(loader->GetInfoIfTag("CHCO"));
    ASSERT_TRUE(loader->CopyTagDataToPointer(&read));
    EXPECT_EQ(read, 11);
}

TEST_F(TaggedFile, ChecksumIsCrc32OfTheWholeFile) {
    TempDir dir;
    std::string path = dir.File("check.bin");
    WriteAll(path, "123456789");
    auto loader = NewLoader();
    ASSERT_TRUE(loader->LoadFile(path.c_str()));
    EXPECT_EQ(loader->GetCRC(), 0xCBF43926u) << "the common CRC-32 check value";
    loader->AddBufferPos(3);
    EXPECT_EQ(loader->GetCRC(), 0xCBF43926u) << "independent of the read position";

    WriteAll(path, "123456780");
    ASSERT_TRUE(loader->LoadFile(path.c_str()));
    EXPECT_NE(loader->GetCRC(), 0xCBF43926u);
}

TEST_F(TaggedFile, ThreadedLoadDeliversTheSameContent) {
    TempDir dir;
    std::string path = dir.File("big.cgr");
    std::string payload(300000, 'p');
    WriteAll(path, "TEVG" + std::string("DATA") + Block(payload));
    auto loader = NewLoader();
    loader->RunThreaded(true);
    loader->SetBlockSize(4096);
    ASSERT_TRUE(loader->LoadFile(path.c_str()));
    EXPECT_TRUE(loader->GetInfoIfTag("TEVG"));
    ASSERT_TRUE(loader->GetInfoIfTag("DATA"));
    EXPECT_EQ(loader->GetSizeDataBlock(false), payload.size());

    ASSERT_TRUE(loader->LoadFile(path.c_str()));
    loader->StopLoading();
    EXPECT_TRUE(loader->GetBufferSize() == 0 || loader->GetBufferSize() == payload.size() + 12)
        << "a stopped load leaves nothing or everything, never a part";
}
