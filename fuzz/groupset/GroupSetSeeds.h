// Descriptions (groupset/GroupSetPlan.h) of one group set of each shape the group set harness
// knows: the seeds of its corpus (fuzz/SeedCorpus.cpp) and the sets its tests load.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tarnwell_test::groupset {

// Name and input bytes, by name.
std::vector<std::pair<std::string, std::string>> SeedSets();

// The set of that name ("" when there is none).
std::string SeedSet(const std::string& name);

}  // namespace tarnwell_test::groupset
