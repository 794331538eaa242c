// vantor-plugin new NAME [DIR]: a plug-in folder that builds against the installed kernel.
#pragma once

#include <string>

#include "TarnwellTypes.h"

namespace plugintool {

// A name that serves as target, file and class name: a letter, then letters, digits, '_'.
bool IsPluginName(const std::string& name);

// Writes the plug-in folder `dir` (made; it must not hold files yet). False with a reason.
bool Scaffold(const std::string& name, const std::string& dir, const _GUID& type, std::string& error);

}  // namespace plugintool
