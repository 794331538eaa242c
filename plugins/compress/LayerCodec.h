// The compressed layer of a group file (format/CompressedLayerFormat.h), with zlib: written by
// the writer plug-in, removed by the compression translator. Everything read is bounded before
// memory is taken for it: a damaged or hostile layer ends in a reason, never in a crash.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace layercodec {

// The whole layered file for the plain content: the "KORF" block naming the translator, then
// the layer block. False with the reason in `why`.
bool Compress(const char* plain, size_t size, int level, std::vector<char>& layered, std::string& why);

// The plain content of a layer block's data (what follows the block's size word).
bool Expand(const char* block, size_t size, std::vector<char>& plain, std::string& why);

}  // namespace layercodec
