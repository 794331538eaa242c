#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/Text.h"

namespace {

std::string Gcvt(double value, int digits) {
    char buffer[128];
    return platform::Gcvt(value, digits, buffer, sizeof buffer);
}

TEST(PlatformGcvt, KeepsThePointAndDropsTrailingZeros) {
    EXPECT_EQ(Gcvt(42, 50), "42.");
    EXPECT_EQ(Gcvt(7, 50), "7.");
    EXPECT_EQ(Gcvt(0, 50), "0.");
    EXPECT_EQ(Gcvt(-3, 10), "-3.");
    EXPECT_EQ(Gcvt(0.5, 50), "0.5");
    EXPECT_EQ(Gcvt(1.25f, 5), "1.25");
    EXPECT_EQ(Gcvt(3.14159265, 5), "3.1416");
    EXPECT_EQ(Gcvt(1234.5, 10), "1234.5");
    EXPECT_EQ(Gcvt(4294967295.0, 50), "4294967295.");
    EXPECT_EQ(Gcvt(0.0001, 10), "0.0001");
}

TEST(PlatformGcvt, SwitchesToExponentFormForLargeAndSmallMagnitudes) {
    EXPECT_EQ(Gcvt(123456, 5), "1.2346e+05");
    EXPECT_EQ(Gcvt(99999.5, 5), "1.e+05");  // rounding carries into the exponent
    EXPECT_EQ(Gcvt(12345, 5), "12345.");
    EXPECT_EQ(Gcvt(1e20, 10), "1.e+20");
    EXPECT_EQ(Gcvt(-2.5e-7, 10), "-2.5e-07");
    EXPECT_EQ(Gcvt(1e-300, 5), "1.e-300");
    EXPECT_EQ(Gcvt(1e20, 50), "100000000000000000000.");
    // 50 digits print the double's exact decimal expansion (no invented digits past it).
    EXPECT_EQ(Gcvt(0.1, 50), "0.1000000000000000055511151231257827021181583404541");
}

TEST(PlatformGcvt, NonFiniteValuesAndTinyBuffersStayTerminated) {
    EXPECT_EQ(Gcvt(std::numeric_limits<double>::infinity(), 10), "inf");
    EXPECT_EQ(Gcvt(-std::numeric_limits<double>::infinity(), 10), "-inf");
    EXPECT_EQ(Gcvt(std::nan(""), 10), "nan");
    char small[4];
    EXPECT_STREQ(platform::Gcvt(123456.0, 10, small, sizeof small), "123");
}

TEST(PlatformItoa, WritesDecimalWithSignAndOtherBasesAsBitPatterns) {
    char buffer[40];
    EXPECT_STREQ(platform::Itoa(7, buffer, sizeof buffer, 10), "7");
    EXPECT_STREQ(platform::Itoa(-2147483647 - 1, buffer, sizeof buffer, 10), "-2147483648");
    EXPECT_STREQ(platform::Itoa(255, buffer, sizeof buffer, 16), "ff");
    EXPECT_STREQ(platform::Itoa(-1, buffer, sizeof buffer, 16), "ffffffff");
    EXPECT_STREQ(platform::Itoa(5, buffer, sizeof buffer, 2), "101");
    EXPECT_STREQ(platform::Itoa(5, buffer, sizeof buffer, 1), "");
    char small[3];
    EXPECT_STREQ(platform::Itoa(12345, small, sizeof small, 10), "12");
}

TEST(PlatformCase, ConvertsNarrowAndWideTextInPlace) {
    char narrow[] = "Mixed Case 123 \xC4";
    EXPECT_STREQ(platform::StrLwr(narrow), "mixed case 123 \xC4");
    EXPECT_STREQ(platform::StrUpr(narrow), "MIXED CASE 123 \xC4");
    unsigned short wide[] = {'a', 'B', 0x00E4, 'z', 0};
    platform::WcsUpr(wide);
    EXPECT_EQ(wide[0], 'A');
    EXPECT_EQ(wide[2], 0x00E4);
    platform::WcsLwr(wide);
    EXPECT_EQ(wide[1], 'b');
    EXPECT_EQ(platform::WcsLen(wide), 4u);
    EXPECT_EQ(platform::StrLwr(nullptr), nullptr);
}

TEST(PlatformCase, ComparesAndSearchesIgnoringCase) {
    EXPECT_EQ(platform::StrICmp("Group.CGR", "group.cgr"), 0);
    EXPECT_LT(platform::StrICmp("abc", "ABD"), 0);
    EXPECT_GT(platform::StrICmp("abcd", "ABC"), 0);
    EXPECT_EQ(platform::StrNICmp("PoolName1", "poolname2", 8), 0);
    EXPECT_NE(platform::StrNICmp("PoolName1", "poolname2", 9), 0);
    const char* text = "C:\\Vantor\\Channels\\x.dll";
    EXPECT_EQ(platform::StrStrI(text, "channels"), text + 10);
    EXPECT_EQ(platform::StrStrI(text, "missing"), nullptr);
    EXPECT_EQ(platform::StrStrI(text, ""), nullptr);
    EXPECT_EQ(platform::StrStrI(nullptr, "x"), nullptr);
}

std::string Canonical(const char* path, size_t size = 260) {
    char out[260];
    if (!platform::PathCanonicalize(out, size, path)) return "<failed>";
    return out;
}

TEST(PlatformPathCanonicalize, RemovesDotAndDotDotElements) {
    EXPECT_EQ(Canonical("C:\\vantor\\groups\\..\\project\\.\\start.cgr"), "C:\\vantor\\project\\start.cgr");
    EXPECT_EQ(Canonical("/home/u/vantor\\groups\\..\\x.cgr"), "/home/u/vantor\\x.cgr");
    EXPECT_EQ(Canonical("/a/b/../../../c"), "/c");  // ".." never climbs above the root
    EXPECT_EQ(Canonical("a\\..\\..\\b"), "b");
    EXPECT_EQ(Canonical("C:\\a\\b\\"), "C:\\a\\b\\");
    EXPECT_EQ(Canonical("C:\\a\\b\\.."), "C:\\a");
    EXPECT_EQ(Canonical("/a//b/./"), "/a/b/");
    EXPECT_EQ(Canonical("/.."), "/");
    EXPECT_EQ(Canonical("/abcdef/x", 5), "<failed>");
}

TEST(PlatformBoundedText, CopiesAndAppendsAlwaysTerminated) {
    char buffer[8];
    EXPECT_TRUE(platform::CopyText(buffer, sizeof buffer, "1234567"));
    EXPECT_FALSE(platform::AppendText(buffer, sizeof buffer, "89"));
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_FALSE(platform::CopyText(buffer, sizeof buffer, "123456789"));
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_TRUE(platform::CopyText(buffer, sizeof buffer, nullptr));
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(platform::CopyTextN(buffer, sizeof buffer, "abcdef", 3));
    EXPECT_STREQ(buffer, "abc");
    EXPECT_TRUE(platform::AppendText(buffer, sizeof buffer, "de"));
    EXPECT_STREQ(buffer, "abcde");
    char unterminated[4] = {'x', 'y', 'z', 'w'};
    EXPECT_FALSE(platform::AppendText(unterminated, sizeof unterminated, "q"));
    EXPECT_EQ(unterminated[3], '\0');
}

}  // namespace
