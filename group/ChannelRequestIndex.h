// Private: the link requests of a group's request list, found by the index number they wait
// for. Loading a group whose parents come before their children leaves a request for almost
// every link; walking the whole list for each arriving channel would make loading quadratic.
//
// The request list stays the record of every request, in the order they were added. Answered
// requests are taken out of the index at once but leave the list in batches (once they are at
// least half of it), so that removing them costs constant time on average.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

class Tev_List;
struct ChannelRequestInfo;

class ChannelRequestIndex {
public:
    void Add(ChannelRequestInfo* request);
    // True when every entry of the list went through Add: only then may the index stand for it.
    bool Describes(const Tev_List& list) const;
    // The unanswered request at `position` among those for an index number, in the order they
    // were added; NULL past the last.
    ChannelRequestInfo* Waiting(int indexNr, size_t position) const;
    // Takes that request out of the index; the list keeps it until the next compaction.
    void MarkAnswered(int indexNr, size_t position);
    // Deletes the answered requests and removes them from the list, keeping the order of the
    // others: always, or only once they make up at least half of the list.
    void Compact(Tev_List& list, bool always);
    // Indexes the list anew after it was changed without the index.
    void Rebuild(const Tev_List& list);
    void Clear();
    // Index numbers below count (the channels a file announces) are kept by number, whatever
    // the requests held; Clear forgets it.
    void ExpectNumbers(int count);
    // Where the first request waiting for a number kept by number is held, for warming what
    // answering it reads; NULL when none. Reads no request.
    ChannelRequestInfo* const* FirstKeptByNumber(int indexNr) const;

private:
    using Requests = std::vector<ChannelRequestInfo*>;
    bool ByNumber(int indexNr) const;
    size_t DenseBound() const;
    bool IsDense(int indexNr) const;

    // Index numbers are positions in the group, and most have one request (a child has one
    // parent), so a vector by number holds the first request of each number, with no hashing
    // and no allocation per number; the later ones of such a number wait in `later`. Numbers far
    // beyond the requests held go to `sparse`, all of a number's requests in one place.
    std::vector<ChannelRequestInfo*> dense;
    std::unordered_map<int, Requests> later;
    std::unordered_map<int, Requests> sparse;
    std::vector<ChannelRequestInfo*> answered;  // still in the list, deleted on compaction
    int tracked = 0;                            // list entries the index knows: waiting and answered
    size_t expected = 0;                        // numbers kept by number in any case
};
