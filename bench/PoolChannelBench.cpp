// Resolving a parent's links to a pool-using channel while the pools stay unchanged: each
// link costs a stamp comparison and a look-up of the member. The yardstick is the same parent
// linked to the members directly.
#include <benchmark/benchmark.h>

#include <memory>

#include "ChannelInternal.h"
#include "ChannelPoolManagement.h"
#include "ChildCreation.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "support/TestEngine.h"

namespace {

constexpr _GUID kBenchType = {0xBE4C0001, 0xBE4C, 0x4000, {0xB0, 0, 0, 0, 0, 0, 0, 0x01}};

class BenchChannel : public Tev_Channel {
public:
    void DeclarePosition() { SetChildCreateType(ChildCreation(), 0); }  // multiple, any type
    void CallChannel() override { ++calls; }
    ChannelType GetChannelType() override {
        ChannelType type;
        type.typeGuid = kBenchType;
        type.baseGuid = kBenchType;
        return type;
    }
    long calls = 0;
};

struct PoolSetUp {
    explicit PoolSetUp(int members) {
        tarnwell_test::TestEngineOptions options = tarnwell_test::TestEngineOptions::Bare();
        options.forwardToErrorLog = false;
        engine = std::make_unique<tarnwell_test::TestEngine>(options);
        EngineInterface* api = engine->Engine();
        group = api->CreateNewGroup("Bench", false, -1);
        viaPool = Add();
        direct = Add();
        viaPool->DeclarePosition();
        direct->DeclarePosition();
        BenchChannel* user = Add();
        user->SetChannelInterfaceType(PEX_CUSTOMCHANNELGET);
        user->SetIfUsePoolChannel(true);
        channelInternal.AddPoolToChannel(user, "Bench@Members");
        for (int i = 0; i < members; i++) {
            BenchChannel* member = Add();
            engine->Ext()->GetChannelPoolManagement()->CreatePoolItem("Bench@Members", member);
            direct->SetChild(member, -1, 0);
        }
        viaPool->SetChild(user, -1, 0);
        viaPool->LinkPoolToChannel();
    }

    BenchChannel* Add() {
        EngineInterface* saved = globalEngine;
        globalEngine = engine->Engine();
        BenchChannel* channel = new BenchChannel();
        globalEngine = saved;
        group->AddChannel(channel);
        return channel;
    }

    std::unique_ptr<tarnwell_test::TestEngine> engine;
    Tev_ChannelGroup* group = nullptr;
    BenchChannel* viaPool = nullptr;
    BenchChannel* direct = nullptr;
};

long CallChildren(Tev_Channel* parent) {
    long reached = 0;
    for (int i = 0; i < parent->GetChildCount(); i++) {
        if (Tev_Channel* child = parent->GetChild(i)) {
            child->CallChannel();
            reached++;
        }
    }
    return reached;
}

void Run(benchmark::State& state, bool throughPool) {
    const int members = static_cast<int>(state.range(0));
    PoolSetUp setUp(members);
    Tev_Channel* parent = throughPool ? setUp.viaPool : setUp.direct;
    for (auto _ : state)
        if (CallChildren(parent) != members) state.SkipWithError("a member was not reached");
    state.SetItemsProcessed(state.iterations() * members);
}

void BM_DirectLinks(benchmark::State& state) { Run(state, false); }
void BM_PoolLinks(benchmark::State& state) { Run(state, true); }

}  // namespace

BENCHMARK(BM_DirectLinks)->Arg(1000)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PoolLinks)->Arg(1000)->Arg(64)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
