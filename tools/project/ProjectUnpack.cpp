// `vantor-project unpack`: the files a project embeds, written out as an install holds them
// (channels/ and 3rd/). A name that would leave its directory refuses the whole project.
#include <strings.h>

#include <cstdio>
#include <filesystem>

#include "ProjectCommands.h"
#include "ProjectFile.h"
#include "ToolFiles.h"
#include "format/FileNames.h"

namespace vtr {

namespace {

namespace fs = std::filesystem;

struct OutFile {
    std::string dir;  // "channels" or "3rd"
    const EmbeddedFile* file;
};

void Collect(const std::vector<PluginEntry>& entries, const char* dir, std::vector<OutFile>& files) {
    for (const PluginEntry& entry : entries)
        if (entry.file.present) files.push_back({dir, &entry.file});
}

// Every name plain, every size the one stated, no name twice in one directory.
bool Check(const std::vector<OutFile>& files, std::string& why) {
    for (size_t i = 0; i < files.size(); ++i) {
        const EmbeddedFile& file = *files[i].file;
        if (!filenames::IsDirectoryEntryName(file.name.c_str())) {
            why = "the embedded file name \"" + file.name + "\" is not a plain file name";
            return false;
        }
        if (file.statedSize < 0 || static_cast<size_t>(file.statedSize) != file.data.size()) {
            why = file.name + " states " + std::to_string(file.statedSize) + " bytes but embeds " +
                  std::to_string(file.data.size());
            return false;
        }
        for (size_t k = 0; k < i; ++k)
            if (files[k].dir == files[i].dir &&
                strcasecmp(files[k].file->name.c_str(), file.name.c_str()) == 0) {
                why = files[i].dir + "/" + file.name + " is embedded twice";
                return false;
            }
    }
    return true;
}

}  // namespace

int UnpackProject(const ToolOptions& options) {
    const std::string& in = options.files[0];
    const fs::path dir = options.files[1];
    std::string bytes;
    if (!toolfiles::ReadFile(in, bytes)) {
        std::fprintf(stderr, "vantor-project: cannot read %s\n", in.c_str());
        return kIoError;
    }
    const tagtext::TagStream stream = tagtext::ReadTagStream(bytes);
    Project project;
    if (!ReadProject(stream, project)) {
        std::fprintf(stderr, "vantor-project: %s is not a project file\n", in.c_str());
        return kRefused;
    }
    std::vector<OutFile> files;
    Collect(project.channels, "channels", files);
    Collect(project.others, "3rd", files);
    std::string why;
    if (!Check(files, why)) {
        std::fprintf(stderr, "vantor-project: refused %s: %s; nothing was written\n", in.c_str(),
                     why.c_str());
        return kRefused;
    }
    for (const OutFile& out : files) {
        std::error_code failed;
        fs::create_directories(dir / out.dir, failed);
        const fs::path path = dir / out.dir / out.file->name;
        if (failed || !toolfiles::WriteFile(path.string(), out.file->data)) {
            std::fprintf(stderr, "vantor-project: cannot write %s\n", path.string().c_str());
            return kIoError;
        }
        std::printf("%s (%zu bytes)\n", path.string().c_str(), out.file->data.size());
    }
    std::printf("vantor-project: %zu file%s written below %s\n", files.size(), files.size() == 1 ? "" : "s",
                dir.string().c_str());
    for (const std::string& problem : project.problems) std::printf("  note: %s\n", problem.c_str());
    return kOk;
}

}  // namespace vtr
