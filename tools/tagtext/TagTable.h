// Which tag holds what: the value kinds of the kernel's tags in group files, channel records,
// the channel type cache and project files. Tags not in the table hold raw bytes.
#pragma once

#include <cstddef>
#include <string>

namespace cgr {

// The kind of one fixed-width value.
enum class FieldKind {
    Text,   // zero-terminated text, zero-filled to the width
    Int32,  // signed, little-endian
    Byte,   // one byte, a flag or a small number
    Guid,   // 16 bytes in memory layout, shown in registry form
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
    Raw,         // bytes the tool does not interpret (a plug-in's own blocks)
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

// The entry of a tag; unknown tags get a Raw entry.
const TagInfo& FindTag(const std::string& tag);

// Every record layout, for checks that they are well formed.
const RecordLayout* const* AllLayouts(size_t& count);

}  // namespace cgr
