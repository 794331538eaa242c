// Channel group: link requests left by channels whose child was not loaded yet.
#include "Tev_ChannelGroup.h"

#include <new>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "Tev_List.h"
#include "foundation/ListItems.h"
#include "group/GroupState.h"

void Tev_ChannelGroup::AddChannelRequest(ChannelRequestInfo request) {
    auto* stored = new (std::nothrow) ChannelRequestInfo(request);
    if (!stored) return;
    if (requestList->AddItem(stored) < 0) {
        delete stored;
        return;
    }
    state->requests.Add(stored);
}

void Tev_ChannelGroup::CheckRequestListForIndex(int indexNr) {
    if (!state->requests.Describes(*requestList)) {
        // The list was changed behind the index (a derived group): walk it as it stands.
        state->requests.Compact(*requestList, true);
        AnswerRequestsInOrder(indexNr);
        state->requests.Rebuild(*requestList);
        return;
    }
    // The same answers as the walk below, visiting only the requests for this index.
    size_t i = 0;
    while (ChannelRequestInfo* request = state->requests.Waiting(indexNr, i)) {
        if (channelInternal.CheckChannelRequest(request->channel, request->channelIndex,
                                                request->targetChannel, GetChannel(indexNr),
                                                request->linkPosition)) {
            state->requests.MarkAnswered(indexNr, i);
            i = 0;  // answering one request may change what the others need
            continue;
        }
        i++;
    }
    state->requests.Compact(*requestList, false);
}

void Tev_ChannelGroup::AnswerRequestsInOrder(int indexNr) {
    int i = 0;
    while (i < requestList->GetItemCount()) {
        auto* request = listitems::At<ChannelRequestInfo>(*requestList, i);
        if (!request) {
            if (engineInterface) engineInterface->showErrorMessage("BUG: error in channel request list");
            i++;
            continue;
        }
        if (request->channelIndex == indexNr &&
            channelInternal.CheckChannelRequest(request->channel, request->channelIndex,
                                                request->targetChannel, GetChannel(indexNr),
                                                request->linkPosition)) {
            delete request;
            requestList->RemoveItem(i);
            i = 0;  // answering one request may change what the others need
            continue;
        }
        i++;
    }
}
