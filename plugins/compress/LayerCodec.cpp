#include "LayerCodec.h"

#include <zlib.h>

#include <algorithm>
#include <new>

#include "format/CompressedLayerFormat.h"
#include "format/LittleEndian.h"
#include "format/TagFormat.h"

namespace layer = compressedlayer;

namespace {

// Output grows by this much at least, so that memory follows what the stream really holds
// instead of what it claims.
constexpr size_t kFirstOutput = 1 << 20;

void PutWord(std::vector<char>& out, uint32_t value) {
    unsigned char word[tagformat::kWordSize];
    littleendian::Put32(word, value);
    out.insert(out.end(), word, word + sizeof(word));
}

void PutTag(std::vector<char>& out, const char* tag) {
    out.insert(out.end(), tag, tag + tagformat::kWordSize);
}

// Keeps the stream's state released on every way out.
struct Inflater {
    Inflater() : stream() { ready = inflateInit(&stream) == Z_OK; }
    ~Inflater() {
        if (ready) inflateEnd(&stream);
    }
    z_stream stream;
    bool ready;
};

struct Deflater {
    explicit Deflater(int level) : stream() { ready = deflateInit(&stream, level) == Z_OK; }
    ~Deflater() {
        if (ready) deflateEnd(&stream);
    }
    z_stream stream;
    bool ready;
};

const unsigned char* Bytes(const char* data) { return reinterpret_cast<const unsigned char*>(data); }

// The declared size, checked against the limits before any output is made.
bool ReadRecord(const char* block, size_t size, uint32_t& plainSize, std::string& why) {
    if (size < layer::kStreamAt) {
        why = "the layer ends before its record";
        return false;
    }
    const uint32_t version = littleendian::Get32(Bytes(block) + layer::kVersionAt);
    if (version != layer::kVersion) {
        why = "layer version " + std::to_string(version) + ", this plug-in reads version " +
              std::to_string(layer::kVersion);
        return false;
    }
    plainSize = littleendian::Get32(Bytes(block) + layer::kPlainSizeAt);
    const uint64_t streamSize = size - layer::kStreamAt;
    if (plainSize > layer::kMaxPlainSize || plainSize > streamSize * layer::kMaxExpansion) {
        why = "declared size " + std::to_string(plainSize) + " impossible for " + std::to_string(streamSize) +
              " compressed bytes";
        return false;
    }
    return true;
}

bool Grow(std::vector<char>& plain, size_t made, uint32_t plainSize) {
    const size_t wanted = std::min<size_t>(plainSize, std::max(kFirstOutput, made * 2));
    try {
        plain.resize(wanted);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::string StreamError(const z_stream& stream, int result) {
    if (result == Z_MEM_ERROR) return "out of memory";
    return std::string("damaged data: ") + (stream.msg ? stream.msg : "zlib error " + std::to_string(result));
}

}  // namespace

namespace layercodec {

bool Compress(const char* plain, size_t size, int level, std::vector<char>& layered, std::string& why) {
    if (size > layer::kMaxPlainSize) {
        why = "the group is larger than " + std::to_string(layer::kMaxPlainSize) + " bytes";
        return false;
    }
    Deflater deflater(level);
    if (!deflater.ready) {
        why = "compression could not start";
        return false;
    }
    const size_t bound = deflateBound(&deflater.stream, static_cast<uLong>(size));
    const size_t head = 2 * tagformat::kWordSize + littleendian::kGuidSize + 2 * tagformat::kWordSize;
    try {
        layered.assign(head + layer::kStreamAt + bound, 0);
    } catch (const std::bad_alloc&) {
        why = "out of memory";
        return false;
    }
    z_stream& stream = deflater.stream;
    stream.next_in = const_cast<Bytef*>(Bytes(plain));
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = reinterpret_cast<Bytef*>(layered.data() + head + layer::kStreamAt);
    stream.avail_out = static_cast<uInt>(bound);
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
        why = StreamError(stream, Z_STREAM_ERROR);
        return false;
    }
    const size_t blockSize = layer::kStreamAt + stream.total_out;
    if (blockSize > tagformat::kMaxBlockSize) {
        why = "the compressed group is larger than a block may be";
        return false;
    }
    std::vector<char> front;
    PutTag(front, tagformat::kTranslatorTag);
    PutWord(front, littleendian::kGuidSize);
    unsigned char guid[littleendian::kGuidSize];
    littleendian::PutGuid(guid, layer::kTranslatorGuid);
    front.insert(front.end(), guid, guid + sizeof(guid));
    PutTag(front, layer::kLayer);
    PutWord(front, static_cast<uint32_t>(blockSize));
    PutWord(front, layer::kVersion);
    PutWord(front, static_cast<uint32_t>(size));
    std::copy(front.begin(), front.end(), layered.begin());
    layered.resize(head + blockSize);
    return true;
}

bool Expand(const char* block, size_t size, std::vector<char>& plain, std::string& why) {
    uint32_t plainSize = 0;
    if (!ReadRecord(block, size, plainSize, why)) return false;
    Inflater inflater;
    if (!inflater.ready) {
        why = "decompression could not start";
        return false;
    }
    z_stream& stream = inflater.stream;
    stream.next_in = const_cast<Bytef*>(Bytes(block + layer::kStreamAt));
    stream.avail_in = static_cast<uInt>(size - layer::kStreamAt);
    plain.clear();
    char probe = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        const size_t made = stream.total_out;
        if (made == plain.size() && made < plainSize && !Grow(plain, made, plainSize)) {
            why = "out of memory";
            return false;
        }
        // Full at the declared size: one byte of room more tells a longer stream from one
        // that ends here.
        char* room = made < plain.size() ? plain.data() + made : &probe;
        stream.next_out = reinterpret_cast<Bytef*>(room);
        stream.avail_out = static_cast<uInt>(made < plain.size() ? plain.size() - made : 1);
        result = inflate(&stream, Z_NO_FLUSH);
        if (stream.total_out > plainSize) {
            why = "more data than the declared " + std::to_string(plainSize) + " bytes";
            return false;
        }
    }
    if (result == Z_BUF_ERROR) {
        why = "the compressed data ends early";
        return false;
    }
    if (result != Z_STREAM_END) {
        why = StreamError(stream, result);
        return false;
    }
    if (stream.total_out != plainSize) {
        why = "less data than the declared " + std::to_string(plainSize) + " bytes";
        return false;
    }
    if (stream.avail_in != 0) {
        why = "bytes after the compressed data";
        return false;
    }
    plain.resize(plainSize);
    return true;
}

}  // namespace layercodec
