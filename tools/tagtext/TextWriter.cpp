#include "TextWriter.h"

#include <cctype>

#include "TagTable.h"
#include "ValueText.h"

namespace tagtext {

const char kTextHeader[] = "# vantor-cgr 1: tagged stream as text; \"vantor-cgr build\" writes it back";

namespace {

bool IsBareTagChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// key=value for every field; hidden fields only when they hold something other than zeros.
bool FormatRecord(const RecordLayout& layout, const Bytes& record, std::string& out) {
    if (record.size() != layout.size) return false;
    out.clear();
    for (size_t i = 0; i < layout.fieldCount; ++i) {
        const Field& field = layout.fields[i];
        Bytes bytes = record.substr(field.offset, field.width);
        if (field.hiddenWhenZero && bytes == Bytes(field.width, '\0')) continue;
        std::string value;
        if (!FormatField(field, bytes, value)) value = FormatHex(bytes);
        if (!out.empty()) out += ' ';
        out += std::string(field.name) + "=" + value;
    }
    return true;
}

bool FormatRecordList(const RecordLayout& layout, const Bytes& block, std::string& out) {
    if (block.size() % layout.size != 0) return false;
    out = "[";
    for (size_t at = 0; at < block.size(); at += layout.size) {
        std::string record;
        FormatRecord(layout, block.substr(at, layout.size), record);
        out += (at == 0 ? "" : "; ") + record;
    }
    out += "]";
    return true;
}

bool FormatTyped(const TagInfo& info, const Bytes& block, std::string& out) {
    switch (info.kind) {
        case TagKind::Raw:
        case TagKind::TagOnly:
            return false;
        case TagKind::Text:
            return FormatTerminatedText(block, out);
        case TagKind::Scalar:
            return FormatField(info.scalar, block, out);
        case TagKind::Record:
            return FormatRecord(*info.layout, block, out);
        case TagKind::RecordList:
            return FormatRecordList(*info.layout, block, out);
    }
    return false;
}

}  // namespace

std::string FormatTag(const std::string& tag) {
    for (char c : tag) {
        if (!IsBareTagChar(c)) return FormatQuoted(tag);
    }
    return tag;
}

std::string FormatBlock(const std::string& tag, const Bytes& block) {
    std::string typed;
    if (FormatTyped(FindTag(tag), block, typed)) return typed;
    return FormatHex(block);
}

std::string WriteText(const TagStream& stream) {
    std::string text = std::string(kTextHeader) + "\n";
    for (const TagEntry& entry : stream.entries) {
        text += FormatTag(entry.tag);
        for (size_t i = 0; i < entry.blocks.size(); ++i) {
            text += (i == 0 ? " " : "\n  + ") + FormatBlock(entry.tag, entry.blocks[i]);
        }
        text += '\n';
    }
    if (!stream.trailing.empty()) {
        text += "# " + stream.damage + "; the rest is kept as it is\n";
        text += "trailing " + FormatHex(stream.trailing) + "\n";
    }
    return text;
}

}  // namespace tagtext
