// The standard streams of every program of the product carry bytes as they are: "\n" ends a
// line of their text on every system, and binary data (group files) passes unchanged.
#pragma once

#include <cstdio>

namespace toolengine {

// Windows' C runtime would otherwise write "\n" as "\r\n" and end reading at the first ^Z.
void BinaryStream(std::FILE* stream);

// Standard input, output and error as binary streams; called first thing in main.
void PlainStandardStreams();

}  // namespace toolengine
