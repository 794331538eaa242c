// Private: typed blocks of a project file, read through the tagged file reader, and the
// reporting switches of one project load.
#pragma once

#include <cstddef>
#include <cstdint>

#include "TarnwellTypes.h"

class EngineInterface;
class ProjectReport;
class TevFileLoader;

namespace projectfile {

enum class BlockRead { Absent, Ok, Damaged };

// Bytes of the data blocks, little-endian.
constexpr unsigned long kIntSize = 4;
constexpr unsigned long kVersionSize = 12;
// Texts (file names) are shorter than this, terminator included.
constexpr size_t kTextSize = 400;
// Paths composed from the install directory and such a name.
constexpr size_t kPathSize = 2 * kTextSize;

// The next block, which must be exactly `size` bytes.
bool ReadExact(TevFileLoader& loader, unsigned char* dest, unsigned long size);
// When `tag` is next: consumes it and reads its int32 block.
BlockRead ReadIntBlock(TevFileLoader& loader, const char* tag, int32_t& value);
// The next block as a zero-terminated text shorter than `size`; false when larger or absent.
bool ReadText(TevFileLoader& loader, char* dest, size_t size);

// Reporting of one load.
struct LoadSettings {
    EngineInterface* engine = nullptr;
    bool showMessages = false;    // "WriteErrorLog" reads "Yes"
    bool checkChannelCrc = true;  // "VtrCrCCheck" does not read "No"
    // A check: nothing is written, every entry is looked at and reported here.
    ProjectReport* report = nullptr;

    void Show(const char* text, const char* text2 = nullptr) const;
    void ShowType(const char* text, const _GUID& type) const;  // the text, then the GUID
    // A damaged or hostile file: said whatever the switch, so a failed load explains itself.
    void Refuse(const char* text, const char* detail) const;
};

}  // namespace projectfile
