// Private: the tree calculation counter of the engine and of every group runs 0..30000,
// then starts at 0 again.
#pragma once

namespace treecount {

constexpr int kMax = 30000;

inline int Next(int count) { return count >= kMax ? 0 : count + 1; }

}  // namespace treecount
