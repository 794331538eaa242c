#include "group/ChannelRequestIndex.h"

#include <algorithm>

#include "ChannelRecords.h"
#include "Tev_List.h"

// A number's requests are all in one of the two places, so that they stay in the order added.
void ChannelRequestIndex::Add(ChannelRequestInfo* request) {
    const int indexNr = request->channelIndex;
    const bool inMap = !sparse.empty() && sparse.count(indexNr);
    if (!inMap && indexNr >= 0 && static_cast<size_t>(indexNr) < std::max(dense.size(), DenseBound())) {
        if (static_cast<size_t>(indexNr) >= dense.size()) dense.resize(static_cast<size_t>(indexNr) + 1);
        dense[static_cast<size_t>(indexNr)].push_back(request);
    } else {
        sparse[indexNr].push_back(request);
    }
    tracked++;
}

bool ChannelRequestIndex::Describes(const Tev_List& list) const { return list.GetItemCount() == tracked; }

// A number the file names, not one the group has: the vector by number grows only in step with
// the requests it holds, so that one link to a huge number cannot make it huge.
size_t ChannelRequestIndex::DenseBound() const {
    return std::max(2 * static_cast<size_t>(tracked) + 1024, expected);
}

void ChannelRequestIndex::ExpectNumbers(int count) {
    if (count > 0) expected = static_cast<size_t>(count);
}

ChannelRequestInfo* const* ChannelRequestIndex::FirstKeptByNumber(int indexNr) const {
    if (!IsDense(indexNr)) return nullptr;
    const Requests& requests = dense[static_cast<size_t>(indexNr)];
    return requests.empty() ? nullptr : requests.data();
}

bool ChannelRequestIndex::IsDense(int indexNr) const {
    return indexNr >= 0 && static_cast<size_t>(indexNr) < dense.size();
}

ChannelRequestIndex::Requests* ChannelRequestIndex::Find(int indexNr) {
    if (IsDense(indexNr) && !dense[static_cast<size_t>(indexNr)].empty())
        return &dense[static_cast<size_t>(indexNr)];
    if (sparse.empty()) return nullptr;
    auto found = sparse.find(indexNr);
    return found == sparse.end() ? nullptr : &found->second;
}

const std::vector<ChannelRequestInfo*>* ChannelRequestIndex::Waiting(int indexNr) const {
    return const_cast<ChannelRequestIndex*>(this)->Find(indexNr);
}

void ChannelRequestIndex::MarkAnswered(int indexNr, size_t position) {
    Requests* requests = Find(indexNr);
    if (!requests || position >= requests->size()) return;
    answered.push_back((*requests)[position]);
    requests->erase(requests->begin() + static_cast<long>(position));
    if (!requests->empty()) return;
    if (IsDense(indexNr) && requests == &dense[static_cast<size_t>(indexNr)])
        Requests().swap(*requests);  // gives the memory back
    else
        sparse.erase(indexNr);
}

void ChannelRequestIndex::Compact(Tev_List& list, bool always) {
    if (answered.empty()) return;
    if (!always && answered.size() * 2 < static_cast<size_t>(list.GetItemCount())) return;
    std::sort(answered.begin(), answered.end());
    std::vector<void*> kept;
    kept.reserve(static_cast<size_t>(list.GetItemCount()));
    for (int i = 0; i < list.GetItemCount(); i++) {
        auto* request = static_cast<ChannelRequestInfo*>(list.GetItem(i));
        if (request && std::binary_search(answered.begin(), answered.end(), request)) {
            delete request;
            tracked--;
        } else {
            kept.push_back(request);
        }
    }
    answered.clear();
    list.ClearItems();
    for (void* request : kept) list.AddItem(request);
}

void ChannelRequestIndex::Rebuild(const Tev_List& list) {
    const size_t keptExpected = expected;
    Clear();
    expected = keptExpected;
    for (int i = 0; i < list.GetItemCount(); i++) {
        auto* request = static_cast<ChannelRequestInfo*>(list.GetItem(i));
        if (request) Add(request);
    }
}

void ChannelRequestIndex::Clear() {
    std::vector<Requests>().swap(dense);
    sparse.clear();
    answered.clear();
    tracked = 0;
    expected = 0;
}
