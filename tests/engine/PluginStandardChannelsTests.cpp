// The standard directory lister and file dialog plug-ins, and the project start they serve.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "PluginChannels.h"
#include "Tev_ChannelGroup.h"
#include "support/LoaderSupport.h"
#include "support/TestEngine.h"

namespace fs = std::filesystem;
using namespace tarnwell_test;

namespace {

void Touch(const fs::path& path) { std::ofstream(path) << "x"; }

Pex_FileDialogChannel* MakeDialog(TestEngine& engine) {
    return static_cast<Pex_FileDialogChannel*>(
        engine.Engine()->InitChannelFromType(TEV_FILEDIALOG_GUID, nullptr, false));
}

}  // namespace

TEST(DirectoryLister, ListsMatchingFilesSortedIgnoringExtensionCase) {
    TestEngine engine;
    TempDir dir("tarnwell-lister");
    for (const char* name : {"b.DLL", "a.dll", "c.txt", "d.Dll", "noext", "a.dllx"}) Touch(fs::path(dir.Path()) / name);
    fs::create_directory(fs::path(dir.Path()) / "e.dll");

    DllInterface* object = engine.Ext()->GetDLLInstance(TEV_DIRECTORY_DLL);
    ASSERT_NE(object, nullptr);
    Pex_DirectoryChannel* lister = static_cast<Pex_DirectoryChannel*>(static_cast<Tev_Channel*>(object));
    lister->SetExtensionFilter("dll");
    // The kernel's form: backslashes and a "*.*" pattern.
    ASSERT_TRUE(lister->ListDirectory((dir.Path() + "\\*.*").c_str()));
    ASSERT_EQ(lister->GetListedFileCount(), 3);
    EXPECT_STREQ(lister->GetListedFileName(0), "a.dll");
    EXPECT_STREQ(lister->GetListedFileName(1), "b.DLL");
    EXPECT_STREQ(lister->GetListedFileName(2), "d.Dll");
    EXPECT_EQ(lister->GetListedFileName(3), nullptr);
    EXPECT_EQ(lister->GetListedFileName(-1), nullptr);
    EXPECT_EQ(std::string(lister->GetListedFilePath(1)), dir.Path() + "/b.DLL");

    lister->SetExtensionFilter("TXT");
    ASSERT_TRUE(lister->ListDirectory((dir.Path() + "/*").c_str()));
    ASSERT_EQ(lister->GetListedFileCount(), 1);
    EXPECT_STREQ(lister->GetListedFileName(0), "c.txt");

    EXPECT_FALSE(lister->ListDirectory((dir.Path() + "/missing/*.*").c_str()));
    EXPECT_EQ(lister->GetListedFileCount(), 0);
    delete lister;
}

TEST(FileDialog, WithoutTerminalNothingIsChosen) {
    TestEngine engine;
    Pex_FileDialogChannel* dialog = MakeDialog(engine);
    ASSERT_NE(dialog, nullptr);
    ScopedStdin noTerminal;
    char path[TEV_MAX_PATH];
    std::strcpy(path, "left over");
    dialog->ChooseFile("Vantor file (*.vtr)", "vtr", path);
    EXPECT_EQ(path[0], 0);
    delete dialog;
}

TEST(ProjectStart, EmptyCommandLineWithoutTerminalReleasesGroupsAndAnswers3) {
    TestEngine engine;
    ASSERT_TRUE(engine.Started());
    ASSERT_NE(engine.Engine()->CreateNewGroup("LoaderProject", false, -1), nullptr);
    ASSERT_GT(engine.Engine()->GetChannelGroupCount(), 0);
    ScopedStdin noTerminal;
    EXPECT_EQ(engine.Control()->LoadProject(), TEV_PROJECT_NO_PATH);
    for (int i = 0; i < engine.Engine()->GetChannelGroupCount(); i++)
        EXPECT_EQ(engine.Engine()->GetChannelGroup(i), nullptr) << "group " << i << " survived";
}
