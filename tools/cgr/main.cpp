// vantor-cgr: group files (and every other tagged stream) as text and back.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "TagStream.h"
#include "TextParser.h"
#include "TextWriter.h"

namespace {

enum ExitCode { kOk = 0, kBadContent = 1, kBadCommandLine = 2, kIoError = 3 };

const char kUsage[] =
    "usage: vantor-cgr dump [--strict] FILE.cgr      print the file as text (FILE - reads stdin)\n"
    "       vantor-cgr build FILE.txt -o FILE.cgr    write the text back as the binary file\n"
    "                                                (FILE.txt - reads stdin, -o - writes stdout)\n"
    "dump keeps bytes it cannot frame as a 'trailing' line and warns; --strict makes that an error.\n"
    "Exit status: 0 done, 1 damaged file or bad text, 2 bad command line, 3 file not readable or writable.\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "vantor-cgr: %s\n%s", problem.c_str(), kUsage);
    return kBadCommandLine;
}

bool ReadInput(const std::string& path, std::string& bytes) {
    if (path == "-") {
        std::ostringstream all;
        all << std::cin.rdbuf();
        bytes = all.str();
        return !std::cin.bad();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteStdout(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

// Through a temporary beside the target, so a failed write never leaves half a file.
bool WriteOutput(const std::string& path, const std::string& bytes) {
    if (path == "-") return WriteStdout(bytes);
    std::string temporary = path + ".vantor-cgr-XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = close(fd) == 0 && ok;
    // mkstemp creates 0600: a replaced file keeps its permissions, a new one gets the usual ones.
    struct stat existing;
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = stat(path.c_str(), &existing) == 0 ? existing.st_mode & 07777 : 0666 & ~mask;
    ok = ok && chmod(temporary.c_str(), mode) == 0 && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) unlink(temporary.c_str());
    return ok;
}

int Dump(int argc, char** argv) {
    bool strict = false;
    std::string path;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--strict") {
            strict = true;
        } else if (path.empty() && (arg == "-" || arg[0] != '-')) {
            path = arg;
        } else {
            return Usage("dump: unexpected argument '" + arg + "'");
        }
    }
    if (path.empty()) return Usage("dump: which file?");
    std::string bytes;
    if (!ReadInput(path, bytes)) {
        std::fprintf(stderr, "vantor-cgr: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
        return kIoError;
    }
    cgr::TagStream stream = cgr::ReadTagStream(bytes);
    if (!stream.damage.empty()) {
        std::fprintf(stderr, "vantor-cgr: %s: %s: %s\n", strict ? "error" : "warning", path.c_str(),
                     stream.damage.c_str());
        if (strict) return kBadContent;
    }
    if (!WriteStdout(cgr::WriteText(stream))) {
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
    if (!ReadInput(input, text)) {
        std::fprintf(stderr, "vantor-cgr: cannot read %s: %s\n", input.c_str(), std::strerror(errno));
        return kIoError;
    }
    cgr::TagStream stream;
    std::string error;
    if (!cgr::ReadText(text, stream, error)) {
        std::fprintf(stderr, "vantor-cgr: %s:%s\n", input.c_str(), error.c_str());
        return kBadContent;
    }
    if (!WriteOutput(output, cgr::WriteTagStream(stream))) {
        std::fprintf(stderr, "vantor-cgr: cannot write %s: %s\n", output.c_str(), std::strerror(errno));
        return kIoError;
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage("which command?");
    std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kUsage, stdout);
        return kOk;
    }
    if (command == "dump") return Dump(argc, argv);
    if (command == "build") return Build(argc, argv);
    return Usage("unknown command '" + command + "'");
}
