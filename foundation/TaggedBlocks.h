// Private: one block of a tagged file written or read in one call, for the records of channels
// and groups. Reading never copies more than the destination holds and always moves past the
// whole block, so a damaged block cannot write past a record or leave the reader inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "TarnwellTypes.h"

class TevFileSaver;
class TevFileLoader;

namespace tagblock {

// Writing: tag, block size, data. The saver's results are not checked: it keeps the first
// failure and reports it when the file is closed.
void WriteTagOnly(TevFileSaver& saver, const char* tag);
void WriteBytes(TevFileSaver& saver, const char* tag, const void* data, size_t size);
void WriteInt(TevFileSaver& saver, const char* tag, int32_t value);
void WriteFlag(TevFileSaver& saver, const char* tag, unsigned char value);
void WriteGuid(TevFileSaver& saver, const char* tag, const _GUID& guid);
// The text with its terminating zero.
void WriteText(TevFileSaver& saver, const char* tag, const char* text);

// Reading the block after a tag the caller has just matched (GetInfoIfTag). Copies the first
// min(block size, capacity) bytes over dest, whose remaining bytes keep what they held, and
// answers the block size (0 when the tag carries no block).
size_t ReadBlock(TevFileLoader& loader, void* dest, size_t capacity);
// The block as a 32-bit integer; fallback supplies the bytes a short block lacks.
int32_t ReadIntBlock(TevFileLoader& loader, int32_t fallback);
// When the next tag is `tag`: consumes it with its block and overwrites value (as far as the
// block reaches); answers whether the tag was there.
bool ReadInt(TevFileLoader& loader, const char* tag, int32_t& value);
bool ReadFlag(TevFileLoader& loader, const char* tag, unsigned char& value);
bool ReadGuid(TevFileLoader& loader, const char* tag, _GUID& guid);
// The block's text up to its first zero byte (or its end); answers the block size.
size_t ReadText(TevFileLoader& loader, std::string& text);

}  // namespace tagblock
