// Private: reads a project file (.vtr) for the engine facade.
#pragma once

#include <cstddef>

class EngineInterface;
class TevFileLoader;

namespace projectfile {
struct LoadSettings;
}

// Result codes of LoadProjectFile.
enum { TEV_LOADER_OK = 0, TEV_LOADER_FAILED = 1, TEV_LOADER_NEEDS_UPDATE = 2 };

class ProjectLoader {
public:
    explicit ProjectLoader(EngineInterface* engine);
    virtual ~ProjectLoader();
    virtual int LoadProjectFile(const char* path);
    virtual const char* GetStartGroupPath();
    virtual int GetProjectEditorVersion();

protected:
    EngineInterface* engineInterface;
    char startGroupPath[400];  // project directory + start group file name
    int projectEditorVersion;  // from the last "QSPT" block

private:
    projectfile::LoadSettings ReadSettings();
    int ReadHeader(TevFileLoader& loader, const char* projectDir, const projectfile::LoadSettings& settings);
    int ReadPlugins(TevFileLoader& loader, const projectfile::LoadSettings& settings);
};
