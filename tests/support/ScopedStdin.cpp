#include "support/ScopedStdin.h"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstdio>

namespace tarnwell_test {

namespace {

#ifdef _WIN32
const char* const kNullDevice = "NUL";
#else
const char* const kNullDevice = "/dev/null";
#endif

}  // namespace

ScopedStdin::ScopedStdin(int fd) : saved(dup(fileno(stdin))) {
    const int source = fd >= 0 ? fd : open(kNullDevice, O_RDONLY);
    dup2(source, fileno(stdin));
    if (fd < 0 && source >= 0) close(source);
}

ScopedStdin::~ScopedStdin() {
    if (saved >= 0) {
        dup2(saved, fileno(stdin));
        close(saved);
    }
}

}  // namespace tarnwell_test
