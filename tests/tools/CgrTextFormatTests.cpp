// The text form of tagged streams without an engine: framing of damaged bytes, the spelling
// of typed values, and build errors that name the line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TagStream.h"
#include "TagTable.h"
#include "TextParser.h"
#include "TextWriter.h"
#include "foundation/TaggedFileFixture.h"

namespace {

using tagtext::Bytes;

Bytes Word(uint32_t v) {
    Bytes w(4, '\0');
    for (int i = 0; i < 4; ++i) w[i] = static_cast<char>(v >> (8 * i));
    return w;
}
Bytes Block(const Bytes& data) { return Word(static_cast<uint32_t>(data.size())) + data; }

Bytes Build(const std::string& text) {
    tagtext::TagStream stream;
    std::string error;
    EXPECT_TRUE(cgr::ReadText(text, stream, error)) << error;
    return tagtext::WriteTagStream(stream);
}

TEST(CgrTagTable, RecordLayoutsTileTheirRecords) {
    const std::vector<const tagtext::RecordLayout*>& layouts = tagtext::AllLayouts();
    const size_t count = layouts.size();
    ASSERT_GT(count, 0u);
    for (size_t i = 0; i < count; ++i) {
        size_t at = 0;
        for (size_t f = 0; f < layouts[i]->fieldCount; ++f) {
            EXPECT_EQ(layouts[i]->fields[f].offset, at)
                << layouts[i]->name << "." << layouts[i]->fields[f].name;
            at += layouts[i]->fields[f].width;
        }
        EXPECT_EQ(at, layouts[i]->size) << layouts[i]->name;
    }
}

TEST(CgrTagStream, UnframableBytesStayTrailingWithOffsetAndExpectation) {
    struct Case {
        const char* name;
        Bytes bytes;
        size_t trailingAt;
        const char* damage;
    } cases[] = {
        {"size before any tag", Word(3) + "abc", 0, "offset 0: expected a tag, found a block size"},
        {"garbage after a block", "TEVG" + Block("ab") + "\xFF\xFE\x01\x80", 10,
         "offset 10: expected a tag or a block size, found bytes FF FE 01 80"},
        {"block past the end", "CHNA" + Word(50) + "short", 4,
         "offset 4: expected a tag or a block size, found a block of 50 bytes that runs past the end (5 "
         "bytes left)"},
        {"short tail", "TEVG" + Bytes("\x01\x02", 2), 4, "found only 2 byte(s)"},
        {"clean", "TEVG" + Bytes("CHCO") + Block(Word(0)), 0, ""},
    };
    for (const Case& c : cases) {
        tagtext::TagStream stream = tagtext::ReadTagStream(c.bytes);
        EXPECT_EQ(tagtext::WriteTagStream(stream), c.bytes) << c.name;
        if (*c.damage == '\0') {
            EXPECT_TRUE(stream.damage.empty() && stream.trailing.empty()) << c.name << ": " << stream.damage;
            continue;
        }
        EXPECT_EQ(stream.trailingAt, c.trailingAt) << c.name;
        EXPECT_NE(stream.damage.find(c.damage), std::string::npos) << c.name << ": " << stream.damage;
        EXPECT_EQ(Build(tagtext::WriteText(stream)), c.bytes) << c.name;
    }
}

// What a script writes must come out as the kernel's byte layout: GUID fields little-endian,
// signed integers, terminated texts, zero-filled fixed texts and records.
TEST(CgrTextForm, TypedValuesBuildTheKernelsBytes) {
    Bytes bytes = Build(
        "TEVG\n"
        "CHID {03020100-0504-0706-0809-0a0b0c0d0e0f}\n"
        "CHIT -1\n"
        "CHIC 1\n"
        "CHNA \"a\\\"b\\x01\"\n"
        "CHNM \"Type\"\n"
        "CGII [name=\"P\" type={00000001-0000-0000-0000-000000000000}; name=\"Q\"]\n"
        "CHES channelName=\"Target\" autoLoadGroup=1 linkOption=7\n"
        "\"x y \" hex:00ff\n"
        "  + hex:\n"
        "CHEN\n");
    Bytes guid;
    for (int i = 0; i < 16; ++i) guid += static_cast<char>(i);
    Bytes params = Bytes("P") + Bytes(39, '\0') + Word(1) + Bytes(12, '\0') + "Q" + Bytes(55, '\0');
    Bytes call(696, '\0');
    call.replace(0, 6, "Target");
    call[424] = 1;
    call.replace(692, 4, Word(7));
    Bytes expected = "TEVG" + ("CHID" + Block(guid)) + ("CHIT" + Block(Word(0xFFFFFFFF))) +
                     ("CHIC" + Block("\x01")) + ("CHNA" + Block(Bytes("a\"b\x01", 4) + '\0')) +
                     ("CHNM" + Block("Type" + Bytes(76, '\0'))) + ("CGII" + Block(params)) +
                     ("CHES" + Block(call)) + ("x y " + Block(Bytes("\x00\xFF", 2)) + Block("")) + "CHEN";
    EXPECT_EQ(bytes, expected);
}

// Text saved by a Windows editor ends its lines with "\r\n": it builds the same bytes, values
// of every kind at a line's end included.
TEST(CgrTextForm, CarriageReturnLineEndsBuildTheSameBytes) {
    const std::string text =
        "TEVG\n"
        "# comment\n"
        "CHIT -1\n"
        "CHNA \"a b\"\n"
        "CHID {03020100-0504-0706-0809-0a0b0c0d0e0f}\n"
        "CGII [name=\"P\"]\n"
        "CHES channelName=\"Target\" linkOption=7\n"
        "XDAT hex:00ff\n"
        "  + hex:\n"
        "\n"
        "CHEN\n";
    std::string windows;
    for (char c : text) windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(Build(windows), Build(text));
}

TEST(CgrTextForm, BuildErrorsNameTheLineAndWhatWasExpected) {
    struct Case {
        std::string text;
        const char* error;
    } cases[] = {
        {"TEVG\nCHIT abc\n", "line 2: CHIT: expected a 32-bit integer"},
        {"# start\n+ hex:00\n", "line 2: expected a tag line before a '+' line"},
        {"CHES colour=1\n", "line 1: CHES: expected key=value with a key of PublicCallInfo"},
        {"CHES channelName=\"a\" channelName=\"b\"\n", "line 1: CHES: channelName given twice"},
        {"CGII [name=\"x\" type={1}]\n", "line 1: CGII: type: expected a GUID"},
        {"CGII [name=\"x\"\n", "line 1: CGII: expected ';' or ']'"},
        {"\n\nCHNA \"open\n", "line 3: expected a closing '\"'"},
        {"AB hex:00\n", "line 1: expected a tag"},
        {"CHIC 256\n", "line 1: CHIC: expected a byte value 0..255"},
        {"CHIX 2147483648\n", "line 1: CHIX: expected a 32-bit integer"},
        {"XDAT 5\n", "line 1: XDAT: expected hex:"},
        {"XDAT hex:0\n", "line 1: XDAT: expected hex: followed by pairs of hex digits"},
        {"CHLI 1 2\n", "line 1: CHLI: expected the end of the line after the value, found '2'"},
        {"CHNM \"" + std::string(80, 'n') + "\"\n",
         "line 1: CHNM: expected a quoted text of at most 79 bytes"},
        {"TEVG\ntrailing hex:41424344\n", "line 2: the trailing bytes would not read back as trailing bytes"},
        {"TEVG\ntrailing hex:00\nCHCO 1\n", "line 3: expected nothing but comments after the trailing line"},
    };
    for (const Case& c : cases) {
        tagtext::TagStream stream;
        std::string error;
        EXPECT_FALSE(cgr::ReadText(c.text, stream, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << "\n -> " << error;
    }
}

}  // namespace

namespace {

// The README's example is what the tool writes for the file the example builds.
TEST(CgrTextForm, ReadmeExampleIsWhatDumpWrites) {
    std::string readme = taggedfile::ReadAll(std::string(TARNWELL_SOURCE_DIR) + "/README.md");
    size_t start = readme.find(std::string("```\n") + tagtext::kTextHeader);
    ASSERT_NE(start, std::string::npos);
    start += 4;
    std::string example = readme.substr(start, readme.find("```", start) - start);
    EXPECT_EQ(tagtext::WriteText(tagtext::ReadTagStream(Build(example))), example);
}

}  // namespace
