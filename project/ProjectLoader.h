// Private: reads a project file (.vtr) for the engine facade.
#pragma once

#include <cstddef>
#include <cstdint>

class EngineInterface;
class ProjectPlugins;
class ProjectReport;
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

    // Reads the project as LoadProjectFile does and answers the same code, but writes
    // nothing and changes no engine state: every finding goes to `report`, and every plug-in
    // entry is looked at even after one that a load would stop at.
    int CheckProjectFile(const char* path, ProjectReport& report);

protected:
    EngineInterface* engineInterface;
    char startGroupPath[400];  // project directory + start group file name
    int projectEditorVersion;  // from the last "QSPT" block

private:
    // What the header said, for a check's report.
    struct Header {
        int32_t requiredVersion = 0;
        bool keepRunning = false;
    };

    int Load(const char* path, ProjectReport* report);
    int ReadProject(const char* path, const projectfile::LoadSettings& settings, Header& header);
    void ReportProject(const char* path, int code, const Header& header, const char* reason,
                       ProjectReport& report);
    projectfile::LoadSettings ReadSettings();
    int ReadHeader(TevFileLoader& loader, const char* projectDir, const projectfile::LoadSettings& settings,
                   Header& header);
    int ReadPlugins(TevFileLoader& loader, const projectfile::LoadSettings& settings);
    int ReadOtherDlls(TevFileLoader& loader, const projectfile::LoadSettings& settings,
                      ProjectPlugins& plugins);
};
