#include "channel/KeptBlocks.h"

#include <cstring>

#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "format/LittleEndian.h"
#include "format/TagFormat.h"

namespace {

using tagformat::kWordSize;
using tagformat::WordKind;

// A walk over the stream form: the tag at `at`, then its blocks.
struct Walk {
    const unsigned char* data;
    size_t size;
    size_t at = 0;

    bool NextTag(const unsigned char*& tag) {
        if (tagformat::ClassifyWord(data, size, at) != WordKind::Tag) return false;
        tag = data + at;
        at += kWordSize;
        return true;
    }
    bool NextBlock(const unsigned char*& block, size_t& blockSize) {
        if (tagformat::ClassifyWord(data, size, at) != WordKind::Size) return false;
        blockSize = littleendian::Get32(data + at);
        block = data + at + kWordSize;
        at += kWordSize + blockSize;
        return true;
    }
};

}  // namespace

void KeptBlocks::Capture(TevFileLoader& loader, EndTag end) {
    loader.SkipCurrentTag();
    char tag[kWordSize + 1] = {0};
    while (loader.GetTagData(tag) && !end(tag) && loader.GetInfoIfTag(tag)) {
        bytes.insert(bytes.end(), tag, tag + kWordSize);
        CaptureBlocks(loader);
    }
}

// A block of size 0 and no block at all look alike to GetSizeDataBlock; only the copy tells.
void KeptBlocks::CaptureBlocks(TevFileLoader& loader) {
    for (;;) {
        const unsigned long size = loader.GetSizeDataBlock(false);
        const size_t at = bytes.size();
        bytes.resize(at + kWordSize + size);
        littleendian::Put32(bytes.data() + at, static_cast<uint32_t>(size));
        if (!loader.CopyTagDataToBuffer(size ? bytes.data() + at + kWordSize : nullptr, size)) {
            bytes.resize(at);
            return;
        }
    }
}

void KeptBlocks::Write(TevFileSaver& saver) const {
    Walk walk{bytes.data(), bytes.size()};
    const unsigned char* tag;
    while (walk.NextTag(tag)) {
        char text[kWordSize + 1] = {0};
        std::memcpy(text, tag, kWordSize);
        saver.SaveTag(text);
        const unsigned char* block;
        size_t size;
        while (walk.NextBlock(block, size)) {
            saver.SaveBlockSize(static_cast<unsigned long>(size));
            if (size > 0) saver.SaveDataToFile(block, static_cast<unsigned long>(size));
        }
    }
}

bool KeptBlocks::FindText(const char* wanted, std::string& text) const {
    Walk walk{bytes.data(), bytes.size()};
    const unsigned char* tag;
    const unsigned char* block;
    size_t size;
    while (walk.NextTag(tag)) {
        if (std::memcmp(tag, wanted, kWordSize) == 0) {
            if (!walk.NextBlock(block, size)) return false;  // the tag alone
            const char* chars = reinterpret_cast<const char*>(block);
            text.assign(chars, strnlen(chars, size));
            return true;
        }
        while (walk.NextBlock(block, size)) {
        }
    }
    return false;
}

void KeptBlocks::VisitTags(const TagVisitor& visit) {
    Walk walk{bytes.data(), bytes.size()};
    const unsigned char* tag;
    while (walk.NextTag(tag)) {
        const unsigned char* block = nullptr;
        size_t size = 0;
        const bool hasBlock = walk.NextBlock(block, size);
        if (!visit(reinterpret_cast<const char*>(tag), hasBlock ? const_cast<unsigned char*>(block) : nullptr,
                   size))
            return;
        while (hasBlock && walk.NextBlock(block, size)) {
        }
    }
}
