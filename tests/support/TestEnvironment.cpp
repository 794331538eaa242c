#include "support/TestEnvironment.h"

#include <cstdlib>

namespace tarnwell_test {

ScopedEnv::ScopedEnv(const char* variable, const char* value) : name(variable), hadPrevious(false) {
    if (const char* old = std::getenv(variable)) {
        hadPrevious = true;
        previous = old;
    }
    SetEnvironment(variable, value);
}

ScopedEnv::~ScopedEnv() { SetEnvironment(name.c_str(), hadPrevious ? previous.c_str() : nullptr); }

}  // namespace tarnwell_test
