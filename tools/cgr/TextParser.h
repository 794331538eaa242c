// Reads the text form back into a tagged stream. Errors name the line and what was expected.
#pragma once

#include <string>

#include "TagStream.h"

namespace cgr {

// False with error set to "line N: ..." when the text is not a valid text form.
bool ReadText(const std::string& text, tagtext::TagStream& stream, std::string& error);

}  // namespace cgr
