#include "channel/SharedChannelTypes.h"

#include <mutex>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"

namespace sharedtypes {
namespace {

// Never freed: channels still ask IsShared while static objects are destroyed at exit.
struct Table {
    std::mutex lock;
    std::unordered_map<HINSTANCE, ChannelType*> byModule;
    std::unordered_set<const ChannelType*> all;  // forgotten copies too, for channels still using them
};

Table& Types() {
    static Table* table = new Table();
    return *table;
}

}  // namespace

ChannelType* For(EngineInterface* engine, HINSTANCE module) {
    if (!engine || !engine->engineInterfaceExt) return nullptr;
    Table& table = Types();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        auto found = table.byModule.find(module);
        if (found != table.byModule.end()) return found->second;
    }
    // Read outside the lock: the engine may call into the module.
    ChannelType* type = new (std::nothrow) ChannelType(engine->engineInterfaceExt->GetDLLType(module));
    if (!type || IsNullGuid(type->typeGuid)) return type;
    std::lock_guard<std::mutex> guard(table.lock);
    auto [entry, added] = table.byModule.emplace(module, type);
    if (!added) {
        delete type;  // another thread was first
        return entry->second;
    }
    table.all.insert(type);
    return type;
}

bool IsShared(const ChannelType* type) {
    if (!type) return false;
    Table& table = Types();
    std::lock_guard<std::mutex> guard(table.lock);
    return table.all.count(type) != 0;
}

void Forget(HINSTANCE module) {
    Table& table = Types();
    std::lock_guard<std::mutex> guard(table.lock);
    table.byModule.erase(module);
}

}  // namespace sharedtypes
