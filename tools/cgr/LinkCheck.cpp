#include "LinkCheck.h"

#include <cstdint>
#include <map>
#include <set>
#include <tuple>

#include "format/ChannelRecordFormat.h"
#include "format/GroupFileFormat.h"
#include "format/LittleEndian.h"

namespace cgr {

namespace {

namespace record = channelrecordformat;
namespace group = groupfileformat;

// One link of a channel as the reader takes it: "CHLI", then optional "CHUL" and "CHRP".
struct Link {
    int32_t channel = -1;   // the index of the channel that holds it
    int number = 0;         // its place in the channel's list
    int32_t child = -1;     // -1 links nothing
    int32_t position = -1;  // absent: -1
    bool hasSlot = false;
    int32_t slot = 0;
    int Slot() const { return hasSlot ? slot : number - position; }
};

bool IntOf(const tagtext::TagEntry& entry, int32_t& value) {
    if (entry.blocks.size() != 1 || entry.blocks[0].size() != 4) return false;
    value = littleendian::GetInt(reinterpret_cast<const unsigned char*>(entry.blocks[0].data()));
    return true;
}

// The links of the stream in file order, and the indices its channel entries hold.
void ReadLinks(const tagtext::TagStream& stream, std::vector<Link>& links, std::set<int32_t>& indices) {
    int32_t channel = -1;
    int number = -1;
    for (const tagtext::TagEntry& entry : stream.entries) {
        int32_t value = 0;
        if (!IntOf(entry, value)) continue;
        if (entry.tag == group::kChannelIndex) {
            channel = value;
            if (value >= 0) indices.insert(value);
        } else if (entry.tag == record::kLinkCount) {
            number = -1;
        } else if (entry.tag == record::kLinkIndex) {
            Link link;
            link.channel = channel;
            link.number = ++number;
            link.child = value;
            links.push_back(link);
        } else if (entry.tag == record::kLinkPosition && !links.empty()) {
            links.back().position = value;
        } else if (entry.tag == record::kLinkSlot && !links.empty()) {
            links.back().hasSlot = true;
            links.back().slot = value;
        }
    }
}

std::string Where(const Link& link) {
    return "channel " + std::to_string(link.channel) + ", link " + std::to_string(link.number);
}

}  // namespace

std::vector<std::string> LinkWarnings(const tagtext::TagStream& stream) {
    std::vector<Link> links;
    std::set<int32_t> indices;
    ReadLinks(stream, links, indices);
    std::vector<std::string> warnings;
    std::map<std::tuple<int32_t, int32_t, int32_t>, int> taken;  // channel, position, slot -> link
    for (const Link& link : links) {
        if (link.child < 0) continue;
        if (!indices.count(link.child))
            warnings.push_back(Where(link) + ": index " + std::to_string(link.child) +
                               " is no channel of this file; a load leaves the link unmade");
        if (link.position < 0) continue;
        const auto key = std::make_tuple(link.channel, link.position, link.Slot());
        const auto [at, fresh] = taken.emplace(key, link.number);
        if (!fresh)
            warnings.push_back(Where(link) + ": position " + std::to_string(link.position) + " slot " +
                               std::to_string(link.Slot()) + " is taken by link " + std::to_string(at->second) +
                               " already; a load keeps only one of them");
    }
    return warnings;
}

}  // namespace cgr
