// python3's json module as the independent reader of the programs' --json output: the text
// must parse, and each check (a Python expression on the parsed value `d`) must hold.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace tooltest {

// "" when the text parses and every check holds; otherwise what python3 said. `dir` takes
// the two files it needs.
inline std::string JsonProblems(const std::string& text, const std::vector<std::string>& checks,
                                const std::string& dir) {
    const std::string data = dir + "/json-check.json";
    const std::string script = dir + "/json-check.py";
    std::ofstream(data) << text;
    std::string body = "import json,sys\nd=json.load(open(sys.argv[1]))\n";
    for (const std::string& check : checks) body += "assert " + check + ", r\"\"\"" + check + "\"\"\"\n";
    std::ofstream(script) << body;
    FILE* pipe = popen(("python3 " + script + " " + data + " 2>&1").c_str(), "r");
    if (!pipe) return "python3 did not start";
    std::string said;
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), pipe)) said += buffer;
    return pclose(pipe) == 0 ? "" : said + "in: " + text;
}

}  // namespace tooltest
