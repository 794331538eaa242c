// Private: every format the kernel stores, for the text tool's table and the fuzz dictionary.
// A tag two formats share (the translation layer, the entry index) is described alike in both.
#pragma once

#include <array>

#include "format/ChannelRecordFormat.h"
#include "format/FieldTable.h"
#include "format/GroupFileFormat.h"
#include "format/ProjectFormat.h"
#include "format/TypeCacheFormat.h"

namespace storedformats {

inline constexpr std::array<formattable::TagTable, 4> kAll = {{
    groupfileformat::kTable,
    channelrecordformat::kTable,
    typecacheformat::kTable,
    projectformat::kTable,
}};
FORMAT_TABLE_CHECK(formattable::SharedTagsAgree(kAll), "a shared tag has one description");

}  // namespace storedformats
