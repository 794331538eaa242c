#include "support/ChildProcess.h"

namespace tarnwell_test {

int RunChild(const std::vector<std::string>& arguments, const ChildOptions& options, int timeoutMs) {
    ChildProcess child(arguments, options);
    if (!child.Started()) return -1;
    if (!child.Wait(timeoutMs)) {
        child.Kill();
        return -1;
    }
    return child.ExitCode();
}

}  // namespace tarnwell_test
