#include "channel/SharedChannelTypes.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "platform/Module.h"

namespace sharedtypes {
namespace {

struct ModuleTypes {
    std::vector<ChannelType*> copies;       // the last one is current; the others serve older channels
    std::vector<const void*> knownClasses;  // virtual tables found inside the module, each checked once
};

// Never freed: channels still ask IsShared while static objects are destroyed at exit.
struct Table {
    std::mutex lock;
    std::unordered_map<HINSTANCE, ModuleTypes> byModule;
    std::unordered_set<const ChannelType*> all;
};

void Forget(HINSTANCE module);

Table& Types() {
    static Table* table = [] {
        platform::WatchModuleUnloads(&Forget);
        return new Table();
    }();
    return *table;
}

// The module left the process, and every channel it made with it: its copies go.
void Forget(HINSTANCE module) {
    Table& table = Types();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.byModule.find(module);
    if (found == table.byModule.end()) return;
    for (ChannelType* copy : found->second.copies) {
        table.all.erase(copy);
        delete copy;
    }
    table.byModule.erase(found);
}

// The module's current copy while it is what the module answers, else a new current one;
// null without room. Under the table's lock.
ChannelType* Keep(Table& table, ModuleTypes& kept, const void* channelCode, const ChannelType& answer) {
    if (std::find(kept.knownClasses.begin(), kept.knownClasses.end(), channelCode) == kept.knownClasses.end())
        kept.knownClasses.push_back(channelCode);
    ChannelType* current = kept.copies.empty() ? nullptr : kept.copies.back();
    if (current && std::memcmp(current, &answer, sizeof(ChannelType)) == 0) return current;
    ChannelType* type = new (std::nothrow) ChannelType(answer);
    if (!type) return nullptr;
    kept.copies.push_back(type);
    table.all.insert(type);
    return type;
}

}  // namespace

ChannelType* For(EngineInterface* engine, HINSTANCE module, const void* channelCode) {
    if (!engine || !engine->engineInterfaceExt) return nullptr;
    // Read on every call, outside the lock (the engine calls into the module): a module
    // unloaded and another loaded at the same handle must not get the first one's type, so
    // the kept copy serves only while it is what the module answers.
    const ChannelType answer = engine->engineInterfaceExt->GetDLLType(module);
    if (IsNullGuid(answer.typeGuid)) return new (std::nothrow) ChannelType(answer);
    Table& table = Types();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        auto found = table.byModule.find(module);
        const ModuleTypes* kept = found == table.byModule.end() ? nullptr : &found->second;
        if (kept && std::find(kept->knownClasses.begin(), kept->knownClasses.end(), channelCode) !=
                        kept->knownClasses.end())
            return Keep(table, found->second, channelCode, answer);
    }
    // Outside the lock, once per class of a module: asking the loader is slow.
    if (!platform::ModuleContains(module, channelCode)) return new (std::nothrow) ChannelType(answer);
    std::lock_guard<std::mutex> guard(table.lock);
    return Keep(table, table.byModule[module], channelCode, answer);
}

bool IsShared(const ChannelType* type) {
    if (!type) return false;
    Table& table = Types();
    std::lock_guard<std::mutex> guard(table.lock);
    return table.all.count(type) != 0;
}

}  // namespace sharedtypes
