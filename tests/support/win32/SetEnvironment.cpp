#include <stdlib.h>

#include "support/TestEnvironment.h"

namespace tarnwell_test {

const char kPathListSeparator = ';';

// _putenv_s changes the C runtime's copy and the system's, so GetEnvironmentVariable and getenv
// agree; an empty value removes the variable.
void SetEnvironment(const char* name, const char* value) { _putenv_s(name, value ? value : ""); }

}  // namespace tarnwell_test
