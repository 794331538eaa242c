#include "PlayerCheck.h"

#include <cstdio>
#include <string_view>

#include "Player.h"
#include "TarnwellHost.h"

namespace {

struct Tally {
    int lines[3] = {0, 0, 0};  // per verdict
    int restoredFiles = 0;     // plug-ins and DLLs a run writes
};

const char* SubjectText(int subject) {
    switch (subject) {
        case TEV_CHECK_PROJECT:
            return "project";
        case TEV_CHECK_PLUGIN:
            return "plug-in";
        case TEV_CHECK_DLL:
            return "dll";
        case TEV_CHECK_GROUP:
            return "group";
        case TEV_CHECK_PUBLIC_CALL:
            return "public call";
        case TEV_CHECK_CHANNEL_TYPE:
            return "channel type";
        case TEV_CHECK_DEPENDENCY:
            return "needs dll";
        default:
            return "?";
    }
}

const char* VerdictText(int verdict) {
    switch (verdict) {
        case TEV_CHECK_OK:
            return "ok";
        case TEV_CHECK_RESTORE:
            return "restore";
        default:
            return "FAILS";
    }
}

void PrintItem(const TevCheckItem* item, void* context) {
    auto* tally = static_cast<Tally*>(context);
    if (item->verdict >= 0 && item->verdict <= 2) tally->lines[item->verdict]++;
    if (item->verdict == TEV_CHECK_RESTORE && (item->subject == TEV_CHECK_PLUGIN || item->subject == TEV_CHECK_DLL))
        tally->restoredFiles++;
    std::printf("%-12s %-7s %s\n", SubjectText(item->subject), VerdictText(item->verdict), item->name);
    if (item->where[0] && std::string_view(item->where) != item->name) std::printf("%21s found: %s\n", "", item->where);
    if (item->detail[0]) std::printf("%21s %s\n", "", item->detail);
    if (item->reason[0]) std::printf("%21s why: %s\n", "", item->reason);
}

}  // namespace

int RunCheck(EngineControl* control, const char* projectPath) {
    std::printf("vantor-player: checking %s without running it\n", projectPath);
    Tally tally;
    const int worst = TevCheckProject(control, projectPath, &PrintItem, &tally);
    if (worst == TEV_CHECK_OK) {
        std::printf("vantor-player: check: a run loads everything as installed\n");
        return kPlayerOk;
    }
    if (worst == TEV_CHECK_RESTORE) {
        std::printf("vantor-player: check: a run first restores %d file%s the project carries; nothing else "
                    "fails, and what needs them can be checked once they are in place\n",
                    tally.restoredFiles, tally.restoredFiles == 1 ? "" : "s");
        return kPlayerCheckRestores;
    }
    if (worst < 0) {
        std::printf("vantor-player: check: the engine cannot check projects before it has started\n");
        return kPlayerCheckFails;
    }
    std::printf("vantor-player: check: %d thing%s a run would not load\n", tally.lines[TEV_CHECK_FAILED],
                tally.lines[TEV_CHECK_FAILED] == 1 ? "" : "s");
    return kPlayerCheckFails;
}
