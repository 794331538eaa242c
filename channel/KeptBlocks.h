// Private: tagged blocks of a group file entry that nothing in this install reads (a channel
// whose plug-in is missing, or what a newer version of a plug-in added), kept as they were
// read so that saving writes them back byte for byte. The bytes are the stream form itself
// (tag, then per block its size and data): never more than the file held.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class TevFileLoader;
class TevFileSaver;

class KeptBlocks {
public:
    // Whether a tag ends the run of blocks being kept (the next entry, the group's blocks).
    using EndTag = bool (*)(const char* tag);

    // Takes every tag with its blocks from the loader's next tag up to a tag `end` names or
    // to the end of what the loader can read. Blocks left over from a tag the reader already
    // took are skipped first, as the search for the next entry skips them.
    void Capture(TevFileLoader& loader, EndTag end);
    void Write(TevFileSaver& saver) const;
    bool Empty() const { return bytes.empty(); }
    const std::vector<unsigned char>& Bytes() const { return bytes; }
    // The first block of the first `tag` as text up to its first zero byte; false when absent.
    bool FindText(const char* tag, std::string& text) const;
    // Every tag in order with its first block (NULL and 0 when it has none), which the visitor
    // may change in place; it answers false to stop the walk.
    using TagVisitor = std::function<bool(const char* tag, unsigned char* block, size_t size)>;
    void VisitTags(const TagVisitor& visit);

private:
    void CaptureBlocks(TevFileLoader& loader);

    std::vector<unsigned char> bytes;
};
