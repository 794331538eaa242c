// `vantor-cgr dump --json`: the tagged stream as one JSON object for scripts, each block
// spelled as the text form spells it.
#pragma once

#include <string>

#include "TagStream.h"

namespace cgr {

std::string DumpJson(const std::string& path, const tagtext::TagStream& stream);

}  // namespace cgr
