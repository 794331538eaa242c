// Project file reading. Not supported yet: every project answers "failed".
#include "engine/ProjectLoader.h"

ProjectLoader::ProjectLoader(EngineInterface* engine) : engineInterface(engine), projectEditorVersion(0) {
    startGroupPath[0] = 0;
}

ProjectLoader::~ProjectLoader() {}

int ProjectLoader::LoadProjectFile(const char*) { return TEV_LOADER_FAILED; }

const char* ProjectLoader::GetStartGroupPath() { return startGroupPath; }

int ProjectLoader::GetProjectEditorVersion() { return projectEditorVersion; }
