// vantor-cgr: group files (and every other tagged stream) as text and back, and groups drawn
// as graphs.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "DotCommand.h"
#include "DumpJson.h"
#include "LayerCommands.h"
#include "LinkCheck.h"
#include "StandardStreams.h"
#include "TagStream.h"
#include "TextParser.h"
#include "TextWriter.h"
#include "ToolDiagnostics.h"
#include "ToolFiles.h"

namespace {

enum ExitCode { kOk = 0, kBadContent = 1, kBadCommandLine = 2, kIoError = 3 };

const char kUsage[] =
    "usage: vantor-cgr dump [--strict] [--json] FILE.cgr\n"
    "                                                print the file as text (FILE - reads stdin),\n"
    "                                                or with --json as one JSON object\n"
    "       vantor-cgr build FILE.txt -o FILE.cgr    write the text back as the binary file\n"
    "                                                (FILE.txt - reads stdin, -o - writes stdout)\n"
    "       vantor-cgr dot FILE.cgr [--svg OUT.svg] [--install-dir DIR] [--registry-key KEY]\n"
    "                          [--verbose] [--log FILE]\n"
    "                                                the group as a Graphviz graph: DOT on stdout,\n"
    "                                                or drawn into OUT.svg by Graphviz's dot\n"
    "       vantor-cgr compress FILE.cgr -o OUT.cgr [--level 1-9] [--install-dir DIR] [--registry-key KEY]\n"
    "                                                write the group compressed (a file compressed\n"
    "                                                already is written as it is)\n"
    "       vantor-cgr decompress FILE.cgr -o OUT.cgr [--install-dir DIR] [--registry-key KEY]\n"
    "                                                write the group plain (a plain one as it is)\n"
    "                                                (FILE - reads stdin, -o - writes stdout)\n"
    "       vantor-cgr --version\n"
    "dump keeps bytes it cannot frame as a 'trailing' line and warns; --strict makes that an error.\n"
    "build warns of links a load would drop: to an index no channel of the file has, or a second\n"
    "link at a position and slot of a channel that another link takes already.\n"
    "dot loads the group in an engine started in DIR (default: the directory of this program), so\n"
    "the group's plug-ins must be installed there.\n"
    "compress and decompress use the writer and translator plug-ins of the engine in DIR (default:\n"
    "the directory of this program); dump reads a compressed file through that engine's translators.\n"
    "Exit status: 0 done, 1 damaged file, bad text or a group the kernel cannot load, 2 bad command\n"
    "line, 3 file not readable or writable or the engine did not start, 4 Graphviz's dot missing.\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "vantor-cgr: %s\n%s%s", problem.c_str(), kUsage, toolengine::kDiagnosticsUsage);
    return kBadCommandLine;
}

int Dump(int argc, char** argv) {
    bool strict = false, json = false;
    std::string path;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--strict") {
            strict = true;
        } else if (arg == "--json") {
            json = true;
        } else if (path.empty() && (arg == "-" || arg[0] != '-')) {
            path = arg;
        } else {
            return Usage("dump: unexpected argument '" + arg + "'");
        }
    }
    if (path.empty()) return Usage("dump: which file?");
    std::string bytes;
    if (!toolfiles::ReadFile(path, bytes)) {
        std::fprintf(stderr, "vantor-cgr: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
        return kIoError;
    }
    if (cgrlayer::HasLayer(bytes)) {
        const int code = cgrlayer::RemoveLayers(path, bytes);
        if (code != kOk) return code;
    }
    tagtext::TagStream stream = tagtext::ReadTagStream(bytes);
    if (!stream.damage.empty()) {
        std::fprintf(stderr, "vantor-cgr: %s: %s: %s\n", strict ? "error" : "warning", path.c_str(),
                     stream.damage.c_str());
        if (strict) return kBadContent;
    }
    if (!toolfiles::WriteFile("-", json ? cgr::DumpJson(path, stream) : tagtext::WriteText(stream))) {
        std::fprintf(stderr, "vantor-cgr: cannot write the text\n");
        return kIoError;
    }
    return kOk;
}

int Build(int argc, char** argv) {
    std::string input, output;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc && output.empty()) {
            output = argv[++i];
        } else if (input.empty() && (arg == "-" || arg[0] != '-')) {
            input = arg;
        } else {
            return Usage("build: unexpected argument '" + arg + "'");
        }
    }
    if (input.empty() || output.empty())
        return Usage("build: needs a text file and -o with the file to write");
    std::string text;
    if (!toolfiles::ReadFile(input, text)) {
        std::fprintf(stderr, "vantor-cgr: cannot read %s: %s\n", input.c_str(), std::strerror(errno));
        return kIoError;
    }
    tagtext::TagStream stream;
    std::string error;
    if (!cgr::ReadText(text, stream, error)) {
        std::fprintf(stderr, "vantor-cgr: %s:%s\n", input.c_str(), error.c_str());
        return kBadContent;
    }
    for (const std::string& warning : cgr::LinkWarnings(stream))
        std::fprintf(stderr, "vantor-cgr: warning: %s: %s\n", input.c_str(), warning.c_str());
    if (!toolfiles::WriteFile(output, tagtext::WriteTagStream(stream))) {
        std::fprintf(stderr, "vantor-cgr: cannot write %s: %s\n", output.c_str(), std::strerror(errno));
        return kIoError;
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    toolengine::PlainStandardStreams();
    if (argc < 2) return Usage("which command?");
    std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kUsage, stdout);
        std::fputs(toolengine::kDiagnosticsUsage, stdout);
        return kOk;
    }
    if (toolengine::PrintVersion(argc, argv, "vantor-cgr")) return kOk;
    if (command == "dump") return Dump(argc, argv);
    if (command == "build") return Build(argc, argv);
    if (command == "compress") return cgrlayer::RunCompress(argc, argv);
    if (command == "decompress") return cgrlayer::RunDecompress(argc, argv);
    if (command == "dot") {
        // Paths the system cannot resolve (a removed working directory) end with a message.
        try {
            return cgrdot::RunDot(argc, argv);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "vantor-cgr: %s\n", error.what());
            return kIoError;
        }
    }
    return Usage("unknown command '" + command + "'");
}
