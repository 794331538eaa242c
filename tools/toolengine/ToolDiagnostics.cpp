#include "ToolDiagnostics.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include "DebugMessages.h"
#include "TarnwellHost.h"

namespace toolengine {

const char kDiagnosticsUsage[] =
    "  --verbose            the engine's messages on standard error as they happen\n"
    "  --log FILE           the engine's messages appended to FILE (error.log needs the registry\n"
    "                       value \"WriteErrorLog\"; these two work without it)\n"
    "  --version            the package version and the engine interface version\n";

namespace {

const char* const kTypeLabels[] = {"debug",     "error",        "info",      "message",
                                   "user info", "user warning", "user error"};

// Kernel texts whose wording the kernel keeps, but whose type misleads a reader: the host
// shows them with the label they deserve and says what they mean.
struct Explained {
    int type;
    const char* start;
    const char* label;
    const char* meaning;
};
const Explained kExplained[] = {
    {TEV_MESSAGE_ERROR, "Libraries loaded : ", "info", " (plug-in libraries this run loaded; not an error)"},
};

const Explained* ExplanationOf(int type, const char* text) {
    for (const Explained& known : kExplained)
        if (known.type == type && std::strncmp(text, known.start, std::strlen(known.start)) == 0)
            return &known;
    return nullptr;
}

std::string Stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

std::string VersionLine(const char* program) {
    return std::string(program) + " " + VANTOR_PACKAGE_VERSION + " (engine interface " +
           std::to_string(TevEngineInterfaceVersion()) + ")";
}

bool PrintVersion(int argc, char** argv, const char* program) {
    if (argc < 2 || std::strcmp(argv[1], "--version") != 0) return false;
    std::printf("%s\n", VersionLine(program).c_str());
    return true;
}

Diagnostics::~Diagnostics() {
    if (log) std::fclose(log);
}

bool Diagnostics::TakeOption(int argc, char** argv, int& index, std::string& error) {
    const std::string argument = argv[index];
    if (argument == "--verbose") return verbose = true;
    if (argument.compare(0, 6, "--log=") == 0) {
        logPath = argument.substr(6);
    } else if (argument == "--log") {
        if (index + 1 < argc) logPath = argv[++index];
    } else {
        return false;
    }
    if (logPath.empty()) error = "--log needs a file";
    return true;
}

bool Diagnostics::Open(std::string& error) {
    if (logPath.empty() || log) return true;
    log = std::fopen(logPath.c_str(), "ab");  // "\n" line ends on every system
    if (log) return true;
    error = "cannot write the log file " + logPath + ": " + std::strerror(errno);
    return false;
}

void Diagnostics::OnKernelMessage(int type, const char* text, void* context) {
    static_cast<Diagnostics*>(context)->Note(type, text);
}

void Diagnostics::Note(int type, const char* text) {
    if (!Active() || !text || !text[0]) return;
    const Explained* explained = ExplanationOf(type, text);
    const char* label = explained                                     ? explained->label
                        : type >= 0 && type <= TEV_MESSAGE_USER_ERROR ? kTypeLabels[type]
                                                                      : "message";
    const char* meaning = explained ? explained->meaning : "";
    std::lock_guard<std::mutex> guard(lock);
    if (verbose) std::fprintf(stderr, "%s: engine %s: %s%s\n", program, label, text, meaning);
    if (log) {
        std::fprintf(log, "%s %s: %s%s\n", Stamp().c_str(), label, text, meaning);
        std::fflush(log);
    }
}

}  // namespace toolengine
