#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/common/PeImports.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// Where the small module image below keeps its parts.
constexpr size_t kNtHeaders = 0x40;
constexpr size_t kOptionalHeader = kNtHeaders + 24;
constexpr size_t kRawStart = 0x200;
constexpr uint32_t kSectionAddress = 0x1000;
constexpr size_t kImageSize = 0x400;

void Put(Bytes& bytes, size_t at, uint32_t value, size_t length) {
    for (size_t i = 0; i < length; i++) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

void PutText(Bytes& bytes, size_t at, const std::string& text) {
    for (size_t i = 0; i < text.size(); i++) bytes[at + i] = static_cast<unsigned char>(text[i]);
}

size_t SectionTable(bool pe32) { return kOptionalHeader + (pe32 ? 224 : 240); }

// A module image of one section that imports "first.dll" and "second.dll", as a linker lays it
// out for either word size.
Bytes ModuleImage(bool pe32) {
    Bytes bytes(kImageSize, 0);
    PutText(bytes, 0, "MZ");
    Put(bytes, 0x3C, kNtHeaders, 4);
    PutText(bytes, kNtHeaders, std::string("PE\0\0", 4));
    Put(bytes, kNtHeaders + 4, pe32 ? 0x14C : 0x8664, 2);
    Put(bytes, kNtHeaders + 6, 1, 2);                  // sections
    Put(bytes, kNtHeaders + 20, pe32 ? 224 : 240, 2);  // optional header size
    Put(bytes, kOptionalHeader, pe32 ? 0x10B : 0x20B, 2);
    const size_t directories = kOptionalHeader + (pe32 ? 96 : 112);
    Put(bytes, directories - 4, 16, 4);
    Put(bytes, directories + 8, kSectionAddress, 4);  // the import directory
    Put(bytes, directories + 12, 60, 4);
    const size_t section = SectionTable(pe32);
    PutText(bytes, section, ".idata");
    Put(bytes, section + 8, 0x200, 4);
    Put(bytes, section + 12, kSectionAddress, 4);
    Put(bytes, section + 16, 0x200, 4);
    Put(bytes, section + 20, kRawStart, 4);
    Put(bytes, kRawStart + 12, kSectionAddress + 0x100, 4);
    Put(bytes, kRawStart + 20 + 12, kSectionAddress + 0x110, 4);
    PutText(bytes, kRawStart + 0x100, "first.dll");
    PutText(bytes, kRawStart + 0x110, "second.dll");
    return bytes;
}

std::vector<std::string> Imports(const Bytes& bytes) {
    return platform::PeImportedModules(bytes.data(), bytes.size());
}

TEST(PeImports, NamesTheImportedModulesOfEitherWordSize) {
    const std::vector<std::string> both = {"first.dll", "second.dll"};
    EXPECT_EQ(Imports(ModuleImage(false)), both);
    EXPECT_EQ(Imports(ModuleImage(true)), both);
}

// Damaged or foreign files give what can be read soundly, never more.
TEST(PeImports, DamagedFilesGiveWhatIsSound) {
    const size_t section = SectionTable(false);
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        size_t length;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"no module file", 0, 0x457F, 2, {}},
        {"headers beyond the end", 0x3C, kImageSize - 8, 4, {}},
        {"headers far beyond the end", 0x3C, 0xFFFFFFFF, 4, {}},
        {"no module signature", kNtHeaders, 0x4C45, 4, {}},
        {"optional header beyond the end", kNtHeaders + 20, 0xFFFF, 2, {}},
        {"section table beyond the end", kNtHeaders + 6, 0xFFFF, 2, {}},
        {"unknown optional header", kOptionalHeader, 0x107, 2, {}},
        {"no import directory", kOptionalHeader + 108, 1, 4, {}},
        {"section data beyond the end", section + 20, 0xFFFFFF00, 4, {}},
        {"section data larger than the file", section + 16, 0xFFFFFFFF, 4, {"first.dll", "second.dll"}},
        {"name outside every section", kRawStart + 32, 0x9000, 4, {"first.dll"}},
        {"name that is no plain text", kRawStart + 0x110, 0x07, 1, {"first.dll"}},
    };
    for (const Case& c : cases) {
        Bytes bytes = ModuleImage(false);
        Put(bytes, c.at, c.value, c.length);
        EXPECT_EQ(Imports(bytes), c.expected) << c.what;
    }
    EXPECT_TRUE(platform::PeImportedModules(nullptr, 0).empty());

    // Without its terminating entry the table ends with the section's bytes: 25 whole entries,
    // each naming the first module (their name fields miss the name itself).
    Bytes endless = ModuleImage(false);
    for (size_t at = kRawStart + 12; at + 4 <= kImageSize; at += 20)
        Put(endless, at, kSectionAddress + 0x100, 4);
    EXPECT_EQ(Imports(endless), std::vector<std::string>(25, "first.dll"));
}

// A file cut anywhere is read within its bytes only (the sanitizer builds catch a read beyond)
// and names no more than the whole file does.
TEST(PeImports, CutFilesAreReadWithinTheirBytes) {
    const Bytes image = ModuleImage(false);
    const std::vector<std::string> whole = Imports(image);
    for (size_t size = 0; size < image.size(); size++) {
        const Bytes cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
        const std::vector<std::string> names = Imports(cut);
        ASSERT_LE(names.size(), whole.size()) << size;
        EXPECT_TRUE(std::equal(names.begin(), names.end(), whole.begin())) << size;
    }
}

}  // namespace
