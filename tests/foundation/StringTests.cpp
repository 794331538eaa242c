// Tev_String: the two independent forms and MakeFULLName.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Tev_String.h"

namespace {

std::u16string Wide(const unsigned short* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string(u"<null>");
}

const unsigned short* W(const char16_t* text) { return reinterpret_cast<const unsigned short*>(text); }

std::string FullName(const char* path) {
    char buffer[300];
    std::strcpy(buffer, path);
    Tev_String helper;
    EXPECT_EQ(helper.MakeFULLName(buffer), buffer);
    return buffer;
}

}  // namespace

TEST(OwnedString, EmptyAndNullAreDistinct) {
    Tev_String s;
    EXPECT_EQ(s.GetString(), nullptr);
    s.SetString("");
    ASSERT_NE(s.GetString(), nullptr);
    EXPECT_STREQ(s.GetString(), "");
    s.SetString(nullptr);
    EXPECT_EQ(s.GetString(), nullptr);
    s.AddString("");  // appending empty text to NULL yields empty text
    ASSERT_NE(s.GetString(), nullptr);
    EXPECT_STREQ(s.GetString(), "");
}

TEST(OwnedString, FormsStayIndependent) {
    Tev_String s;
    s.SetString("narrow");
    EXPECT_EQ(s.GetWString(), nullptr);
    s.SetWString(W(u"wide"));
    s.AddString(" text");
    s.AddString(W(u" form"));
    EXPECT_STREQ(s.GetString(), "narrow text");
    EXPECT_EQ(Wide(s.GetWString()), u"wide form");
    s.AddString(static_cast<const char*>(nullptr));
    s.AddString("");
    EXPECT_STREQ(s.GetString(), "narrow text");
}

TEST(OwnedString, SetMaxCarsCutsBothForms) {
    Tev_String s;
    s.SetString("abcdef");
    s.SetWString(W(u"ab"));
    s.SetMaxCars(0);
    EXPECT_STREQ(s.GetString(), "abcdef");
    s.SetMaxCars(3);
    EXPECT_STREQ(s.GetString(), "abc");
    EXPECT_EQ(Wide(s.GetWString()), u"ab");
    s.SetWString(W(u"uvwxyz"));
    s.SetMaxCars(2);
    EXPECT_EQ(Wide(s.GetWString()), u"uv");
}

TEST(OwnedString, CaseConversionTouchesPresentForms) {
    Tev_String s;
    s.SetString("MiXeD 1");
    s.StrLwr();
    EXPECT_STREQ(s.GetString(), "mixed 1");
    EXPECT_EQ(s.GetWString(), nullptr);
    s.SetWString(W(u"abC"));
    s.StrUpr();
    EXPECT_STREQ(s.GetString(), "MIXED 1");
    EXPECT_EQ(Wide(s.GetWString()), u"ABC");
}

TEST(OwnedString, MakeFULLNameKeepsLastComponent) {
    EXPECT_EQ(FullName("c:\\dir\\sub/file.dll"), "file.dll");
    EXPECT_EQ(FullName("/opt/vantor/channels/a.dll"), "a.dll");
    EXPECT_EQ(FullName("name.dll"), "name.dll");
    EXPECT_EQ(FullName("\\name.dll"), "\\name.dll");  // position 0 is never a separator
    EXPECT_EQ(FullName("dir\\"), "");
    EXPECT_EQ(FullName(""), "");
}

TEST(OwnedString, SettingItsOwnTextBackKeepsIt) {
    Tev_String s;
    s.SetString("groups/main.cgr");
    s.SetString(s.GetString());
    EXPECT_STREQ(s.GetString(), "groups/main.cgr");
    s.SetWString(W(u"wide"));
    s.SetWString(s.GetWString());
    EXPECT_EQ(Wide(s.GetWString()), u"wide");
}
