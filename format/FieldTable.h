// Private, header-only: how a stored format describes itself. Each format header states its
// tags and the fields of its fixed-size records once, as constexpr tables built from its named
// offsets; the kernel's codecs use the offsets, the text tool reads and writes files by the
// tables, and the tests hold the fuzz dictionary to them.
#pragma once

#include <array>
#include <cstddef>

// Checks of whole tag tables at compile time. They compare addresses of constants, which GCC's
// undefined behaviour sanitizer turns non-constant; our sanitized builds always carry the address
// sanitizer too, so they skip the check, and every other build makes it.
#if defined(__SANITIZE_ADDRESS__)
#define FORMAT_TABLE_CHECK(condition, text) static_assert(true, text)
#else
#define FORMAT_TABLE_CHECK(condition, text) static_assert(condition, text)
#endif

namespace formattable {

// The kind of one fixed-width value.
enum class FieldKind {
    Text,   // zero-terminated text, zero-filled to the width
    Int32,  // signed, little-endian
    Byte,   // one byte, a flag or a small number
    Guid,   // 16 bytes: Data1, Data2, Data3 little-endian, then Data4
    Hex,    // raw bytes (padding)
};

struct Field {
    const char* name;  // key in a record; unused for a tag's single value
    size_t offset;
    size_t width;
    FieldKind kind;
    bool hiddenWhenZero;  // padding and in-memory references: shown only when they carry something
};

struct RecordLayout {
    const char* name;
    size_t size;
    const Field* fields;  // in offset order, tiling the record
    size_t fieldCount;
};

enum class TagKind {
    Raw,         // bytes without a fixed form (a plug-in's own blocks, embedded files)
    TagOnly,     // written without blocks
    Text,        // zero-terminated text of any length
    Scalar,      // one fixed-width value (TagInfo::scalar)
    Record,      // one fixed-size record (TagInfo::layout)
    RecordList,  // any number of fixed-size records (TagInfo::layout)
};

struct TagInfo {
    const char* tag;
    TagKind kind;
    Field scalar;                // for Scalar
    const RecordLayout* layout;  // for Record and RecordList
};

// The tags of one stored format.
struct TagTable {
    const char* format;
    const TagInfo* tags;
    size_t count;
};

constexpr size_t kTagLength = 4;
// Widths of the fixed-width kinds.
constexpr size_t kIntWidth = 4;
constexpr size_t kByteWidth = 1;
constexpr size_t kGuidWidth = 16;

template <size_t N>
using Fields = std::array<Field, N>;

constexpr Field Value(size_t width, FieldKind kind) { return Field{"", 0, width, kind, false}; }
constexpr TagInfo Plain(const char* tag, TagKind kind) {
    return TagInfo{tag, kind, Value(0, FieldKind::Hex), nullptr};
}
constexpr TagInfo Scalar(const char* tag, size_t width, FieldKind kind) {
    return TagInfo{tag, TagKind::Scalar, Value(width, kind), nullptr};
}
constexpr TagInfo Int(const char* tag) { return Scalar(tag, kIntWidth, FieldKind::Int32); }
constexpr TagInfo Flag(const char* tag) { return Scalar(tag, kByteWidth, FieldKind::Byte); }
constexpr TagInfo Guid(const char* tag) { return Scalar(tag, kGuidWidth, FieldKind::Guid); }
constexpr TagInfo Text(const char* tag) { return Plain(tag, TagKind::Text); }
constexpr TagInfo Records(const char* tag, TagKind kind, const RecordLayout& layout) {
    return TagInfo{tag, kind, Value(0, FieldKind::Hex), &layout};
}

template <size_t N>
constexpr RecordLayout Layout(const char* name, size_t size, const Fields<N>& fields) {
    return RecordLayout{name, size, fields.data(), N};
}

template <size_t N>
constexpr TagTable Table(const char* format, const std::array<TagInfo, N>& tags) {
    return TagTable{format, tags.data(), N};
}

// The fields of `inner` placed at `at` after those of `outer`: a record embedded in another.
template <size_t N, size_t M>
constexpr Fields<N + M> Embed(const Fields<N>& outer, const Fields<M>& inner, size_t at) {
    Fields<N + M> all{};
    for (size_t i = 0; i < N; ++i) all[i] = outer[i];
    for (size_t i = 0; i < M; ++i) {
        all[N + i] = inner[i];
        all[N + i].offset += at;
    }
    return all;
}

// Fields in offset order, each starting where the previous ended, the last ending at the size.
constexpr bool Tiles(const RecordLayout& layout) {
    size_t end = 0;
    for (size_t i = 0; i < layout.fieldCount; ++i) {
        const Field& field = layout.fields[i];
        if (field.offset != end || field.width == 0) return false;
        end = field.offset + field.width;
    }
    return end == layout.size;
}

constexpr bool SameTag(const char* a, const char* b) {
    for (size_t i = 0; i <= kTagLength; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// Four printable characters and nothing more.
constexpr bool IsTag(const char* text) {
    if (!text) return false;
    for (size_t i = 0; i < kTagLength; ++i)
        if (text[i] < 0x20 || text[i] > 0x7E) return false;
    return text[kTagLength] == 0;
}

constexpr bool IsWellFormed(const TagInfo& info) {
    switch (info.kind) {
        case TagKind::Scalar:
            return info.scalar.width > 0 && info.layout == nullptr;
        case TagKind::Record:
        case TagKind::RecordList:
            return info.layout != nullptr && Tiles(*info.layout);
        default:
            return info.layout == nullptr;
    }
}

// Every tag well formed and given once, with the description its kind needs.
constexpr bool IsWellFormed(const TagTable& table) {
    for (size_t i = 0; i < table.count; ++i) {
        if (!IsTag(table.tags[i].tag) || !IsWellFormed(table.tags[i])) return false;
        for (size_t j = 0; j < i; ++j)
            if (SameTag(table.tags[i].tag, table.tags[j].tag)) return false;
    }
    return true;
}

// One description: a tag two formats share is read and shown the same way in both.
constexpr bool SameDescription(const TagInfo& a, const TagInfo& b) {
    return a.kind == b.kind && a.scalar.width == b.scalar.width && a.scalar.kind == b.scalar.kind &&
           a.layout == b.layout;
}

template <size_t N>
constexpr bool SharedTagsAgree(const std::array<TagTable, N>& tables) {
    for (size_t t = 0; t < N; ++t)
        for (size_t u = 0; u < t; ++u)
            for (size_t i = 0; i < tables[t].count; ++i)
                for (size_t j = 0; j < tables[u].count; ++j)
                    if (SameTag(tables[t].tags[i].tag, tables[u].tags[j].tag) &&
                        !SameDescription(tables[t].tags[i], tables[u].tags[j]))
                        return false;
    return true;
}

}  // namespace formattable
