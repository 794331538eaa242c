// Private: a whole group's Release outside destruction. Every removal must reach the channels
// that still link to the removed index; asking every channel of the group about every removal
// made releasing (and so reloading) a group quadratic. A channel whose class overrides
// CheckIndexNrRemoval is still asked about every removal, as before. For every other channel
// the release clears just the link entries that point at the removed index, which is what the
// kernel's own CheckIndexNrRemoval would do; they are found once, when the release begins.
#pragma once

#include <vector>

class Tev_Channel;
class Tev_List;

class GroupRelease {
public:
    explicit GroupRelease(const Tev_List& channels);

    // Before the channel at indexNr is deleted.
    void TellRemoval(int indexNr);

    // True when the channel's class has its own CheckIndexNrRemoval (or when that cannot be told).
    static bool OverridesRemovalCheck(Tev_Channel* channel);

private:
    struct Link {
        int holder;  // position of the channel that links
        int slot;    // the entry in its child list
    };
    bool Alive(int position) const;
    void IndexLinksOf(int holder, std::vector<int>& counts, bool fill);

    const Tev_List& channels;
    std::vector<Tev_Channel*> members;  // the array as the release found it
    std::vector<int> overriders;        // positions asked about every removal
    std::vector<int> firstLink;         // links to index t: links[firstLink[t] .. firstLink[t + 1])
    std::vector<Link> links;
};
