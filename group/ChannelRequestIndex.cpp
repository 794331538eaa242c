#include "group/ChannelRequestIndex.h"

#include "ChannelRecords.h"
#include "Tev_List.h"

void ChannelRequestIndex::Add(ChannelRequestInfo* request) {
    waiting[request->channelIndex].push_back(request);
    tracked++;
}

bool ChannelRequestIndex::Describes(const Tev_List& list) const { return list.GetItemCount() == tracked; }

const std::vector<ChannelRequestInfo*>* ChannelRequestIndex::Waiting(int indexNr) const {
    auto found = waiting.find(indexNr);
    return found == waiting.end() ? nullptr : &found->second;
}

void ChannelRequestIndex::MarkAnswered(int indexNr, size_t position) {
    auto found = waiting.find(indexNr);
    if (found == waiting.end() || position >= found->second.size()) return;
    answered.insert(found->second[position]);
    found->second.erase(found->second.begin() + static_cast<long>(position));
    if (found->second.empty()) waiting.erase(found);
}

void ChannelRequestIndex::Compact(Tev_List& list, bool always) {
    if (answered.empty()) return;
    if (!always && answered.size() * 2 < static_cast<size_t>(list.GetItemCount())) return;
    std::vector<void*> kept;
    kept.reserve(static_cast<size_t>(list.GetItemCount()));
    for (int i = 0; i < list.GetItemCount(); i++) {
        auto* request = static_cast<ChannelRequestInfo*>(list.GetItem(i));
        if (request && answered.count(request)) {
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
    Clear();
    for (int i = 0; i < list.GetItemCount(); i++) {
        auto* request = static_cast<ChannelRequestInfo*>(list.GetItem(i));
        if (request) Add(request);
    }
}

void ChannelRequestIndex::Clear() {
    waiting.clear();
    answered.clear();
    tracked = 0;
}
