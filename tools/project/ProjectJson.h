// `vantor-project info --json`: what the project loader makes of a project file, as one JSON
// object for scripts: header, start group, needed engine, the plug-in lists and the problems.
#pragma once

#include <string>

#include "ProjectFile.h"

namespace vtr {

// `projectDir` is the directory the start group name is relative to (with its separator).
std::string ProjectJson(const std::string& path, const Project& project, bool isProject,
                        const std::string& projectDir);

}  // namespace vtr
