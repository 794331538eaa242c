// The block helpers plug-ins use for their own blocks (ChannelBlocks.h): what each read answers
// for a block that is there, missing or of another size, and that only a read block is consumed.
#include <gtest/gtest.h>

#include <string>

#include "ChannelBlocks.h"
#include "support/TestEngine.h"

namespace {

// Blocks as a plug-in writes them: an int32 (unless an older version wrote the file) and three floats.
std::string WriteBlocks(EngineInterface* engine, bool withInt) {
    TevFileSaver saver(engine);
    EXPECT_TRUE(saver.OpenMemory());
    const float values[3] = {1.5f, -2.0f, 0.25f};
    if (withInt) {
        EXPECT_TRUE(TevSaveInt32Block(saver, "PINT", -7));
    }
    EXPECT_TRUE(TevSaveFloatBlock(saver, "PFLT", values, 3));
    std::string bytes(saver.GetBuffer(), saver.GetBufferSize());
    saver.CloseMemory();
    return bytes;
}

struct ReadCase {
    const char* name;
    bool withInt;    // the file holds the int32 block
    int floatCount;  // the number of floats asked for
    TevBlockRead intRead;
    TevBlockRead floatRead;
    int32_t intAfter;
    float firstFloatAfter;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class PluginBlocks : public testing::TestWithParam<ReadCase> {};

TEST_P(PluginBlocks, ReadAnswersWhatItFoundAndKeepsDefaultsOtherwise) {
    const ReadCase& c = GetParam();
    tarnwell_test::TestEngine engine;
    std::string bytes = WriteBlocks(engine.Engine(), c.withInt);
    TevFileLoader loader(engine.Engine());
    ASSERT_TRUE(loader.SetBuffer(&bytes[0], static_cast<unsigned long>(bytes.size()), true));
    int32_t number = 100;
    float values[4] = {9, 9, 9, 9};
    EXPECT_EQ(TevLoadInt32Block(loader, "PINT", number), c.intRead);
    EXPECT_EQ(TevLoadFloatBlock(loader, "PFLT", values, c.floatCount), c.floatRead);
    EXPECT_EQ(number, c.intAfter);
    EXPECT_EQ(values[0], c.firstFloatAfter);
}

INSTANTIATE_TEST_SUITE_P(
    PluginTool, PluginBlocks,
    testing::Values(ReadCase{"BothThere", true, 3, TEV_BLOCK_READ, TEV_BLOCK_READ, -7, 1.5f},
                    // An older file without the first block: nothing is consumed, the second is read.
                    ReadCase{"FirstMissing", false, 3, TEV_BLOCK_MISSING, TEV_BLOCK_READ, 100, 1.5f},
                    ReadCase{"SecondOfAnotherSize", true, 4, TEV_BLOCK_READ, TEV_BLOCK_WRONG_SIZE, -7, 9.0f},
                    ReadCase{"TooManyValues", true, TEV_MAX_FLOAT_BLOCK + 1, TEV_BLOCK_READ, TEV_BLOCK_FAILED,
                             -7, 9.0f}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

}  // namespace
