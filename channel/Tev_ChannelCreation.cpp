// Link positions of a channel: declaring them and finding children by position or by type.
#include <cstring>
#include <new>

#include "ChannelInternal.h"
#include "ChildCreation.h"
#include "ChildInfo.h"
#include "Tev_Channel.h"
#include "channel/ChannelMessages.h"
#include "channel/ChannelTypeMatch.h"
#include "foundation/ListItems.h"
#include "foundation/ListStorage.h"

void Tev_Channel::SetChildCreateType(ChildCreation creation, int linkPosition) {
    for (int i = 0; i < childCreations.GetItemCount(); ++i) {
        ChildCreation* existing = listitems::At<ChildCreation>(childCreations, i);
        if (existing && existing->requestLink != -1 && existing->requestLink == creation.requestLink) {
            channelmsg::Error(engineInterface, channelmsg::kDuplicateRequestLink);
            return;
        }
    }
    if (channelInterfaceType == PEX_PUBLICCALL || linkPosition < 0) return;

    // Memory is asked for first: when it runs out the position stays as it was.
    ChildCreation* position = new (std::nothrow) ChildCreation();
    ChildInfo* head = new (std::nothrow) ChildInfo();
    if (!position || !head) {
        delete position;
        delete head;
        return;
    }
    position->channelType = creation.channelType;
    position->requestLink = creation.requestLink;
    position->createChild = creation.createChild;
    position->linkOption = creation.linkOption;
    position->createChildGuid = creation.createChildGuid;
    std::memcpy(position->linkName, creation.linkName, sizeof(position->linkName));
    position->linkName[sizeof(position->linkName) - 1] = 0;

    delete listitems::At<ChildCreation>(childCreations, linkPosition);
    // The kernel alone writes both lists: sized to the positions, not by the public growth.
    TevListStorage::Extend(childCreations, linkPosition + 1);
    childCreations.SetItem(position, linkPosition);

    head->linkPosition = linkPosition;
    head->isLinkHead = true;
    head->multipleChildren = creation.requestLink == -1;
    head->nodeOffset = linkPosition;

    ChildInfo* replaced = listitems::At<ChildInfo>(children, linkPosition);
    if (replaced) {
        // Declaring positions after linking can put another position's head here; that
        // position must not keep a pointer to the freed entry.
        for (int i = 0; i < childCreations.GetItemCount(); ++i) {
            ChildCreation* other = listitems::At<ChildCreation>(childCreations, i);
            if (other && other->childInfo == replaced) other->childInfo = nullptr;
        }
        delete replaced;
    }
    if (linkPosition >= children.GetItemCount()) TevListStorage::Extend(children, linkPosition + 1);
    PutLinkEntry(head, linkPosition);
    position->childInfo = head;
}

int Tev_Channel::GetChildLinkPositionCount(int linkPosition) {
    ChildCreation* position = channelInternal.GetChildCreateType(this, linkPosition);
    if (!position || !position->childInfo) return 0;
    return position->childInfo->multipleChildren ? position->childInfo->nodeCount : 0;
}

Tev_Channel* Tev_Channel::GetChildFromLinkPosition(int linkPosition, int nr) {
    ChildCreation* position = channelInternal.GetChildCreateType(this, linkPosition);
    if (!position || !position->childInfo) return nullptr;
    ChildInfo* head = position->childInfo;
    if (nr < 0 || nr > head->nodeCount) return nullptr;
    return GetChild(head->nodeOffset - head->nodeCount + nr);
}

// The channel a child entry is matched by: custom getters by what they hand out, everything
// else (public calls and parameters included) by itself.
Tev_Channel* Tev_Channel::MatchCandidate(ChildInfo* entry) {
    if (!entry || !entry->channel) return nullptr;
    Tev_Channel* child = entry->channel;
    int type = child->channelInterfaceType;
    if (type == PEX_CUSTOMCHANNELGET || type == PEX_PUBLICCUSTOMCHANNELGET)
        return child->GetChannelFromChannel(this, entry);
    return child;
}

int Tev_Channel::GetChildTypeCount(_GUID type) {
    int count = 0;
    for (int i = 0; i < children.GetItemCount(); ++i) {
        Tev_Channel* candidate = MatchCandidate(listitems::At<ChildInfo>(children, i));
        if (candidate && channelmatch::Matches(candidate->GetChannelType(), type)) ++count;
    }
    return count;
}

Tev_Channel* Tev_Channel::GetChildFromLinkGuid(_GUID type, int nr) {
    int found = 0;
    for (int i = 0; i < children.GetItemCount(); ++i) {
        Tev_Channel* candidate = MatchCandidate(listitems::At<ChildInfo>(children, i));
        if (!candidate || !channelmatch::Matches(candidate->GetChannelType(), type)) continue;
        if (found == nr) return GetChild(i);
        ++found;
    }
    return nullptr;
}
