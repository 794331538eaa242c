// Channel group: link requests left by channels whose child was not loaded yet.
#include "Tev_ChannelGroup.h"

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "Tev_List.h"
#include "foundation/ListItems.h"

void Tev_ChannelGroup::AddChannelRequest(ChannelRequestInfo request) {
    requestList->AddItem(new ChannelRequestInfo(request));
}

void Tev_ChannelGroup::CheckRequestListForIndex(int indexNr) {
    int i = 0;
    while (i < requestList->GetItemCount()) {
        auto* request = listitems::At<ChannelRequestInfo>(*requestList, i);
        if (!request) {
            if (engineInterface) engineInterface->showErrorMessage("BUG: error in channel request list");
            i++;
            continue;
        }
        if (request->channelIndex == indexNr &&
            channelInternal.CheckChannelRequest(request->channel, request->channelIndex, request->targetChannel,
                                                GetChannel(indexNr), request->linkPosition)) {
            delete request;
            requestList->RemoveItem(i);
            i = 0;  // answering one request may change what the others need
            continue;
        }
        i++;
    }
}
