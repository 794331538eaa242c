// What a load of a group file would quietly drop from its links: a link to an index no
// channel of the file has (the request waits for a channel that never comes), and two links
// of one channel at the same position and slot (one child takes the place of the other).
// `vantor-cgr build` warns of them, since an edited text makes both easily.
#pragma once

#include <string>
#include <vector>

#include "TagStream.h"

namespace cgr {

// One line per dropped link, in file order; none for a file whose links all hold.
std::vector<std::string> LinkWarnings(const tagtext::TagStream& stream);

}  // namespace cgr
