// Private: the tags of a channel's record inside a group file entry, in the order they are
// written: the kernel-owned state of one channel (its plug-in's own blocks follow).
#pragma once

#include "format/FieldTable.h"
#include "format/LinkRecordFormat.h"

namespace channelrecordformat {

inline constexpr char kIgnoreTreeCount[] = "CHIC";
inline constexpr char kName[] = "CHNA";
inline constexpr char kInterfaceType[] = "CHIT";
inline constexpr char kPublicCall[] = "CHES";     // a public call's target record
inline constexpr char kTreeCountMode[] = "CHTM";  // a public call's
inline constexpr char kParameterIndex[] = "CEXI";
// The links: their count, then per link the child's index number, its link position and slot.
inline constexpr char kLinkCount[] = "CHLC";
inline constexpr char kLinkIndex[] = "CHLI";
inline constexpr char kLinkPosition[] = "CHUL";
inline constexpr char kLinkSlot[] = "CHRP";
inline constexpr char kUsePool[] = "CHUP";
// Pool names, each list a count and per name the name (when present) and an end tag.
inline constexpr char kPoolCount[] = "CHNC";
inline constexpr char kPoolName[] = "CHPN";
inline constexpr char kPoolEnd[] = "CHEN";
inline constexpr char kPoolItemCount[] = "CPNC";
inline constexpr char kPoolItemName[] = "CPNP";
inline constexpr char kPoolItemEnd[] = "CPEN";

namespace ft = formattable;

inline constexpr std::array<ft::TagInfo, 17> kTags = {{
    ft::Flag(kIgnoreTreeCount),
    ft::Text(kName),
    ft::Int(kInterfaceType),
    ft::Records(kPublicCall, ft::TagKind::Record, linkrecord::kPublicCallInfoLayout),
    ft::Flag(kTreeCountMode),
    ft::Int(kParameterIndex),
    ft::Int(kLinkCount),
    ft::Int(kLinkIndex),
    ft::Int(kLinkPosition),
    ft::Int(kLinkSlot),
    ft::Flag(kUsePool),
    ft::Int(kPoolCount),
    ft::Text(kPoolName),
    ft::Plain(kPoolEnd, ft::TagKind::TagOnly),
    ft::Int(kPoolItemCount),
    ft::Text(kPoolItemName),
    ft::Plain(kPoolItemEnd, ft::TagKind::TagOnly),
}};
inline constexpr ft::TagTable kTable = ft::Table("channel record", kTags);
FORMAT_TABLE_CHECK(ft::IsWellFormed(kTable), "channel record tags");

}  // namespace channelrecordformat
