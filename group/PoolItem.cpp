// The records of the pool tree and of a channel's pool resolution.
#include "ChannelPoolManagement.h"

#include "Tev_List.h"
#include "Tev_String.h"
#include "foundation/ListItems.h"

PoolItem::PoolItem() : subPoolItems(new Tev_List()), channels(new Tev_List()), parent(nullptr), id(-1) {
    name[0] = 0;
}

PoolItem::~PoolItem() {
    // Sub pools belong to the management object's tree; the member channels to their groups.
    delete subPoolItems;
    delete channels;
}

ChannelPoolInfo::ChannelPoolInfo() : poolNames(new Tev_List()), timeStamp(0), poolItems(new Tev_List()) {}

ChannelPoolInfo::~ChannelPoolInfo() {
    listitems::DeleteAll<Tev_String>(*poolNames);
    listitems::DeleteAll<ChannelPoolItemInfo>(*poolItems);
    delete poolNames;
    delete poolItems;
}
