// `vantor-project info`: every block of a project file as text, each with what it means to
// the project loader, and the places where the loader would stop or refuse.
#pragma once

#include <string>

#include "ProjectFile.h"

namespace vtr {

// `projectDir` is the directory the start group name is relative to (with its separator).
std::string DescribeProject(const tagtext::TagStream& stream, const Project& project,
                            const std::string& projectDir);

}  // namespace vtr
