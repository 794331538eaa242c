#include "group/LinkRequestWarming.h"

#include "ChannelRecords.h"
#include "channel/LinkPrefetch.h"
#include "group/ChannelRequestIndex.h"

namespace {

// Stages by distance ahead of the position being read: each reads what the next farther one
// fetched while the channel before was read.
enum Distance { kEntries = 1, kRecords, kLists, kObject, kRequest, kWaiting };

const ChannelRequestInfo* First(const ChannelRequestIndex& requests, int indexNr) {
    ChannelRequestInfo* const* first = requests.FirstKeptByNumber(indexNr);
    return first ? *first : nullptr;
}

}  // namespace

void WarmWaitingLinks(const ChannelRequestIndex& requests, int next) {
    if (ChannelRequestInfo* const* first = requests.FirstKeptByNumber(next + kWaiting))
        __builtin_prefetch(first);
    if (ChannelRequestInfo* const* first = requests.FirstKeptByNumber(next + kRequest))
        __builtin_prefetch(*first);
    if (const ChannelRequestInfo* request = First(requests, next + kObject))
        if (request->channel) LinkPrefetch::Object(request->channel);
    if (const ChannelRequestInfo* request = First(requests, next + kLists))
        if (request->channel) LinkPrefetch::Lists(request->channel);
    if (const ChannelRequestInfo* request = First(requests, next + kRecords))
        if (request->channel) LinkPrefetch::Records(request->channel, request->linkPosition);
    if (const ChannelRequestInfo* request = First(requests, next + kEntries))
        if (request->channel) LinkPrefetch::Entries(request->channel, request->linkPosition);
}
