// The JSON reader the Windows tests rely on: it takes what the programs write and refuses what
// a JSON reader refuses, a Windows path with unescaped backslashes first of all.
#include <gtest/gtest.h>

#include <string>

#include "JsonSyntax.h"

namespace {

TEST(JsonSyntax, TakesWellFormedValuesAndSaysWhereOthersGoWrong) {
    const struct {
        const char* text;
        const char* problem;  // "" for none
    } cases[] = {
        {"{\"file\":\"C:\\\\dir\\\\a.cgr\",\"n\":[1,-2.5e+3,0],\"t\":true,\"f\":false,\"z\":null,\"u\":"
         "\"\\u00e9\"}\n",
         ""},
        {"  [ ]  ", ""},
        {"{\"file\":\"C:\\dir\"}", "offset 12: expected an escape"},
        {"{\"a\":1,}", "offset 7: expected a string"},
        {"[1 2]", "offset 3: expected ',' or ']'"},
        {"{\"a\" 1}", "offset 5: expected ':'"},
        {"\"line\nbreak\"", "offset 5: expected '\"' or a character"},
        {"[01]", "offset 2: expected ',' or ']'"},
        {"{} {}", "offset 3: expected the end"},
        {"[\"open", "offset 6: expected '\"'"},
        {"", "offset 0: expected a value"},
    };
    for (const auto& c : cases) {
        const std::string problem = tooltest::JsonSyntax::Problem(c.text);
        if (c.problem[0])
            EXPECT_EQ(problem.find(c.problem), 0u) << c.text << " -> " << problem;
        else
            EXPECT_EQ(problem, "") << c.text;
    }
    EXPECT_NE(tooltest::JsonSyntax::Problem(std::string(1000, '[') + std::string(1000, ']')), "");
}

}  // namespace
