// Which tag holds what: the kernel's stored formats (group files, channel records, the channel
// type cache, project files) as their headers in format/ describe them. Tags not in the table
// hold raw bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "format/FieldTable.h"

namespace tagtext {

using formattable::Field;
using formattable::FieldKind;
using formattable::RecordLayout;
using formattable::TagInfo;
using formattable::TagKind;

// The entry of a tag; unknown tags get a Raw entry.
const TagInfo& FindTag(const std::string& tag);

// Every tag the table knows, each once.
const std::vector<TagInfo>& AllTags();

// Every record layout the tags use, each once, for checks that they are well formed.
const std::vector<const RecordLayout*>& AllLayouts();

}  // namespace tagtext
