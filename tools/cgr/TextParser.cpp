#include "TextParser.h"

#include <cctype>
#include <set>
#include <vector>

#include "TagTable.h"
#include "ValueText.h"
#include "format/TagFormat.h"

namespace cgr {

using namespace tagtext;  // the text form this parser reads back

namespace {

const char kContinuation[] = "+";
const char kTrailing[] = "trailing";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsPunctuation(char c) { return c == '[' || c == ']' || c == ';'; }

// Splits a line into words: runs of characters up to white space or one of "[];", where a
// double quote opens a section (closed by the next unescaped quote) that may hold anything.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& error) {
    size_t i = 0;
    while (i < line.size()) {
        if (IsSpace(line[i])) {
            ++i;
            continue;
        }
        if (IsPunctuation(line[i])) {
            words.emplace_back(1, line[i++]);
            continue;
        }
        std::string word;
        while (i < line.size() && !IsSpace(line[i]) && !IsPunctuation(line[i])) {
            if (line[i] != '"') {
                word += line[i++];
                continue;
            }
            size_t close = i + 1;
            while (close < line.size() && line[close] != '"') close += line[close] == '\\' ? 2 : 1;
            if (close >= line.size()) {
                error = "a closing '\"' for the text that starts at column " + std::to_string(i + 1);
                return false;
            }
            word += line.substr(i, close + 1 - i);
            i = close + 1;
        }
        words.push_back(word);
    }
    return true;
}

class Parser {
public:
    explicit Parser(TagStream& stream) : stream(stream) {}

    // False with `expected` set when the line is wrong.
    bool Line(const std::vector<std::string>& line, std::string& expected) {
        words = line;
        next = 0;
        if (trailingSeen) {
            expected = "expected nothing but comments after the trailing line";
            return false;
        }
        const std::string& first = words[next++];
        if (first == kContinuation) return Continuation(expected);
        if (first == kTrailing) return Trailing(expected);
        return TagLine(first, expected);
    }

private:
    bool TagLine(const std::string& word, std::string& expected) {
        TagEntry entry;
        if (!ParseTag(word, entry.tag, expected)) return false;
        stream.entries.push_back(entry);
        if (next == words.size()) return true;  // a tag without blocks
        return Block(expected);
    }

    bool Continuation(std::string& expected) {
        if (stream.entries.empty()) {
            expected = "expected a tag line before a '+' line (a '+' line adds a block to the tag above)";
            return false;
        }
        if (next == words.size()) {
            expected = "expected a block value after '+'";
            return false;
        }
        return Block(expected);
    }

    bool Trailing(std::string& expected) {
        if (next + 1 != words.size() || !ParseHex(words[next], stream.trailing, expected)) {
            expected = "expected one hex: value after 'trailing'";
            return false;
        }
        trailingSeen = true;
        return true;
    }

    static bool ParseTag(const std::string& word, std::string& tag, std::string& expected) {
        expected =
            "expected a tag (four letters, digits or '_', or four printable characters in quotes), found '" +
            word + "'";
        if (word.size() == tagformat::kWordSize && word[0] != '"') {
            tag = word;
            for (char c : tag) {
                if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
            }
            return true;
        }
        std::string ignored;
        return ParseQuoted(word, tag, ignored) && tag.size() == tagformat::kWordSize &&
               tagformat::IsValidTag(tag.c_str());
    }

    // The value of one block of the last entry: the rest of the line.
    bool Block(std::string& expected) {
        TagEntry& entry = stream.entries.back();
        const TagInfo& info = FindTag(entry.tag);
        Bytes block;
        if (!Value(info, block, expected)) {
            expected = entry.tag + ": " + expected;
            return false;
        }
        if (next != words.size()) {
            expected =
                entry.tag + ": expected the end of the line after the value, found '" + words[next] + "'";
            return false;
        }
        if (block.size() > tagformat::kMaxBlockSize) {
            expected = "expected a block of at most " + std::to_string(tagformat::kMaxBlockSize) + " bytes";
            return false;
        }
        entry.blocks.push_back(block);
        return true;
    }

    bool Value(const TagInfo& info, Bytes& block, std::string& expected) {
        const std::string& word = words[next];
        if (word.compare(0, 4, "hex:") == 0) {
            ++next;
            if (ParseHex(word, block, expected)) return true;
            expected = "expected " + expected;
            return false;
        }
        switch (info.kind) {
            case TagKind::Raw:
            case TagKind::TagOnly:
                expected = "expected hex:... (blocks of this tag are kept as raw bytes)";
                return false;
            case TagKind::Text:
                ++next;
                if (ParseTerminatedText(word, block, expected)) return true;
                expected = "expected " + expected + " or hex:...";
                return false;
            case TagKind::Scalar:
                ++next;
                if (ParseField(info.scalar, word, block, expected)) return true;
                expected = "expected " + expected;
                return false;
            case TagKind::Record:
                return Record(*info.layout, block, expected);
            case TagKind::RecordList:
                return RecordList(*info.layout, block, expected);
        }
        return false;
    }

    bool AtRecordEnd() const { return next == words.size() || words[next] == ";" || words[next] == "]"; }

    // key=value words until the end of the record; keys not given stay zero.
    bool Record(const RecordLayout& layout, Bytes& out, std::string& expected) {
        Bytes record(layout.size, '\0');
        std::set<std::string> seen;
        while (!AtRecordEnd()) {
            const std::string& word = words[next++];
            size_t eq = word.find('=');
            const Field* field = eq == std::string::npos ? nullptr : FindField(layout, word.substr(0, eq));
            if (!field) {
                expected = "expected key=value with a key of " + std::string(layout.name) + " (" +
                           Keys(layout) + "), found '" + word + "'";
                return false;
            }
            if (!seen.insert(field->name).second) {
                expected = std::string(field->name) + " given twice";
                return false;
            }
            Bytes bytes;
            if (!ParseField(*field, word.substr(eq + 1), bytes, expected)) {
                expected = std::string(field->name) + ": expected " + expected;
                return false;
            }
            record.replace(field->offset, field->width, bytes);
        }
        out += record;
        return true;
    }

    // [record; record; ...], or [] for none.
    bool RecordList(const RecordLayout& layout, Bytes& out, std::string& expected) {
        if (words[next] != "[") {
            expected = "expected a list [key=value ...; key=value ...] of " + std::string(layout.name) +
                       " records, or hex:...";
            return false;
        }
        ++next;
        if (next < words.size() && words[next] == "]") {
            ++next;
            return true;
        }
        while (true) {
            if (!Record(layout, out, expected)) return false;
            if (next == words.size()) {
                expected = "expected ';' or ']' in the list";
                return false;
            }
            if (words[next++] == "]") return true;
        }
    }

    static const Field* FindField(const RecordLayout& layout, const std::string& key) {
        for (size_t i = 0; i < layout.fieldCount; ++i) {
            if (key == layout.fields[i].name) return &layout.fields[i];
        }
        return nullptr;
    }

    static std::string Keys(const RecordLayout& layout) {
        std::string keys;
        for (size_t i = 0; i < layout.fieldCount; ++i)
            keys += (i ? " " : "") + std::string(layout.fields[i].name);
        return keys;
    }

    TagStream& stream;
    std::vector<std::string> words;
    size_t next = 0;
    bool trailingSeen = false;
};

std::string LineError(size_t number, const std::string& expected, const std::string& line) {
    std::string shown = line.size() > 60 ? line.substr(0, 57) + "..." : line;
    return "line " + std::to_string(number) + ": " + expected + "\n  " + shown;
}

}  // namespace

bool ReadText(const std::string& text, TagStream& stream, std::string& error) {
    stream = TagStream();
    Parser parser(stream);
    size_t number = 0, trailingLine = 0, start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        std::vector<std::string> words;
        std::string expected;
        if (!SplitWords(line, words, expected)) {
            error = LineError(number, "expected " + expected, line);
            return false;
        }
        if (words[0] == kTrailing) trailingLine = number;
        if (!parser.Line(words, expected)) {
            error = LineError(number, expected, line);
            return false;
        }
    }
    std::string conflict = TrailingConflict(stream);
    if (!conflict.empty()) {
        error = "line " + std::to_string(trailingLine) + ": the trailing bytes would not read back as " +
                "trailing bytes: " + conflict;
        return false;
    }
    stream.trailingAt = WriteTagStream(stream).size() - stream.trailing.size();
    return true;
}

}  // namespace cgr
