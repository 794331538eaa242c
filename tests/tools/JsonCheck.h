// python3's json module as the independent reader of the programs' --json output: the text
// must parse, and each check (a Python expression on the parsed value `d`) must hold.
#pragma once

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"

namespace tooltest {

namespace json_check {

// Ends the verdict, so a reader that cannot wait for python3 knows when it is whole.
inline const std::string kEnd = "json-check-end\n";

// The script python3 reads from standard input, the text inside it in hex: no file name or
// quoting has to survive the way to python3.
inline std::string Script(const std::string& text, const std::vector<std::string>& checks) {
    std::string hex;
    for (unsigned char c : text) {
        static const char kDigits[] = "0123456789abcdef";
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    std::string body =
        "import json,sys,traceback\ntry:\n    d=json.loads(bytes.fromhex('" + hex + "').decode('utf-8'))\n";
    for (const std::string& check : checks) body += "    assert " + check + ", r\"\"\"" + check + "\"\"\"\n";
    return body +
           "    said=''\nexcept BaseException:\n    said=traceback.format_exc()\nsys.stdout.write(said+'" +
           kEnd.substr(0, kEnd.size() - 1) + "\\n')\n";
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The Linux python3 along PATH. A Windows test under wine starts it by its Unix path; wine then
// answers no process handle to wait on, so the verdict's end marker tells when it is done.
inline std::vector<std::string> Python() {
#ifdef _WIN32
    return {"/usr/bin/python3", "-"};
#else
    return {"/usr/bin/env", "python3", "-"};
#endif
}

}  // namespace json_check

// "" when the text parses and every check holds; otherwise what python3 said. `dir` takes
// the two files it needs.
inline std::string JsonProblems(const std::string& text, const std::vector<std::string>& checks,
                                const std::string& dir) {
    tarnwell_test::ChildOptions options;
    options.input = dir + "/json-check.py";
    options.output = dir + "/json-check.out";
    std::ofstream(options.input, std::ios::binary) << json_check::Script(text, checks);
    tarnwell_test::ChildProcess python(json_check::Python(), options);
    if (python.Started()) python.Wait(60000);
    std::string said = json_check::ReadText(options.output);
    for (int wait = 0; wait < 600 && said.find(json_check::kEnd) == std::string::npos; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        said = json_check::ReadText(options.output);
    }
    const size_t end = said.find(json_check::kEnd);
    if (end == std::string::npos) return "python3 gave no verdict: " + said + "in: " + text;
    return end == 0 ? "" : said.substr(0, end) + "in: " + text;
}

}  // namespace tooltest
