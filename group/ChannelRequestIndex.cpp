#include "group/ChannelRequestIndex.h"

#include <algorithm>

#include "ChannelRecords.h"
#include "Tev_List.h"

// A number's requests are all by number or all in the map, so that they stay in the order added.
void ChannelRequestIndex::Add(ChannelRequestInfo* request) {
    const int indexNr = request->channelIndex;
    const bool inMap = !sparse.empty() && sparse.count(indexNr);
    if (!inMap && indexNr >= 0 && static_cast<size_t>(indexNr) < std::max(dense.size(), DenseBound())) {
        if (static_cast<size_t>(indexNr) >= dense.size()) dense.resize(static_cast<size_t>(indexNr) + 1);
        ChannelRequestInfo*& first = dense[static_cast<size_t>(indexNr)];
        if (first)
            later[indexNr].push_back(request);
        else
            first = request;
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
    if (!IsDense(indexNr) || !dense[static_cast<size_t>(indexNr)]) return nullptr;
    return &dense[static_cast<size_t>(indexNr)];
}

bool ChannelRequestIndex::IsDense(int indexNr) const {
    return indexNr >= 0 && static_cast<size_t>(indexNr) < dense.size();
}

// A number's first request in the vector: the later ones are in `later`. A number the vector
// reaches may still have all its requests in `sparse`, from before the vector reached it.
bool ChannelRequestIndex::ByNumber(int indexNr) const {
    return IsDense(indexNr) && dense[static_cast<size_t>(indexNr)];
}

ChannelRequestInfo* ChannelRequestIndex::Waiting(int indexNr, size_t position) const {
    const bool byNumber = ByNumber(indexNr);
    if (byNumber && position == 0) return dense[static_cast<size_t>(indexNr)];
    const auto& map = byNumber ? later : sparse;
    if (map.empty()) return nullptr;
    auto found = map.find(indexNr);
    if (byNumber) position--;
    return found != map.end() && position < found->second.size() ? found->second[position] : nullptr;
}

void ChannelRequestIndex::MarkAnswered(int indexNr, size_t position) {
    ChannelRequestInfo* request = Waiting(indexNr, position);
    if (!request) return;
    answered.push_back(request);
    const bool byNumber = ByNumber(indexNr);
    auto& map = byNumber ? later : sparse;
    auto found = map.find(indexNr);
    if (byNumber) {
        ChannelRequestInfo*& first = dense[static_cast<size_t>(indexNr)];
        if (found == map.end()) {
            first = nullptr;
            return;
        }
        // The next one moves up to the number's place.
        if (position == 0) first = found->second.front();
        position = position == 0 ? 0 : position - 1;
    }
    found->second.erase(found->second.begin() + static_cast<long>(position));
    if (found->second.empty()) map.erase(found);
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
    std::vector<ChannelRequestInfo*>().swap(dense);
    later.clear();
    sparse.clear();
    answered.clear();
    tracked = 0;
    expected = 0;
}
