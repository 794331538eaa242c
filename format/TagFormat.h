// Private, header-only: byte-level rules of the tagged stream, shared by the reader and the
// writer plug-ins. The stream layout itself is described at the top of the reader plug-in
// (plugins/fileloader/FileLoaderChannel.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tagformat {

constexpr size_t kWordSize = 4;
// Largest block size: its most significant byte stays below 0x20, so a size word can
// never be taken for a tag (whose four bytes are all printable).
constexpr uint32_t kMaxBlockSize = 0x1FFFFFFFu;

// A translation layer may stand in front of a group or project file: a block naming the
// translator plug-in that rewrites the file before it is read.
inline constexpr char kTranslatorTag[] = "KORF";

inline bool IsTagByte(unsigned char c) { return c >= 0x20 && c <= 0x7E; }

// The first four characters of text form a valid tag (shorter texts do not).
inline bool IsValidTag(const char* text) {
    if (!text) return false;
    for (size_t i = 0; i < kWordSize; ++i) {
        if (!IsTagByte(static_cast<unsigned char>(text[i]))) return false;  // also stops at '\0'
    }
    return true;
}

enum class WordKind { End, Tag, Size, Garbage };

// What the four bytes at offset are; End when fewer than four bytes remain.
inline WordKind ClassifyWord(const unsigned char* data, size_t size, size_t offset) {
    if (offset > size || size - offset < kWordSize) return WordKind::End;
    const unsigned char* w = data + offset;
    if (IsTagByte(w[0]) && IsTagByte(w[1]) && IsTagByte(w[2]) && IsTagByte(w[3])) return WordKind::Tag;
    if (w[3] < 0x20) return WordKind::Size;
    return WordKind::Garbage;
}

}  // namespace tagformat
