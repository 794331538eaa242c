// Private: the project check behind TevCheckProject. It loads what a run would load, with
// the kernel's own loaders, and reports each step instead of running frames.
#pragma once

class EngineInterface;
class ProjectReport;

namespace projectcheck {

// Releases every group, checks the project file, its start group and the groups its public
// calls load, the channel types they use and the DLLs those declare, then releases the
// groups again. Answers the worst verdict.
int CheckProject(EngineInterface* engine, const char* path, ProjectReport& report);

}  // namespace projectcheck
