#include "groupset/GroupSetSeeds.h"

#include <cstdint>

#include "groupset/GroupSetPlan.h"

namespace tarnwell_test::groupset {

namespace {

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Each of files 0..count-1 holds a chain of calls (as many as a group holds) into pools of its
// own, all loading the next file: loading the start group loads the ring, group inside group.
std::string Ring(int count, Load load) {
    std::string bytes = Files(count);
    for (int file = 0; file < count; file++) {
        const std::vector<uint8_t> target = TargetBytes(63 * file, (file + 1) % count, load, false, 0);
        bytes += Operation(Op::Public, file, {0});
        bytes += Operation(Op::Chain, file, Concat({62}, target));
    }
    return bytes;
}

// g0 calls the counter S0 of g1 (which calls its parameter 0) with a child for that parameter.
std::string Pair(Load load) {
    return Files(2) + Operation(Op::Public, 1, {0x08 | 0x10}) + Operation(Op::Parameter, 1, {0x08}) +
           Operation(Op::Call, 0, Concat(TargetBytes(1, 1, load, true, 0), {1, 0})) +
           Operation(Op::Leaf, 0, {0x08});
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SeedSets() {
    // Positions 4095, 1000 and 64 of the child table, waiting for a pool nobody has.
    const std::vector<uint8_t> waiting = Concat(TargetBytes(200, 0, Load::Waiting, false, 0), {3, 7, 6, 5});
    std::string manyWaiting = Files(16);
    for (int file = 0; file < 16; file++)
        for (int call = 0; call < 4; call++) manyWaiting += Operation(Op::Call, file, waiting);
    return {
        {"start-only", Files(1)},
        {"leaves", Files(1) + Operation(Op::Leaf, 0, {0x08}) + Operation(Op::Leaf, 0, {0x08 | 0x10 | 2}) +
                       Operation(Op::Leaf, 0, {0x08 | 0x10 | 3}) + Operation(Op::Leaf, 0, {0x08 | 4})},
        {"autoload-pair", Pair(Load::Autoload)},
        {"dynamic-pair", Pair(Load::Dynamic)},
        {"waiting-pair", Pair(Load::Waiting)},
        {"waiting-high-positions", Files(1) + Operation(Op::Call, 0, waiting)},
        {"many-waiting", manyWaiting},
        {"self-load-chain",
         Files(1) + Operation(Op::Public, 0, {0}) +
             Operation(Op::Chain, 0, Concat({62}, TargetBytes(0, 0, Load::Autoload, false, 0)))},
        {"autoload-ring", Ring(4, Load::Autoload)},
        {"dynamic-ring", Ring(4, Load::Dynamic)},
        {"shallow-pool", Files(1) + Operation(Op::PoolMember, 0, {2 << 1}) + Operation(Op::PoolUser, 0, {0})},
        {"deep-pool", Files(1) + Operation(Op::PoolMember, 0, {11 << 1}) + Operation(Op::PoolUser, 0, {0})},
        {"extra-between-channels", Files(1) + Operation(Op::Leaf, 0, {0x08}) +
                                       Operation(Op::ExtraBlock, 0, {8, 0}) + Operation(Op::Leaf, 0, {0x08})},
        {"extra-after-last-channel",
         Files(1) + Operation(Op::Leaf, 0, {0x08}) + Operation(Op::ExtraBlock, 0, {8, 0})},
    };
}

std::string SeedSet(const std::string& name) {
    for (const auto& [seed, bytes] : SeedSets())
        if (seed == name) return bytes;
    return "";
}

}  // namespace tarnwell_test::groupset
