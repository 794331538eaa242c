// Private: the tags of a project file (.vtr), in the order the file holds them: a header, the
// channel plug-ins the project needs (each empty, or a type entry with an optional embedded
// module), then the other modules (each empty, or a name and checksum with an optional
// embedded file).
#pragma once

#include "format/FieldTable.h"
#include "format/TagFormat.h"

namespace projectformat {

inline constexpr const char* kTranslator = tagformat::kTranslatorTag;
inline constexpr char kHeader[] = "QSPT";  // the editor version
inline constexpr char kStartGroup[] = "QSGR";
inline constexpr char kInterfaceVersion[] = "QHPV";
inline constexpr char kKeepRunning[] = "QFKR";
inline constexpr char kChannelCount[] = "QDDC";
inline constexpr char kChannelEmpty[] = "QFDB";
// Three blocks: the 16-byte type GUID, three int32 versions, the int32 module checksum.
inline constexpr char kChannelEntry[] = "QNDB";
inline constexpr char kChannelName[] = "QCAN";
inline constexpr char kChannelSize[] = "QCAS";
inline constexpr char kChannelData[] = "QCAF";
inline constexpr char kOtherCount[] = "QDGC";
inline constexpr char kOtherEmpty[] = "QDFF";
inline constexpr char kOtherEntry[] = "QDDF";
inline constexpr char kOtherCrc[] = "QCRC";
inline constexpr char kOtherName[] = "QDLN";
inline constexpr char kOtherSize[] = "QDLS";
inline constexpr char kOtherData[] = "QDLF";

namespace ft = formattable;

// "QNDB" holds three blocks of different kinds: raw.
inline constexpr std::array<ft::TagInfo, 18> kTags = {{
    ft::Plain(kTranslator, ft::TagKind::Raw),
    ft::Int(kHeader),
    ft::Text(kStartGroup),
    ft::Int(kInterfaceVersion),
    ft::Plain(kKeepRunning, ft::TagKind::TagOnly),
    ft::Int(kChannelCount),
    ft::Plain(kChannelEmpty, ft::TagKind::TagOnly),
    ft::Plain(kChannelEntry, ft::TagKind::Raw),
    ft::Text(kChannelName),
    ft::Int(kChannelSize),
    ft::Plain(kChannelData, ft::TagKind::Raw),
    ft::Int(kOtherCount),
    ft::Plain(kOtherEmpty, ft::TagKind::TagOnly),
    ft::Text(kOtherEntry),
    ft::Int(kOtherCrc),
    ft::Text(kOtherName),
    ft::Int(kOtherSize),
    ft::Plain(kOtherData, ft::TagKind::Raw),
}};
inline constexpr ft::TagTable kTable = ft::Table("project", kTags);
FORMAT_TABLE_CHECK(ft::IsWellFormed(kTable), "project tags");

}  // namespace projectformat
