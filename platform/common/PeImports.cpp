#include "platform/common/PeImports.h"

#include <cstdint>

namespace platform {

namespace {

// Offsets of the headers' fields this reader needs (the file format's own layout).
constexpr size_t kDosHeaderSize = 0x40;
constexpr size_t kNtHeadersOffsetField = 0x3C;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionCountField = 2;
constexpr size_t kOptionalHeaderSizeField = 16;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr size_t kDirectoryCountFieldPe32 = 92;
constexpr size_t kDirectoryCountFieldPe32Plus = 108;
constexpr size_t kDirectoryEntrySize = 8;
constexpr uint32_t kImportDirectoryIndex = 1;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kImportDescriptorSize = 20;
constexpr size_t kImportNameField = 12;
// Beyond these a file is not a module any loader would take.
constexpr uint32_t kMostDescriptors = 4096;
constexpr size_t kLongestName = 260;

class PeFile {
public:
    PeFile(const unsigned char* bytes, size_t size) : bytes(bytes), size(size) {}

    bool Fits(size_t at, size_t length) const { return at <= size && length <= size - at; }

    uint32_t Read(size_t at, size_t length) const {
        uint32_t value = 0;
        for (size_t i = length; i-- > 0;) value = (value << 8) | bytes[at + i];
        return value;
    }

    // Reads the headers; false when the bytes are no module file of either word size.
    bool ReadHeaders() {
        if (!Fits(0, kDosHeaderSize) || bytes[0] != 'M' || bytes[1] != 'Z') return false;
        const size_t nt = Read(kNtHeadersOffsetField, 4);
        if (!Fits(nt, 4 + kFileHeaderSize)) return false;
        if (Read(nt, 4) != 0x00004550) return false;  // "PE\0\0"
        const size_t fileHeader = nt + 4;
        sectionCount = Read(fileHeader + kSectionCountField, 2);
        const size_t optionalSize = Read(fileHeader + kOptionalHeaderSizeField, 2);
        const size_t optional = fileHeader + kFileHeaderSize;
        sections = optional + optionalSize;
        if (!Fits(optional, optionalSize) || !Fits(sections, sectionCount * kSectionHeaderSize)) return false;
        return ReadImportDirectory(optional, optionalSize);
    }

    // The file offset of an address relative to the image, through the section table; false
    // when no section's stored bytes hold it.
    bool Offset(uint32_t rva, size_t& offset) const {
        for (size_t i = 0; i < sectionCount; i++) {
            const size_t header = sections + i * kSectionHeaderSize;
            const uint32_t address = Read(header + 12, 4);
            const uint32_t rawSize = Read(header + 16, 4);
            const uint32_t rawStart = Read(header + 20, 4);
            if (rva < address || rva - address >= rawSize) continue;
            offset = size_t{rawStart} + (rva - address);
            return offset < size;
        }
        return false;
    }

    // The terminated text at offset, or "" when it runs past the bytes or is no plain name.
    std::string Name(size_t offset) const {
        std::string name;
        for (size_t at = offset; at < size && name.size() <= kLongestName; at++) {
            const unsigned char c = bytes[at];
            if (c == 0) return name;
            if (c < 0x20 || c > 0x7E) return std::string();
            name += static_cast<char>(c);
        }
        return std::string();
    }

    uint32_t importRva = 0;

private:
    bool ReadImportDirectory(size_t optional, size_t optionalSize) {
        if (optionalSize < 2) return false;
        const uint32_t magic = Read(optional, 2);
        size_t countField = 0;
        if (magic == kMagicPe32)
            countField = kDirectoryCountFieldPe32;
        else if (magic == kMagicPe32Plus)
            countField = kDirectoryCountFieldPe32Plus;
        else
            return false;
        if (optionalSize < countField + 4) return false;
        const uint32_t count = Read(optional + countField, 4);
        const size_t entry = countField + 4 + kImportDirectoryIndex * kDirectoryEntrySize;
        if (count <= kImportDirectoryIndex || optionalSize < entry + kDirectoryEntrySize) return false;
        importRva = Read(optional + entry, 4);
        return importRva != 0;
    }

    const unsigned char* bytes;
    size_t size;
    size_t sectionCount = 0;
    size_t sections = 0;
};

}  // namespace

std::vector<std::string> PeImportedModules(const unsigned char* bytes, size_t size) {
    std::vector<std::string> names;
    PeFile file(bytes, size);
    if (!bytes || !file.ReadHeaders()) return names;
    for (uint32_t i = 0; i < kMostDescriptors; i++) {
        size_t descriptor = 0;
        const uint64_t rva = uint64_t{file.importRva} + uint64_t{i} * kImportDescriptorSize;
        if (rva > UINT32_MAX || !file.Offset(static_cast<uint32_t>(rva), descriptor)) break;
        if (!file.Fits(descriptor, kImportDescriptorSize)) break;
        const uint32_t nameRva = file.Read(descriptor + kImportNameField, 4);
        if (nameRva == 0) break;  // the table's terminating entry
        size_t nameOffset = 0;
        if (!file.Offset(nameRva, nameOffset)) break;
        const std::string name = file.Name(nameOffset);
        if (name.empty()) break;
        names.push_back(name);
    }
    return names;
}

}  // namespace platform
