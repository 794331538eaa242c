#include <stdlib.h>

#include "support/TestEnvironment.h"

namespace tarnwell_test {

const char kPathListSeparator = ':';

void SetEnvironment(const char* name, const char* value) {
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

}  // namespace tarnwell_test
