// vantor-plugin check: everything a plug-in must get right before an install takes it.
#pragma once

#include <string>
#include <vector>

namespace toolengine {
class Diagnostics;
}

namespace plugintool {

struct CheckOptions {
    std::string installDir;  // the install whose types a GUID must not clash with
    std::string registryKey;
    toolengine::Diagnostics* diagnostics = nullptr;  // where the engines' messages also go
};

struct CheckResult {
    bool engineStarted = true;        // false: the check could not run (see faults)
    std::vector<std::string> passed;  // what held, one line each
    std::vector<std::string> faults;  // one line each
};

CheckResult CheckPlugin(const std::string& pluginPath, const CheckOptions& options);

}  // namespace plugintool
