// The text form of a tagged stream: one line per block, typed where the tag table knows the
// tag and the bytes fit its kind, hex otherwise, so that nothing is lost.
#pragma once

#include <string>

#include "TagStream.h"

namespace tagtext {

// The first line of every dump.
extern const char kTextHeader[];

std::string WriteText(const TagStream& stream);

// A tag as the first word of a line: bare when it is letters, digits and '_', else quoted.
std::string FormatTag(const std::string& tag);

// The value of one block of tag, as written after the tag.
std::string FormatBlock(const std::string& tag, const Bytes& block);

}  // namespace tagtext
