// The scan of the channels directory: only modules the cache does not know (or knows as
// missing) are asked for their type. The kernel lists the directory itself, with the rules of
// the directory lister plug-in (regular files, links followed, extension ignoring case, sorted
// names): loading that module cost more than the rest of a start-up with a current cache. As
// before, there is no scan where the lister module is not installed.
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "ChannelList.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "PluginChannels.h"
#include "engine/ModuleDirectory.h"
#include "format/FileNames.h"
#include "foundation/InstallLayout.h"
#include "platform/Text.h"

namespace {

const char* const kMsgErrorLoadingFile = "Error loading file";
const char* const kEditorClassName = "Vantor Editor";

// Module paths of the entries whose file was found, ignoring case: a scan asks this once per
// listed file, so it is a set rather than a walk over the whole list.
class KnownModules {
public:
    explicit KnownModules(ChannelList* list) {
        for (int i = 0; i < list->GetItemCount(); i++) {
            ChannelListItem* item = list->GetItem(i);
            if (item && item->onDisk) Add(item->fileName.GetString());
        }
    }
    bool Contains(const char* path) const { return paths.count(Folded(path)) != 0; }
    void Add(const char* path) {
        if (path) paths.insert(Folded(path));
    }

private:
    static std::string Folded(const char* path) {
        std::string folded(path);
        platform::StrLwr(&folded[0]);
        return folded;
    }
    std::unordered_set<std::string> paths;
};

void FillScannedItem(ChannelListItem* item, const char* path, const ChannelType& type) {
    item->fileName.SetString(path);
    item->channelType = type;
    item->onDisk = true;
    item->fromFile = true;
}

// Asks a module the list does not know for its type and adds it.
void AddScannedModule(ChannelList* list, EngineInterface* engine, KnownModules& known, const char* path) {
    if (known.Contains(path)) return;
    const ChannelType type = engine->engineInterfaceExt->GetDLLType(path);
    if (IsNullGuid(type.typeGuid)) {
        engine->showErrorMessage(kMsgErrorLoadingFile, path);
        return;
    }
    // A cached entry whose module is gone takes the module's new place; otherwise the
    // type would stay unusable for as long as the cache keeps the old path.
    ChannelListItem* listed = list->GetItem(type.typeGuid);
    if (listed && !listed->onDisk) {
        FillScannedItem(listed, path, type);
        known.Add(path);
        return;
    }
    ChannelListItem* item = new ChannelListItem();
    FillScannedItem(item, path, type);
    // Refused when another module on disk reports the same type: the first one stays.
    if (list->AddItem(item)) known.Add(path);
    else delete item;
}

}  // namespace

void ChannelList::AddDirectory(const char* dir, int) {
    if (!engineInterface || !engineInterface->engineInterfaceExt || !dir) return;
    const std::string listerPath =
        installlayout::Path(engineInterface->GetInstallDir(), installlayout::kChannelsDir, TEV_DIRECTORY_DLL);
    if (!platform::IsRegularFile(listerPath.c_str())) return;
    const char* className = engineInterface->GetEngineClassName();
    const bool editor = className && std::strcmp(className, kEditorClassName) == 0;
    KnownModules known(this);

    const char* const extensions[] = {filenames::kModuleExtension, "DLE"};
    const int passes = editor ? 2 : 1;
    const ModuleDirectory* shared = SharedModuleDirectory::Find(this, dir);
    std::unique_ptr<ModuleDirectory> own(shared ? nullptr : new ModuleDirectory(dir));
    const ModuleDirectory& directory = shared ? *shared : *own;
    for (int pass = 0; pass < passes; pass++) {
        for (const std::string& name : directory.ModuleFiles(extensions[pass])) {
            // A path that does not fit the cache's 260 bytes could not be stored: refused whole.
            char path[TEV_MAX_PATH];
            const bool fits = platform::CopyText(path, dir) &&
                              platform::AppendText(path, "\\") &&
                              platform::AppendText(path, name.c_str());
            if (fits) AddScannedModule(this, engineInterface, known, path);
            else engineInterface->showErrorMessage(kMsgErrorLoadingFile, name.c_str());
        }
    }
}
