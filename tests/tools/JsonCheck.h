// The programs' --json output read by an independent reader: the text must be one well-formed
// JSON value, and each check (a Python expression on the parsed value `d`) must hold, as
// python3's json module reads it.
//
// A Windows test under wine cannot use the Linux python3: wine starts it without a process
// handle to wait on and without the standard streams it was given. There only the syntax is
// checked; the values come from the same code on both systems, and the Linux build checks them.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "JsonSyntax.h"
#include "support/ChildProcess.h"
#include "support/LoaderSupport.h"

namespace tooltest {

// "" when the text parses and every check holds; otherwise what went wrong. `dir` takes the
// files python3 needs.
inline std::string JsonProblems(const std::string& text, const std::vector<std::string>& checks,
                                const std::string& dir) {
    const std::string syntax = JsonSyntax::Problem(text);
    if (!syntax.empty()) return syntax + " in: " + text;
#ifdef _WIN32
    (void)checks;
    (void)dir;
    return "";
#else
    const std::string data = dir + "/json-check.json";
    const std::string script = dir + "/json-check.py";
    std::ofstream(data, std::ios::binary) << text;
    std::string body = "import json,sys\nd=json.load(open(sys.argv[1]))\n";
    for (const std::string& check : checks) body += "assert " + check + ", r\"\"\"" + check + "\"\"\"\n";
    std::ofstream(script, std::ios::binary) << body;
    tarnwell_test::ChildOptions options;
    options.output = dir + "/json-check.out";
    const int code = tarnwell_test::RunChild({"/usr/bin/env", "python3", script, data}, options, 60000);
    return code == 0 ? "" : tarnwell_test::ReadBinaryFile(options.output) + "in: " + text;
#endif
}

}  // namespace tooltest
