#include "StandardStreams.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace toolengine {

void BinaryStream(std::FILE* stream) {
#ifdef _WIN32
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

void PlainStandardStreams() {
    BinaryStream(stdin);
    BinaryStream(stdout);
    BinaryStream(stderr);
}

}  // namespace toolengine
