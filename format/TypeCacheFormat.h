// Private: the tags of the channel type cache (channel.lst): a count, per entry its index, type
// record and module path, then the install directory and a checksum of every block before it.
#pragma once

#include <cstddef>

#include "format/ChannelTypeRecord.h"
#include "format/FieldTable.h"

namespace typecacheformat {

inline constexpr char kCount[] = "CLCC";
inline constexpr char kIndex[] = "CHIX";
inline constexpr char kType[] = "CHTY";
inline constexpr char kModule[] = "CHFN";
inline constexpr char kInstallDir[] = "CHDI";
// Readers that do not know it stop after the directory; a cache without it (an older
// writer's) is taken as before.
inline constexpr char kChecksum[] = "CLCK";

inline constexpr size_t kInstallDirSize = 260;

namespace ft = formattable;

inline constexpr std::array<ft::TagInfo, 6> kTags = {{
    ft::Int(kCount),
    ft::Int(kIndex),
    ft::Records(kType, ft::TagKind::Record, channeltyperecord::kLayout),
    ft::Text(kModule),
    ft::Scalar(kInstallDir, kInstallDirSize, ft::FieldKind::Text),
    ft::Int(kChecksum),
}};
inline constexpr ft::TagTable kTable = ft::Table("channel type cache", kTags);
FORMAT_TABLE_CHECK(ft::IsWellFormed(kTable), "channel type cache tags");

}  // namespace typecacheformat
