// Writes a group set plan (groupset/GroupSetPlan.h) into a directory with the kernel's own
// writer: each group is built through the engine API with the test channel plug-ins, saved
// with Tev_ChannelGroup::SaveChannelGroup and deleted again; the project names g0.cgr.
#pragma once

#include <string>
#include <vector>

#include "TarnwellTypes.h"
#include "groupset/GroupSetPlan.h"

class EngineInterface;

namespace tarnwell_test::groupset {

struct WrittenSet {
    std::string project;       // path of the project file
    std::vector<_GUID> guids;  // the id each group file stores, by file index
};

// "" when every file was written; else what failed.
std::string WriteSet(EngineInterface* engine, const Plan& plan, const std::string& dir, WrittenSet& written);

// The saved bytes with each extra block inserted after its channel's record (before the next
// channel entry, or before the group's closing blocks after the last one).
std::string WithExtraBlocks(EngineInterface* engine, const std::string& saved,
                            const std::vector<ExtraBlock>& extras);

}  // namespace tarnwell_test::groupset
