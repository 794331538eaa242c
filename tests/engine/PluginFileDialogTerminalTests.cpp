// The standard file dialog asked on a terminal (POSIX only: a pseudo terminal stands in for
// the user).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "EngineInterface.h"
#include "PluginChannels.h"
#include "support/LoaderSupport.h"
#include "support/TestEngine.h"

namespace fs = std::filesystem;
using namespace tarnwell_test;

namespace {

void Touch(const fs::path& path) { std::ofstream(path) << "x"; }

// Changes the working directory for its lifetime.
class ScopedCwd {
public:
    explicit ScopedCwd(const fs::path& dir) : previous(fs::current_path()) { fs::current_path(dir); }
    ~ScopedCwd() { fs::current_path(previous); }

private:
    fs::path previous;
};

// A pseudo terminal whose slave side stands in for standard input.
class FakeTerminal {
public:
    FakeTerminal() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    }
    ~FakeTerminal() {
        if (slave >= 0) close(slave);
        if (master >= 0) close(master);
    }
    bool Ready() const { return slave >= 0; }
    void Type(const std::string& text) {
        EXPECT_EQ(write(master, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    int Slave() const { return slave; }

private:
    int master = -1;
    int slave = -1;
};

Pex_FileDialogChannel* MakeDialog(TestEngine& engine) {
    return static_cast<Pex_FileDialogChannel*>(
        engine.Engine()->InitChannelFromType(TEV_FILEDIALOG_GUID, nullptr, false));
}

}  // namespace

TEST(FileDialog, TerminalChoiceByNumberGivesAnAbsolutePath) {
    TestEngine engine;
    Pex_FileDialogChannel* dialog = MakeDialog(engine);
    ASSERT_NE(dialog, nullptr);
    TempDir dir("tarnwell-dialog");
    for (const char* name : {"b.VTR", "a.vtr", "c.txt"}) Touch(fs::path(dir.Path()) / name);
    FakeTerminal terminal;
    ASSERT_TRUE(terminal.Ready());
    ScopedStdin input(terminal.Slave());
    ScopedCwd cwd(dir.Path());

    char path[TEV_MAX_PATH] = "";
    terminal.Type("2\n");
    EXPECT_TRUE(dialog->ChooseFile("Vantor file (*.vtr)", "vtr", path));
    EXPECT_EQ(std::string(path), fs::current_path().string() + "/b.VTR");

    terminal.Type("\n");
    EXPECT_FALSE(dialog->ChooseFile("Vantor file (*.vtr)", "vtr", path));
    EXPECT_EQ(path[0], 0);
    terminal.Type("7\n");
    EXPECT_FALSE(dialog->ChooseFile("Vantor file (*.vtr)", "vtr", path));
    EXPECT_EQ(path[0], 0);
    delete dialog;
}

TEST(FileDialog, OverlongChoiceIsRefusedWithinTheBuffer) {
    TestEngine engine;
    Pex_FileDialogChannel* dialog = MakeDialog(engine);
    ASSERT_NE(dialog, nullptr);
    TempDir dir("tarnwell-dialog");
    fs::path deep = dir.Path();
    while (deep.string().size() < 250) deep /= "nested-directory";
    fs::create_directories(deep);
    Touch(deep / "project-with-a-long-name.vtr");
    FakeTerminal terminal;
    ASSERT_TRUE(terminal.Ready());
    ScopedStdin input(terminal.Slave());
    ScopedCwd cwd(deep);

    char buffer[400];
    std::memset(buffer, 'Z', sizeof(buffer));
    terminal.Type("1\n");
    EXPECT_FALSE(dialog->ChooseFile("Vantor file (*.vtr)", "vtr", buffer));
    EXPECT_EQ(buffer[0], 0);
    for (size_t i = TEV_MAX_PATH; i < sizeof(buffer); i++)
        ASSERT_EQ(buffer[i], 'Z') << "written past 260 bytes at " << i;

    terminal.Type(std::string(300, 'p') + "\n");
    EXPECT_FALSE(dialog->ChooseFile("Vantor file (*.vtr)", "vtr", buffer));
    EXPECT_EQ(buffer[0], 0);
    delete dialog;
}
