// Whole-group release: tells each removal only to the channels it concerns.
#include "group/GroupRelease.h"

#include "ChildInfo.h"
#include "Tev_Channel.h"
#include "Tev_List.h"
#include "platform/Module.h"

namespace {

using RemovalCheck = void (*)(Tev_Channel*, int);

}  // namespace

bool GroupRelease::OverridesRemovalCheck(Tev_Channel* channel) {
#if defined(__GNUC__) && !defined(__clang__)
    // The function the channel's virtual table holds against the kernel's own, each behind
    // the stub a module reaches another's functions through (every plug-in's on Windows:
    // counted as overriding, every channel was asked about every removal, and releasing a
    // large group never ended).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpmf-conversions"
    const RemovalCheck own = reinterpret_cast<RemovalCheck>(channel->*(&Tev_Channel::CheckIndexNrRemoval));
    const RemovalCheck kernel = reinterpret_cast<RemovalCheck>(&Tev_Channel::CheckIndexNrRemoval);
#pragma GCC diagnostic pop
    return platform::FunctionBehindStub(reinterpret_cast<const void*>(own)) !=
           platform::FunctionBehindStub(reinterpret_cast<const void*>(kernel));
#else
    (void)channel;
    return true;
#endif
}

GroupRelease::GroupRelease(const Tev_List& list) : channels(list) {
    const int count = list.GetItemCount();
    members.resize(count);
    std::vector<int> counts(count + 1, 0);
    for (int i = 0; i < count; i++) {
        members[i] = static_cast<Tev_Channel*>(list.GetItem(i));
        if (!members[i]) continue;
        if (OverridesRemovalCheck(members[i]))
            overriders.push_back(i);
        else
            IndexLinksOf(i, counts, false);
    }
    // counts[t] becomes where the links to t begin; filling moves it to where they end.
    firstLink.assign(count + 1, 0);
    int total = 0;
    for (int t = 0; t < count; t++) {
        firstLink[t] = total;
        total += counts[t];
        counts[t] = firstLink[t];
    }
    firstLink[count] = total;
    links.resize(total);
    for (int i = 0; i < count; i++)
        if (members[i] && !OverridesRemovalCheck(members[i])) IndexLinksOf(i, counts, true);
}

// Counts (or files) the entries of one channel by the index number they link to. Numbers
// outside the array never match a removal of this release.
void GroupRelease::IndexLinksOf(int holder, std::vector<int>& counts, bool fill) {
    Tev_Channel* channel = members[holder];
    const int size = static_cast<int>(counts.size()) - 1;
    for (int slot = 0; slot < channel->children.GetItemCount(); slot++) {
        ChildInfo* entry = static_cast<ChildInfo*>(channel->children.GetItem(slot));
        if (!entry || !entry->channel) continue;
        const int target = entry->channel->channelIDIndexNr;
        if (target < 0 || target >= size) continue;
        if (fill)
            links[counts[target]++] = Link{holder, slot};
        else
            counts[target]++;
    }
}

bool GroupRelease::Alive(int position) const { return channels.GetItem(position) == members[position]; }

void GroupRelease::TellRemoval(int indexNr) {
    for (int position : overriders)
        if (Alive(position)) members[position]->CheckIndexNrRemoval(indexNr);
    if (indexNr < 0 || indexNr + 1 >= static_cast<int>(firstLink.size())) return;
    for (int i = firstLink[indexNr]; i < firstLink[indexNr + 1]; i++) {
        const Link& link = links[i];
        if (!Alive(link.holder)) continue;
        Tev_Channel* holder = members[link.holder];
        ChildInfo* entry = static_cast<ChildInfo*>(holder->children.GetItem(link.slot));
        if (entry && entry->channel && entry->channel->channelIDIndexNr == indexNr)
            holder->SetEntryChannel(entry, link.slot, nullptr);
        else
            holder->Tev_Channel::CheckIndexNrRemoval(indexNr);  // its entries moved since: ask in full
    }
}
