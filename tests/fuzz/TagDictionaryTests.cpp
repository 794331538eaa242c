// The fuzzers' dictionary (fuzz/tags.dict, read by scripts/fuzz) holds exactly the tags of the
// kernel's stored formats as format/ describes them: a tag a reader learns reaches the fuzzers,
// and a tag the formats drop leaves the dictionary.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "format/StoredFormats.h"

namespace {

// The standard plug-ins' own tags follow this line; tests/fuzz/CheckTagDictionary.cmake finds
// those in their sources.
const char kPluginSection[] = "# The standard plug-ins' own formats";

// The quoted four-character lines before the plug-in section.
std::set<std::string> KernelTagsOfDictionary(const std::string& path) {
    std::set<std::string> tags;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line) && line.rfind(kPluginSection, 0) != 0)
        if (line.size() == 6 && line.front() == '"' && line.back() == '"') tags.insert(line.substr(1, 4));
    return tags;
}

std::set<std::string> TagsOfFormats() {
    std::set<std::string> tags;
    for (const formattable::TagTable& table : storedformats::kAll)
        for (size_t i = 0; i < table.count; ++i) tags.insert(table.tags[i].tag);
    return tags;
}

// The dictionary lines of the tags of `tags` that `other` lacks.
std::string LinesNotIn(const std::set<std::string>& tags, const std::set<std::string>& other) {
    std::string lines;
    for (const std::string& tag : tags)
        if (!other.count(tag)) lines += "\"" + tag + "\"\n";
    return lines;
}

TEST(FuzzDictionary, HoldsExactlyTheTagsOfTheKernelsFormats) {
    const std::string path = std::string(TARNWELL_SOURCE_DIR) + "/fuzz/tags.dict";
    const std::set<std::string> dictionary = KernelTagsOfDictionary(path);
    ASSERT_FALSE(dictionary.empty()) << path;
    const std::set<std::string> formats = TagsOfFormats();
    const std::string expected = "the tag lines of " + path + " should be:\n" + LinesNotIn(formats, {});
    EXPECT_EQ(LinesNotIn(formats, dictionary), "") << "missing from the dictionary; " << expected;
    EXPECT_EQ(LinesNotIn(dictionary, formats), "") << "no tag of the formats; " << expected;
}

}  // namespace
