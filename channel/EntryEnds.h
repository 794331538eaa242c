// Private: where a channel's entry in a group file ends. An entry runs up to the next entry's
// index block; the last one up to the group's own blocks after the entries.
#pragma once

namespace entryend {

bool IsNextEntry(const char* tag);
bool IsGroupBlock(const char* tag);
bool IsNextEntryOrGroupBlock(const char* tag);

}  // namespace entryend
