// The framing of a tagged stream as a list of entries: every tag with its blocks, and the
// bytes after the readable part, so that writing the list back gives the same bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tagtext {

using Bytes = std::string;  // raw bytes; std::string keeps them contiguous and comparable

struct TagEntry {
    std::string tag;            // exactly four printable characters
    std::vector<Bytes> blocks;  // none for a tag written alone
};

struct TagStream {
    std::vector<TagEntry> entries;
    Bytes trailing;         // bytes the reader cannot frame, kept as they are
    size_t trailingAt = 0;  // offset of the trailing bytes in the stream
    std::string damage;     // why the readable part ended early; empty when it did not
};

// Frames bytes exactly as the tagged file reader does: a tag, then blocks while the next
// word is a block size that fits. Never fails: what cannot be framed becomes trailing.
TagStream ReadTagStream(const Bytes& bytes);

// The bytes of a stream; the inverse of ReadTagStream.
Bytes WriteTagStream(const TagStream& stream);

// The reason, if any, why the bytes of a trailing part would not stay trailing when read
// back after the entries (they would be taken for a tag or a block); empty when they would.
std::string TrailingConflict(const TagStream& stream);

}  // namespace tagtext
