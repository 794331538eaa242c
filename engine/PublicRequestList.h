// Private: the public calls that wait for a public channel, kept by the pool name they wait
// for. A group that arrives asks only the calls waiting for its pool name, and a call that
// goes finds its own requests at once: groups that load while a group loads leave one request
// per call behind, and with a list walked for every request added, answered and dropped,
// loading and releasing many groups that call each other grew with the square of the calls.
#pragma once

#include <iterator>
#include <list>
#include <string>
#include <unordered_map>

class Tev_Channel;

class PublicRequestList {
public:
    PublicRequestList() = default;
    PublicRequestList(const PublicRequestList&) = delete;
    PublicRequestList& operator=(const PublicRequestList&) = delete;

    // One more request of the call (a call may wait for several numbers). False when out of memory.
    bool Add(Tev_Channel* call) noexcept;
    // Offers the calls waiting for poolName, oldest first, to accept(call); each accepted
    // request is dropped. accept must not add or drop requests.
    template <typename Accept>
    void Answer(const char* poolName, Accept&& accept);
    // Every request of the call.
    void Drop(Tev_Channel* call);
    void Clear();
    size_t Count() const { return requests; }

private:
    using Waiting = std::list<Tev_Channel*>;
    static std::string Key(const char* poolName);
    static std::string KeyOf(Tev_Channel* call);

    struct Place {
        std::string key;
        Waiting::iterator at;
    };
    void Erase(std::unordered_map<std::string, Waiting>::iterator pool, Waiting::iterator at);

    std::unordered_map<std::string, Waiting> byPool;      // folded pool name -> waiting calls
    std::unordered_multimap<Tev_Channel*, Place> places;  // where each request of a call is
    size_t requests = 0;
};

template <typename Accept>
void PublicRequestList::Answer(const char* poolName, Accept&& accept) {
    auto found = byPool.find(Key(poolName));
    if (found == byPool.end()) return;
    Waiting& waiting = found->second;
    for (auto it = waiting.begin(); it != waiting.end();) {
        Tev_Channel* call = *it;
        if (!accept(call)) {
            ++it;
            continue;
        }
        auto next = std::next(it);
        Erase(found, it);
        it = next;
    }
    if (waiting.empty()) byPool.erase(found);
}
