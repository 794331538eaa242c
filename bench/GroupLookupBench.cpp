// Looking groups up by pool name in a table of 10,000 groups. The table is made with
// CreateNewGroup (each group named and numbered as a loaded one would be); groups are not
// read from files here, so the figures cover the table itself, not file loading.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "EngineInterface.h"
#include "Tev_ChannelGroup.h"
#include "support/TestEngine.h"

namespace {

const int kGroupCount = 10000;

std::string PoolName(int i) {
    char name[32];
    std::snprintf(name, sizeof(name), "Pool %05d", i);
    return name;
}

struct Table {
    Table() {
        tarnwell_test::TestEngineOptions options;
        options.forwardToErrorLog = false;
        engine = std::make_unique<tarnwell_test::TestEngine>(options);
        auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < kGroupCount; i++) {
            names.push_back(PoolName(i));
            engine->Engine()->CreateNewGroup(names.back().c_str(), false, -1);
        }
        buildSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }

    std::unique_ptr<tarnwell_test::TestEngine> engine;
    std::vector<std::string> names;
    double buildSeconds = 0;
};

Table& SharedTable() {
    static Table table;
    return table;
}

// Names spread over the whole table, so an average lookup walks half of it.
void BM_GetPoolGroupHit(benchmark::State& state) {
    Table& table = SharedTable();
    EngineInterface* api = table.engine->Engine();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(api->GetPoolGroup(table.names[i].c_str(), 0));
        i = (i + 7919) % kGroupCount;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["groups"] = api->GetChannelGroupCount();
    state.counters["table_build_s"] = table.buildSeconds;
}
BENCHMARK(BM_GetPoolGroupHit);

// A name no group has walks the whole table.
void BM_GetPoolGroupMiss(benchmark::State& state) {
    EngineInterface* api = SharedTable().engine->Engine();
    for (auto _ : state) benchmark::DoNotOptimize(api->GetPoolGroup("Pool absent", 0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPoolGroupMiss);

void BM_GetHighInstance(benchmark::State& state) {
    Table& table = SharedTable();
    EngineInterface* api = table.engine->Engine();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(api->GetHighInstance(table.names[i].c_str()));
        i = (i + 7919) % kGroupCount;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetHighInstance);

}  // namespace

BENCHMARK_MAIN();
