// vantor-player: starts the engine, loads a project, runs frames, shuts the engine down.
#include <cstdio>
#include <string>

#include "Player.h"
#include "PlayerOptions.h"
#include "StandardStreams.h"

int main(int argc, char** argv) {
    toolengine::PlainStandardStreams();
    PlayerOptions options;
    std::string error;
    if (!ParsePlayerOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vantor-player: %s\n%s", error.c_str(), PlayerUsage());
        return kPlayerBadCommandLine;
    }
    if (options.help) {
        std::fputs(PlayerUsage(), stdout);
        return kPlayerOk;
    }
    // Progress lines appear at once, also in pipes. Windows' C runtime takes line buffering for
    // full buffering (and refuses it without a size): there, no buffering.
#ifdef _WIN32
    std::setvbuf(stdout, nullptr, _IONBF, 0);
#else
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
#endif
    InstallStopSignals();
    return RunPlayer(options);
}
