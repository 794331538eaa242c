// A host built from `pkg-config --cflags --libs tarnwell` alone: starts an engine in the
// engine directory given and stops it again. Usage: pkgconfig_host <engine dir>
#include <cstdio>

#include "Tarnwell.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pkgconfig_host <engine dir>\n");
        return 2;
    }
    TevEngineHost host;
    if (host.Start(argv[1], "SOFTWARE\\VantorInstallTest", "Install Test") != TEV_HOST_STARTED) {
        std::fprintf(stderr, "pkgconfig_host: %s\n", host.Failure());
        return 1;
    }
    host.Stop();
    std::printf("pkgconfig_host: engine started and stopped in %s\n", argv[1]);
    return 0;
}
