#include "PlayerCheck.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "JsonText.h"
#include "Player.h"
#include "TarnwellHost.h"

namespace {

struct Tally {
    int lines[3] = {0, 0, 0};  // per verdict
    int restoredFiles = 0;     // plug-ins and DLLs a run writes
    bool json = false;
    std::string items;  // with json: the findings as JSON objects, comma-separated
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

std::string JsonItem(const TevCheckItem* item) {
    using toolengine::JsonQuote;
    return "{\"subject\":" + JsonQuote(SubjectText(item->subject)) +
           ",\"verdict\":" + JsonQuote(VerdictText(item->verdict)) + ",\"name\":" + JsonQuote(item->name) +
           ",\"where\":" + JsonQuote(item->where) + ",\"detail\":" + JsonQuote(item->detail) +
           ",\"reason\":" + JsonQuote(item->reason) + "}";
}

void PrintItem(const TevCheckItem* item, void* context) {
    auto* tally = static_cast<Tally*>(context);
    if (item->verdict >= 0 && item->verdict <= 2) tally->lines[item->verdict]++;
    if (item->verdict == TEV_CHECK_RESTORE && (item->subject == TEV_CHECK_PLUGIN || item->subject == TEV_CHECK_DLL))
        tally->restoredFiles++;
    if (tally->json) {
        tally->items += (tally->items.empty() ? "\n  " : ",\n  ") + JsonItem(item);
        return;
    }
    std::printf("%-12s %-7s %s\n", SubjectText(item->subject), VerdictText(item->verdict), item->name);
    if (item->where[0] && std::string_view(item->where) != item->name) std::printf("%21s found: %s\n", "", item->where);
    if (item->detail[0]) std::printf("%21s %s\n", "", item->detail);
    if (item->reason[0]) std::printf("%21s why: %s\n", "", item->reason);
}

// The summary line and the exit status of a check whose worst verdict is `worst`.
int Verdict(int worst, const Tally& tally, std::string& summary) {
    if (worst == TEV_CHECK_OK) {
        summary = "a run loads everything as installed";
        return kPlayerOk;
    }
    if (worst == TEV_CHECK_RESTORE) {
        summary =
            "a run first restores " + std::to_string(tally.restoredFiles) + " file" +
            (tally.restoredFiles == 1 ? "" : "s") +
            " the project carries; nothing else fails, and what needs them can be checked once they are in "
            "place";
        return kPlayerCheckRestores;
    }
    if (worst < 0) {
        summary = "the engine cannot check projects before it has started";
        return kPlayerCheckFails;
    }
    const int failed = tally.lines[TEV_CHECK_FAILED];
    summary = std::to_string(failed) + " thing" + (failed == 1 ? "" : "s") + " a run would not load";
    return kPlayerCheckFails;
}

void PrintJson(const char* projectPath, int status, const std::string& summary, const Tally& tally) {
    using toolengine::JsonQuote;
    std::printf(
        "{\"project\":%s,\"exitStatus\":%d,\"summary\":%s,\"counts\":{\"ok\":%d,\"restore\":%d,"
        "\"fails\":%d},\"items\":[%s\n]}\n",
        JsonQuote(projectPath).c_str(), status, JsonQuote(summary).c_str(), tally.lines[TEV_CHECK_OK],
        tally.lines[TEV_CHECK_RESTORE], tally.lines[TEV_CHECK_FAILED], tally.items.c_str());
}

void ExplainItem(const TevCheckItem* item, void*) {
    if (item->verdict != TEV_CHECK_FAILED) return;
    std::fprintf(stderr, "vantor-player: %s %s fails", SubjectText(item->subject), item->name);
    if (item->where[0] && std::string_view(item->where) != item->name)
        std::fprintf(stderr, " (%s)", item->where);
    std::fprintf(stderr, ": %s\n", item->reason[0] ? item->reason : item->detail);
}

}  // namespace

int RunCheck(EngineControl* control, const char* projectPath, bool json) {
    if (!json) std::printf("vantor-player: checking %s without running it\n", projectPath);
    Tally tally;
    tally.json = json;
    const int worst = TevCheckProject(control, projectPath, &PrintItem, &tally);
    std::string summary;
    const int status = Verdict(worst, tally, summary);
    if (json)
        PrintJson(projectPath, status, summary, tally);
    else
        std::printf("vantor-player: check: %s\n", summary.c_str());
    return status;
}

void ExplainFailedLoad(EngineControl* control, const char* projectPath) {
    struct stat info = {};
    if (stat(projectPath, &info) != 0) {
        std::fprintf(stderr, "vantor-player: cannot read the project %s: %s\n", projectPath,
                     std::strerror(errno));
        return;
    }
    std::fprintf(stderr, "vantor-player: why %s did not load, as a check finds it:\n", projectPath);
    TevCheckProject(control, projectPath, &ExplainItem, nullptr);
}
