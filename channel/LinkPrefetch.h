// Private: warms, in stages, what answering a deferred link will read of its parent channel.
// A large load answers links to parents read long before, scattered over memory. Each stage
// reads only what the stage before fetched while an earlier channel was read, so the fetches
// of the parents' records overlap the reading of the channels in between instead of stalling it.
#pragma once

class Tev_Channel;

class LinkPrefetch {
public:
    // The channel object; reads nothing.
    static void Object(const Tev_Channel* parent);
    // Reads the object: fetches its pending link list and the arrays of its child lists.
    static void Lists(const Tev_Channel* parent);
    // Reads the pending link list and the position array: fetches the pending link array and the
    // link position's record.
    static void Records(const Tev_Channel* parent, int linkPosition);
    // Reads those: fetches the first pending links and the position's head entry.
    static void Entries(const Tev_Channel* parent, int linkPosition);
};
