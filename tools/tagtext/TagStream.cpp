#include "TagStream.h"

#include <cstdio>

#include "format/LittleEndian.h"
#include "format/TagFormat.h"

namespace tagtext {

namespace {

using tagformat::WordKind;

const unsigned char* Data(const Bytes& bytes) { return reinterpret_cast<const unsigned char*>(bytes.data()); }

std::string HexWord(const unsigned char* w) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02X %02X %02X %02X", w[0], w[1], w[2], w[3]);
    return text;
}

// The size of the block whose size word is at offset, when the whole block fits.
bool FittingBlock(const Bytes& bytes, size_t at, size_t& blockSize) {
    blockSize = littleendian::Get32(Data(bytes) + at);
    return blockSize <= bytes.size() - at - tagformat::kWordSize;
}

std::string Damage(const Bytes& bytes, size_t at, bool afterTag) {
    const char* expected = afterTag ? "a tag or a block size" : "a tag";
    std::string where = "offset " + std::to_string(at) + ": expected " + expected;
    size_t left = bytes.size() - at;
    if (left < tagformat::kWordSize) return where + ", found only " + std::to_string(left) + " byte(s)";
    const unsigned char* w = Data(bytes) + at;
    if (tagformat::ClassifyWord(Data(bytes), bytes.size(), at) == WordKind::Size) {
        if (!afterTag) return where + ", found a block size (" + HexWord(w) + ") before any tag";
        return where + ", found a block of " + std::to_string(littleendian::Get32(w)) +
               " bytes that runs past the end (" + std::to_string(left - tagformat::kWordSize) +
               " bytes left)";
    }
    return where + ", found bytes " + HexWord(w) +
           " (a tag is four printable characters, a block size ends in a byte below 0x20)";
}

}  // namespace

TagStream ReadTagStream(const Bytes& bytes) {
    TagStream stream;
    const unsigned char* data = Data(bytes);
    size_t at = 0;
    while (tagformat::ClassifyWord(data, bytes.size(), at) == WordKind::Tag) {
        TagEntry entry;
        entry.tag.assign(bytes, at, tagformat::kWordSize);
        at += tagformat::kWordSize;
        size_t blockSize;
        while (tagformat::ClassifyWord(data, bytes.size(), at) == WordKind::Size &&
               FittingBlock(bytes, at, blockSize)) {
            entry.blocks.push_back(bytes.substr(at + tagformat::kWordSize, blockSize));
            at += tagformat::kWordSize + blockSize;
        }
        stream.entries.push_back(std::move(entry));
    }
    stream.trailingAt = at;
    if (at < bytes.size()) {
        stream.trailing = bytes.substr(at);
        stream.damage = Damage(bytes, at, !stream.entries.empty());
    }
    return stream;
}

Bytes WriteTagStream(const TagStream& stream) {
    Bytes out;
    for (const TagEntry& entry : stream.entries) {
        out += entry.tag;
        for (const Bytes& block : entry.blocks) {
            unsigned char word[tagformat::kWordSize];
            littleendian::Put32(word, static_cast<uint32_t>(block.size()));
            out.append(reinterpret_cast<const char*>(word), sizeof(word));
            out += block;
        }
    }
    out += stream.trailing;
    return out;
}

std::string TrailingConflict(const TagStream& stream) {
    if (stream.trailing.empty()) return "";
    // Read the trailing bytes back in their place: after a tag, or at the start.
    TagStream probe;
    if (!stream.entries.empty()) probe.entries.push_back(TagEntry{"TAIL", {}});
    probe.trailing = stream.trailing;
    TagStream back = ReadTagStream(WriteTagStream(probe));
    if (back.entries.size() > probe.entries.size()) return "they start with a tag; write it as a tag line";
    if (!back.entries.empty() && !back.entries[0].blocks.empty()) {
        return "they start with a block size that fits; write the block on the tag line";
    }
    return "";
}

}  // namespace tagtext
