// Private: the tags of a channel group file (.cgr) in the order the file holds them. Each
// channel entry's own record follows its type blocks (format/ChannelRecordFormat.h).
#pragma once

#include "format/ChannelTypeRecord.h"
#include "format/FieldTable.h"
#include "format/ParameterRecordCodec.h"
#include "format/TagFormat.h"

namespace groupfileformat {

inline constexpr const char* kTranslator = tagformat::kTranslatorTag;
inline constexpr char kGroup[] = "TEVG";
inline constexpr char kEnvironment[] = "ENVR";  // read and ignored
inline constexpr char kChannelCount[] = "CHCO";
// Per channel entry: its index number (-1: an empty position), then its type.
inline constexpr char kChannelIndex[] = "CHIX";
inline constexpr char kTypeGuid[] = "CHID";
inline constexpr char kTypeName[] = "CHNM";
inline constexpr char kTypeVersion[] = "CHVE";
inline constexpr char kBaseGuid[] = "CHBG";
// The group's own blocks after the entries.
inline constexpr char kStartChannel[] = "CHSC";
inline constexpr char kParameterCount[] = "CGIC";
inline constexpr char kParameters[] = "CGII";
inline constexpr char kPoolName[] = "CINA";
inline constexpr char kGroupGuid[] = "CGGG";
inline constexpr char kTrailer[] = "CBTD";  // tested for and ignored

namespace ft = formattable;

inline constexpr std::array<ft::TagInfo, 15> kTags = {{
    ft::Plain(kTranslator, ft::TagKind::Raw),
    ft::Plain(kGroup, ft::TagKind::TagOnly),
    ft::Plain(kEnvironment, ft::TagKind::Raw),
    ft::Int(kChannelCount),
    ft::Int(kChannelIndex),
    ft::Guid(kTypeGuid),
    ft::Scalar(kTypeName, channeltyperecord::kNameSize, ft::FieldKind::Text),
    ft::Int(kTypeVersion),
    ft::Guid(kBaseGuid),
    ft::Int(kStartChannel),
    ft::Int(kParameterCount),
    ft::Records(kParameters, ft::TagKind::RecordList, parameterrecord::kLayout),
    ft::Text(kPoolName),
    ft::Guid(kGroupGuid),
    ft::Plain(kTrailer, ft::TagKind::Raw),
}};
inline constexpr ft::TagTable kTable = ft::Table("group file", kTags);
FORMAT_TABLE_CHECK(ft::IsWellFormed(kTable), "group file tags");

}  // namespace groupfileformat
