#include "channel/LinkPrefetch.h"

#include "ChildCreation.h"
#include "Tev_Channel.h"
#include "Tev_List.h"
#include "foundation/ListStorage.h"

namespace {

constexpr int kLine = 64;
constexpr int kObjectLines = 4;  // the members a link reads lie within the first four lines
// A link rewrites the block of child channels and the offsets of the entries behind it; a
// parent with more entries than this pays for the rest itself.
constexpr int kWarmedEntries = 16;

void Warm(const void* address) {
    if (address) __builtin_prefetch(address);
}

}  // namespace

void LinkPrefetch::Object(const Tev_Channel* parent) {
    const char* bytes = reinterpret_cast<const char*>(parent);
    for (int line = 0; line < kObjectLines; ++line) Warm(bytes + line * kLine);
}

void LinkPrefetch::Lists(const Tev_Channel* parent) {
    Warm(parent->pendingLinks);
    Warm(TevListStorage::Items(parent->children));
    Warm(TevListStorage::Items(parent->childCreations));
    Warm(parent->childChannels);
}

void LinkPrefetch::Records(const Tev_Channel* parent, int linkPosition) {
    if (parent->pendingLinks) Warm(TevListStorage::Items(*parent->pendingLinks));
    Warm(parent->childCreations.GetItem(linkPosition));
    const int entries = parent->children.GetItemCount();
    for (int i = 0; i < entries && i < kWarmedEntries; ++i) Warm(parent->children.GetItem(i));
}

void LinkPrefetch::Entries(const Tev_Channel* parent, int linkPosition) {
    if (parent->pendingLinks) Warm(parent->pendingLinks->GetItem(0));
    const auto* creation = static_cast<const ChildCreation*>(parent->childCreations.GetItem(linkPosition));
    if (creation) Warm(creation->childInfo);
}
