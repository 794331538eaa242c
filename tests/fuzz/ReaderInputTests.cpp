// Inputs the fuzz harnesses found (inputs/<reader>/, one file each), replayed through the same
// public path and the same checks as there. Under `scripts/test --sanitize` a crash or a
// sanitizer report of the reader shows here too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/LoaderSupport.h"
#include "support/ReaderInputs.h"

namespace fs = std::filesystem;
using namespace tarnwell_test;

namespace {

using Feed = std::function<std::string(const std::string& bytes)>;

std::vector<fs::path> InputsOf(Reader reader) {
    std::vector<fs::path> inputs;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(TARNWELL_READER_INPUTS) / ReaderName(reader), error))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Answers how many inputs there were.
size_t ReplayAll(Reader reader, const Feed& feed) {
    const std::vector<fs::path> inputs = InputsOf(reader);
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        EXPECT_EQ(feed(ReadBinaryFile(input.string())), "");
    }
    return inputs.size();
}

const uint8_t* Data(const std::string& bytes) { return reinterpret_cast<const uint8_t*>(bytes.data()); }

}  // namespace

TEST(ReaderInputs, FoundInputsPassEveryReader) {
    size_t replayed = 0;
    {
        TestEngine engine(ReaderEngineOptions());
        ASSERT_TRUE(engine.Started());
        TempDir scratch("tarnwell-reader-inputs");
        replayed += ReplayAll(Reader::TaggedReader, [&](const std::string& bytes) {
            return FeedTaggedReader(engine, Data(bytes), bytes.size(), scratch.Path() + "/input.bin");
        });
        replayed += ReplayAll(Reader::GroupFile,
                  [&](const std::string& bytes) { return FeedGroupFile(engine, Data(bytes), bytes.size()); });
        replayed += ReplayAll(Reader::ChannelList,
                  [&](const std::string& bytes) { return FeedChannelList(engine, Data(bytes), bytes.size()); });
    }
    ProjectSandbox sandbox;
    ASSERT_TRUE(sandbox.Started());
    replayed += ReplayAll(Reader::Project,
                          [&](const std::string& bytes) { return sandbox.Feed(Data(bytes), bytes.size()); });
    EXPECT_GT(replayed, 0u) << "no inputs found in " TARNWELL_READER_INPUTS;
}
