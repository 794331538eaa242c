#include "channel/EntryEnds.h"

#include <cstring>

#include "format/GroupFileFormat.h"
#include "format/TagFormat.h"

namespace entryend {

namespace {

namespace tags = groupfileformat;

// The group's own blocks after the channel entries, in the order they are written.
const char* const kGroupTags[] = {tags::kStartChannel, tags::kParameterCount, tags::kParameters,
                                  tags::kPoolName,     tags::kGroupGuid,      tags::kTrailer};

bool Same(const char* tag, const char* other) { return std::memcmp(tag, other, tagformat::kWordSize) == 0; }

}  // namespace

bool IsNextEntry(const char* tag) { return Same(tag, tags::kChannelIndex); }

bool IsGroupBlock(const char* tag) {
    for (const char* groupTag : kGroupTags)
        if (Same(tag, groupTag)) return true;
    return false;
}

bool IsNextEntryOrGroupBlock(const char* tag) { return IsNextEntry(tag) || IsGroupBlock(tag); }

}  // namespace entryend
