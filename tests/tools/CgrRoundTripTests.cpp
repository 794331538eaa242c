// Streams written by the kernel's tagged file writer come back byte for byte through the text
// form: every kind of the kernel's tags, plug-in blocks, and the odd shapes the writer allows.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "CgrRoundTrip.h"
#include "TagStream.h"
#include "TextWriter.h"
#include "foundation/TaggedFileFixture.h"

namespace {

using tagtext::Bytes;

// Writes through the kernel's writer into memory.
class Writer {
public:
    explicit Writer(TevFileSaver& saver) : saver(saver) { EXPECT_TRUE(saver.OpenMemory()); }

    Writer& Tag(const char* tag) {
        EXPECT_TRUE(saver.SaveTag(tag)) << tag;
        return *this;
    }
    Writer& Block(const Bytes& data) {
        saver.SaveBlockSize(static_cast<unsigned long>(data.size()));
        return Raw(data);
    }
    Writer& Raw(const Bytes& data) {
        saver.SaveDataToFile(data.data(), static_cast<unsigned long>(data.size()));
        return *this;
    }
    Writer& Put(const char* tag, const Bytes& data) { return Tag(tag).Block(data); }
    Writer& Int(const char* tag, int32_t value) { return Put(tag, Word(static_cast<uint32_t>(value))); }
    Writer& Text(const char* tag, const std::string& text) { return Put(tag, text + '\0'); }

    Bytes Finish() {
        EXPECT_TRUE(saver.CloseMemory());
        return Bytes(saver.GetBuffer() ? saver.GetBuffer() : "", saver.GetBufferSize());
    }

    static Bytes Word(uint32_t v) {
        Bytes w(4, '\0');
        for (int i = 0; i < 4; ++i) w[i] = static_cast<char>(v >> (8 * i));
        return w;
    }

private:
    TevFileSaver& saver;
};

Bytes Guid(unsigned char seed) {
    Bytes g;
    for (int i = 0; i < 16; ++i) g += static_cast<char>(seed + i);
    return g;
}

Bytes Fixed(const std::string& text, size_t width) { return text + Bytes(width - text.size(), '\0'); }

Bytes PublicCall(const std::string& target, const std::string& file) {
    Bytes call = Fixed(target, 80) + Fixed("Lamps", 80) + Fixed(file, 260) + Writer::Word(2) + "\x01" +
                 Bytes(3, '\0') + Writer::Word(0);
    Bytes type = Fixed("", 80) + Bytes(16, '\x11') + Bytes(16, '\x11') + Writer::Word(1) + Writer::Word(52) +
                 Writer::Word(1) + Writer::Word(0) + Writer::Word(0);
    return call + type + Writer::Word(0xFFFFFFFF) + Bytes(2, '\0') + Fixed("Child", 102) + Guid(0x40) +
           Writer::Word(0) + Writer::Word(1);
}

Bytes Parameters() { return Fixed("Speed", 40) + Guid(0x20) + Fixed("NoInterface", 40) + Bytes(16, '\0'); }

using cgrtest::ExpectRoundTrip;

class CgrRoundTrip : public taggedfile::EngineTest {};

TEST_F(CgrRoundTrip, EveryKernelTagKindAndPluginBlocksComeBackByteForByte) {
    auto saver = NewSaver();
    Writer w(*saver);
    w.Tag("TEVG").Put("ENVR", "env").Int("CHCO", 3);
    // A public call with pool names, then a parameter channel, then an empty position.
    w.Int("CHIX", 0)
        .Put("CHID", Guid(1))
        .Put("CHNM", Fixed("Caller", 80))
        .Int("CHVE", 3)
        .Put("CHBG", Guid(2));
    w.Put("CHIC", "\x01")
        .Text("CHNA", "Call \"me\"\t\xE9")
        .Int("CHIT", 2)
        .Put("CHES", PublicCall("Lamp", "..\\lamps.cgr"));
    w.Put("CHTM", Bytes(1, '\0')).Int("CHLC", 2).Int("CHLI", 1).Int("CHUL", 0).Int("CHRP", 0).Int("CHLI", -1);
    w.Put("CHUP", "\x01").Int("CHNC", 2).Text("CHPN", "Lights").Tag("CHEN").Int("CPNC", 1).Tag("CPEN");
    w.Put("PLUG", Bytes("\x00\x01\xFF own data", 12)).Put("PLUG", "");  // a plug-in's blocks
    w.Int("CHIX", 1)
        .Put("CHID", Guid(3))
        .Put("CHIC", Bytes(1, '\0'))
        .Put("CHNA", Bytes(" \0", 2))
        .Int("CHIT", 3);
    w.Int("CEXI", 4).Int("CHLC", 0).Put("CHUP", Bytes(1, '\0')).Int("CPNC", 1).Text("CPNP", "Pool");
    w.Int("CHIX", -1);
    w.Int("CHSC", 0).Int("CGIC", 2).Put("CGII", Parameters()).Text("CINA", "No Name Instance");
    w.Put("CGGG", Guid(0x30)).Put("CBTD", "x");
    // The channel type cache's tags.
    w.Int("CLCC", 1).Put("CHTY", PublicCall("", "").substr(432, 132)).Put("CHFN", Fixed("Save Error", 20));
    w.Put("CHDI", Fixed("/opt/vantor", 260));
    Bytes bytes = w.Finish();
    std::string text = ExpectRoundTrip(bytes, "group");
    for (const char* line :
         {"\nCHID {04030201-0605-0807-090A-0B0C0D0E0F10}\n", "\nCHNA \"Call \\\"me\\\"\\x09\\xE9\"\n",
          "\nCHNM \"Caller\"\n", "\nCHLI -1\n", "\nCHEN\n", "\nCHNA \" \"\n",
          "\nCGII [name=\"Speed\" type={23222120-2524-2726-2829-2A2B2C2D2E2F}; name=\"NoInterface\" "
          "type={00000000-0000-0000-0000-000000000000}]\n",
          "\nCHES channelName=\"Lamp\" poolName=\"Lamps\" fileName=\"..\\\\lamps.cgr\" "
          "requestedPublicChannelNr=2 autoLoadGroup=1 dynamicAutoLoadGroup=0 typeName=\"\" ",
          "\nPLUG hex:0001FF206F776E2064617461\nPLUG hex:\n", "\nCHFN hex:53617665",
          "\nCHTY typeName=\"\" typeGuid={11111111-1111-1111-1111-111111111111}"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
    }
}

// Shapes the writer allows that no kernel record has: they stay exact, the odd parts as hex.
TEST_F(CgrRoundTrip, OddStreamsOfTheWriterComeBackByteForByte) {
    struct Case {
        const char* name;
        void (*write)(Writer&);
    } cases[] = {
        {"empty", [](Writer&) {}},
        {"several blocks under one tag",
         [](Writer& w) { w.Tag("CHNA").Block("a\0").Block("b\0").Block("").Tag("TEVG"); }},
        {"known tags with the wrong sizes",
         [](Writer& w) {
             w.Put("CHIT", "12").Put("CHID", "x").Put("CHES", "short").Put("CGII", Bytes(57, 'p'));
         }},
        {"texts that are not terminated once",
         [](Writer& w) { w.Put("CHNA", "no end").Put("CINA", Bytes("a\0b\0", 4)).Put("CHNA", ""); }},
        {"record fields with hidden bytes",
         [](Writer& w) {
             Bytes call = PublicCall("Lamp", "f");
             call[425] = 9;        // padding
             call[432 + 256] = 1;  // the in-memory reference
             call[5] = 'x';        // bytes after the name's terminator
             w.Put("CHES", call).Put("CGII", Fixed("A", 40) + Guid(0) + Bytes(56, '\x7F'));
         }},
        {"tags that need quotes", [](Writer& w) { w.Put("A B ", "1").Tag("\"#\\+").Put("[;]=", "2"); }},
        {"data without a block size", [](Writer& w) { w.Tag("CHCO").Raw("\xFF\xFF\xFF\xFF rest"); }},
        {"block size past the end", [](Writer& w) { w.Tag("CHNA").Raw(Writer::Word(100) + "abc"); }},
        {"size before any tag", [](Writer& w) { w.Raw(Writer::Word(2) + "ab"); }},
        {"a short tail", [](Writer& w) { w.Tag("TEVG").Raw("\x01\x02"); }},
    };
    for (const Case& c : cases) {
        auto saver = NewSaver();
        Writer w(*saver);
        c.write(w);
        ExpectRoundTrip(w.Finish(), c.name);
    }
}

// Damaged copies of a real stream never break the tool and still come back exactly.
TEST_F(CgrRoundTrip, DamagedStreamsComeBackByteForByte) {
    auto saver = NewSaver();
    Writer w(*saver);
    w.Tag("TEVG").Int("CHCO", 1).Int("CHIX", 0).Put("CHID", Guid(1)).Text("CHNA", "n");
    w.Put("CHES", PublicCall("Lamp", "f")).Put("CGII", Parameters()).Text("CINA", "Pool");
    Bytes original = w.Finish();
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        Bytes bytes = original;
        for (int flips = 1 + round % 4; flips > 0; --flips) {
            bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
        }
        if (round % 3 == 0) bytes.resize(random() % bytes.size());
        ExpectRoundTrip(bytes, "round " + std::to_string(round));
        if (HasFailure()) return;
    }
}

}  // namespace
