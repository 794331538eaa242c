// The round trip every vantor-cgr test relies on: dump, build, same bytes, same text.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "TagStream.h"
#include "TextParser.h"
#include "TextWriter.h"

namespace cgrtest {

// Dump, build: the same bytes; and dumping the result gives the same text. Returns the text.
inline std::string ExpectRoundTrip(const tagtext::Bytes& bytes, const std::string& what) {
    std::string text = tagtext::WriteText(tagtext::ReadTagStream(bytes));
    tagtext::TagStream back;
    std::string error;
    EXPECT_TRUE(cgr::ReadText(text, back, error)) << what << ": " << error << "\n" << text;
    tagtext::Bytes rebuilt = tagtext::WriteTagStream(back);
    EXPECT_EQ(rebuilt, bytes) << what << "\n" << text;
    EXPECT_EQ(tagtext::WriteText(tagtext::ReadTagStream(rebuilt)), text) << what;
    return text;
}

}  // namespace cgrtest
