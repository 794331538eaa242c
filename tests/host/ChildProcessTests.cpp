// The process runner the player and tool tests start programs with: what a child receives must
// be exactly what the test gave, on both systems (no shell, no quoting left over).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

using namespace tarnwell_test;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string all = text.str();
    // The child writes text: one line end form for the comparison.
    std::string lines;
    for (char c : all)
        if (c != '\r') lines += c;
    return lines;
}

TEST(ChildProcess, ArgumentsEnvironmentStreamsAndExitCodeReachTheChildUnchanged) {
    TempDir dir("tarnwell-child");
    const std::string input = dir.Path() + "/input.txt", output = dir.Path() + "/out.txt",
                      errors = dir.Path() + "/err.txt";
    std::ofstream(input) << "typed\n";
    const std::vector<std::string> awkward = {
        "TARNWELL_CHILD_VALUE", "7",           "two words", "", "quote\"inside",
        "ends in backslash\\",  "C:\\a b\\\\", "*"};
    std::vector<std::string> arguments = {TARNWELL_ECHO_ARGUMENTS};
    arguments.insert(arguments.end(), awkward.begin(), awkward.end());
    ChildOptions options;
    options.environment = {{"TARNWELL_CHILD_VALUE", "set for the child"}};
    options.input = input;
    options.output = output;
    options.errors = errors;

    EXPECT_EQ(RunChild(arguments, options, 60000), 7);
    std::string expected;
    for (const std::string& argument : awkward) expected += argument + "\n";
    EXPECT_EQ(ReadText(output), expected + "set for the child\ntyped\n");
    EXPECT_EQ(ReadText(errors), "error text\n");
    EXPECT_EQ(getenv("TARNWELL_CHILD_VALUE"), nullptr) << "the change is the child's alone";
}

TEST(ChildProcess, MissingProgramDoesNotStart) {
    ChildProcess child({"/nonexistent/program"}, {});
    EXPECT_FALSE(child.Started());
    EXPECT_EQ(RunChild({"/nonexistent/program"}, {}), -1);
}

}  // namespace
