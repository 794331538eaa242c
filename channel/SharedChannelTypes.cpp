#include "channel/SharedChannelTypes.h"

#include <cstring>
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
    std::unordered_set<const ChannelType*> all;  // replaced copies too, for channels still using them
};

Table& Types() {
    static Table* table = new Table();
    return *table;
}

}  // namespace

ChannelType* For(EngineInterface* engine, HINSTANCE module) {
    if (!engine || !engine->engineInterfaceExt) return nullptr;
    // Read on every call, outside the lock (the engine calls into the module): a module
    // unloaded and another loaded at the same handle must not get the first one's type, so
    // the kept copy serves only while it is what the module answers.
    const ChannelType answer = engine->engineInterfaceExt->GetDLLType(module);
    if (IsNullGuid(answer.typeGuid)) return new (std::nothrow) ChannelType(answer);
    Table& table = Types();
    std::lock_guard<std::mutex> guard(table.lock);
    ChannelType*& kept = table.byModule[module];
    if (kept && std::memcmp(kept, &answer, sizeof(ChannelType)) == 0) return kept;
    // The old copy stays in all: channels made before may still use it.
    ChannelType* type = new (std::nothrow) ChannelType(answer);
    if (!type) return nullptr;
    kept = type;
    table.all.insert(type);
    return type;
}

bool IsShared(const ChannelType* type) {
    if (!type) return false;
    Table& table = Types();
    std::lock_guard<std::mutex> guard(table.lock);
    return table.all.count(type) != 0;
}

}  // namespace sharedtypes
