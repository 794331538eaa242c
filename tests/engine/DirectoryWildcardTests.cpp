// The directory lister's wildcards: the rules of a Unix shell, the same on every system.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "EngineInterfaceExt.h"
#include "PluginChannels.h"
#include "support/LoaderSupport.h"
#include "support/TestEngine.h"

namespace fs = std::filesystem;
using namespace tarnwell_test;

namespace {

std::vector<std::string> Listed(Pex_DirectoryChannel* lister, const std::string& pattern) {
    std::vector<std::string> names;
    if (!lister->ListDirectory(pattern.c_str())) return {"(not listed)"};
    for (int i = 0; i < lister->GetListedFileCount(); i++) names.push_back(lister->GetListedFileName(i));
    return names;
}

}  // namespace

TEST(DirectoryLister, WildcardsFollowTheShellsRules) {
    TestEngine engine;
    TempDir dir("tarnwell-wildcard");
    for (const char* name : {"a.txt", "b.txt", "ab.txt", ".hidden.txt", "-.txt", "[y.txt", "x1.dat", "x9.dat",
                             "xa.dat", "xB.dat"})
        std::ofstream(fs::path(dir.Path()) / name) << "x";
    DllInterface* object = engine.Ext()->GetDLLInstance(TEV_DIRECTORY_DLL);
    ASSERT_NE(object, nullptr);
    Pex_DirectoryChannel* lister = static_cast<Pex_DirectoryChannel*>(static_cast<Tev_Channel*>(object));
    lister->SetExtensionFilter(nullptr);

    struct Case {
        const char* pattern;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"*.txt", {"-.txt", "[y.txt", "a.txt", "ab.txt", "b.txt"}},  // a leading '.' only by a '.'
        {".*", {".hidden.txt"}},
        {"?.txt", {"-.txt", "a.txt", "b.txt"}},
        {"*b*", {"ab.txt", "b.txt"}},
        {"x[0-9].dat", {"x1.dat", "x9.dat"}},
        {"x[!0-9].dat", {"xB.dat", "xa.dat"}},
        {"x[^0-9a].dat", {"xB.dat"}},
        {"x[[:lower:]].dat", {"xa.dat"}},
        {"[-a].txt", {"-.txt", "a.txt"}},   // '-' first or last stands for itself
        {"[]ab].txt", {"a.txt", "b.txt"}},  // so does ']' first
        {"[y*", {"[y.txt"}},                // an unclosed '[' stands for itself
        {"[[:bogus:]].txt", {}},            // an unknown class matches nothing
        {"X1.DAT", {}},                     // letter case counts
        // The kernel's "*.*" lists every name, also hidden ones and those without a dot.
        {"*.*",
         {"-.txt", ".hidden.txt", "[y.txt", "a.txt", "ab.txt", "b.txt", "x1.dat", "x9.dat", "xB.dat",
          "xa.dat"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Listed(lister, dir.Path() + "/" + c.pattern), c.names) << c.pattern;
    delete lister;
}
