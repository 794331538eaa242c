// vantor-cgr compress and decompress, and the reading of layered group files for dump: the
// translation layers are put on by the engine's writer plug-in and removed by the engine's
// translators, so the tool knows no compression of its own.
#pragma once

#include <string>

namespace cgrlayer {

int RunCompress(int argc, char** argv);
int RunDecompress(int argc, char** argv);

// Whether the content begins with a translation layer.
bool HasLayer(const std::string& bytes);

// Replaces a layered group file's bytes by the group inside, through an engine started in the
// directory of this program; an exit code other than 0 after saying why on standard error.
int RemoveLayers(const std::string& path, std::string& bytes);

}  // namespace cgrlayer
