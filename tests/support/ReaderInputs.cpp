#include "support/ReaderInputs.h"

#include <climits>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "ChannelInternal.h"
#include "ChildInfo.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "support/LoaderSupport.h"

namespace fs = std::filesystem;

namespace tarnwell_test {

const char* ReaderName(Reader reader) {
    switch (reader) {
    case Reader::TaggedReader: return "tagged_reader";
    case Reader::ChannelList: return "channel_list";
    case Reader::GroupFile: return "group_file";
    case Reader::Project: return "project";
    }
    return "";
}

TestEngineOptions ReaderEngineOptions(const std::string& installParent) {
    TestEngineOptions options;
    options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
    options.forwardToErrorLog = false;
    options.installParent = installParent;
    return options;
}

namespace {

// ---- the tagged reader ----

// Enough for any walk over the inputs a fuzzer makes, short enough to stay fast.
constexpr size_t kMaxSteps = 4096;
// Steered operations per way in: each may search the whole content.
constexpr size_t kMaxSteered = 256;

// Reads every byte the reader hands out, so a wrong size shows under AddressSanitizer.
unsigned Touch(const char* bytes, unsigned long size) {
    unsigned sum = 0;
    for (unsigned long i = 0; i < size; i++) sum += static_cast<unsigned char>(bytes[i]);
    return sum;
}

// The walk of a typical caller: each tag, each of its blocks copied out. Answers the tags and
// block sizes it met, so two ways into the same bytes can be compared.
std::string WalkAll(TevFileLoader& loader, std::string& problem) {
    std::string seen;
    loader.ResetPosition();
    for (size_t step = 0; step < kMaxSteps && !loader.GetIfEndOfFile(); step++) {
        char tag[8] = {};
        if (!loader.GetTagData(tag)) {
            problem = "GetTagData found no tag before the end of the file";
            break;
        }
        if (!loader.CheckHeader(tag, false) || !loader.GetInfoIfTag(tag)) {
            problem = std::string("the next tag ") + tag + " was not taken";
            break;
        }
        seen += tag;
        for (size_t block = 0; block < kMaxSteps; block++) {
            const unsigned long size = loader.GetSizeDataBlock(false);
            if (size > loader.GetBufferSize()) {
                problem = "a block larger than what is left of the content";
                return seen;
            }
            std::vector<char> data(size);
            if (!loader.CopyTagDataToBuffer(data.data(), size)) break;
            seen += ":" + std::to_string(size) + "/" + std::to_string(Touch(data.data(), size));
        }
        seen += "\n";
    }
    return seen;
}

// Four bytes of the input as a tag argument: mostly tags the file has, sometimes not a tag.
struct Steering {
    const uint8_t* data;
    size_t size;
    size_t cursor = 0;

    uint8_t Next() { return size ? data[cursor++ % size] : 0; }
    void Tag(char* tag) {
        const size_t at = size ? (static_cast<size_t>(Next()) * 4) % size : 0;
        for (size_t i = 0; i < 4; i++) tag[i] = size ? static_cast<char>(data[(at + i) % size]) : 'X';
        tag[4] = 0;
    }
    long Offset() {
        static const long kFar[] = {LONG_MIN, LONG_MAX, -1, 0, 4, 8, 1 << 20, -(1 << 20)};
        const uint8_t choice = Next();
        return choice < 32 ? kFar[choice % 8] : static_cast<long>(static_cast<int8_t>(Next()));
    }
};

// Every read operation in an order the input chooses, each checked against the others.
std::string Steer(TevFileLoader& loader, const uint8_t* data, size_t size) {
    loader.ResetPosition();
    const char* start = loader.GetBuffer();
    const unsigned long total = loader.GetBufferSize();
    const unsigned long crc = loader.GetCRC();
    Steering steer{data, size};
    const size_t steps = size * 2 + 16 < kMaxSteered ? size * 2 + 16 : kMaxSteered;
    char tag[8];
    for (size_t step = 0; step < steps; step++) {
        switch (steer.Next() % 16) {
        case 0:
            if (loader.GetTagData(tag) && !loader.CheckHeader(tag, false))
                return "GetTagData answered a tag CheckHeader does not see";
            break;
        case 1:
            steer.Tag(tag);
            loader.CheckHeader(tag, steer.Next() & 1);
            break;
        case 2:
            steer.Tag(tag);
            loader.GotoTag(tag, steer.Next() % 3);
            break;
        case 3:
            steer.Tag(tag);
            loader.GetInfoIfTag(tag);
            break;
        case 4:
            if (loader.GetSizeDataBlock(steer.Next() & 1) > loader.GetBufferSize())
                return "GetSizeDataBlock beyond the content";
            break;
        case 5: {
            std::vector<char> dest(steer.Next());
            loader.CopyTagDataToBuffer(dest.data(), static_cast<unsigned long>(dest.size()));
            break;
        }
        case 6: {
            std::vector<char> dest(loader.GetSizeDataBlock(false));
            loader.CopyTagDataToPointer(dest.data());
            break;
        }
        case 7:
            loader.ResetPosition();
            break;
        case 8: {
            const char* at = loader.GetBuffer();
            const unsigned long left = loader.GetBufferSize();
            if (left > total || (start && at + left != start + total))
                return "GetBuffer and GetBufferSize disagree with the content";
            if (at) Touch(at, left);
            break;
        }
        case 9:
            loader.AddBufferPos(steer.Offset());
            break;
        case 10:
            if (!loader.GetIfEndOfFile() && !loader.GetTagData(tag))
                return "not at the end of the file, yet no next tag";
            break;
        case 11:
            loader.SkipCurrentTag();
            break;
        case 12:
            if (loader.GetCRC() != crc) return "the checksum changed while reading";
            break;
        case 13:
            loader.GetAttributes();
            break;
        case 14:
            loader.CopyTagDataToBuffer(nullptr, 0);
            break;
        default:
            loader.SetBlockSize(steer.Next());
            break;
        }
    }
    return "";
}

// Both walks over the content the loader holds now; the full walk's record in `seen`.
std::string ReadAll(TevFileLoader& loader, const uint8_t* data, size_t size, std::string& seen) {
    std::string problem;
    seen = WalkAll(loader, problem);
    if (problem.empty()) problem = Steer(loader, data, size);
    return problem;
}

// ---- channel.lst ----

uint32_t Get32(const unsigned char* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

// A tag is four printable bytes; a size word's last byte is below 0x20.
bool IsTagAt(const std::string& bytes, size_t at) {
    if (at + 4 > bytes.size()) return false;
    for (size_t i = 0; i < 4; i++)
        if (static_cast<unsigned char>(bytes[at + i]) < 0x20 || static_cast<unsigned char>(bytes[at + i]) > 0x7E)
            return false;
    return true;
}

bool IsSizeAt(const std::string& bytes, size_t at) {
    return at + 4 <= bytes.size() && static_cast<unsigned char>(bytes[at + 3]) < 0x20;
}

// The cache as blocks, so the harness can make it right for its installation.
struct CacheBlock {
    std::string tag;
    std::vector<std::string> blocks;
};

// Tags and blocks up to the first word that is neither; false when nothing was read.
bool ParseBlocks(const std::string& bytes, std::vector<CacheBlock>& out, std::string& rest) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t at = 0;
    while (IsTagAt(bytes, at)) {
        out.push_back({bytes.substr(at, 4), {}});
        at += 4;
        while (IsSizeAt(bytes, at)) {
            const size_t size = Get32(data + at);
            if (size > bytes.size() - at - 4) break;
            out.back().blocks.push_back(bytes.substr(at + 4, size));
            at += 4 + size;
        }
    }
    rest = bytes.substr(at);
    return !out.empty();
}

// The cache's own checksum (FNV-1a over the data of every block before "CLCK").
uint32_t CacheChecksum(const std::vector<CacheBlock>& blocks) {
    uint32_t sum = 2166136261u;
    for (const CacheBlock& block : blocks) {
        if (block.tag == "CLCK") break;
        for (const std::string& data : block.blocks)
            for (unsigned char c : data) sum = (sum ^ c) * 16777619u;
    }
    return sum;
}

// The directory the cache names (its "CHDI" block) becomes installDir, also at the start of
// module paths, and the checksum is made to match. Answers the bytes unchanged when they do
// not parse.
std::string MadeRightFor(const std::string& bytes, const std::string& installDir) {
    std::vector<CacheBlock> blocks;
    std::string rest;
    if (!ParseBlocks(bytes, blocks, rest)) return bytes;
    std::string oldDir;
    for (CacheBlock& block : blocks)
        if (block.tag == "CHDI" && !block.blocks.empty()) {
            oldDir = block.blocks[0].substr(0, block.blocks[0].find('\0'));
            std::string dir = installDir.substr(0, 259);
            block.blocks[0] = dir + std::string(260 - dir.size(), '\0');
        }
    for (CacheBlock& block : blocks)
        if (block.tag == "CHFN" && !oldDir.empty())
            for (std::string& path : block.blocks)
                if (path.compare(0, oldDir.size(), oldDir) == 0) path = installDir + path.substr(oldDir.size());
    const uint32_t sum = CacheChecksum(blocks);
    for (CacheBlock& block : blocks)
        if (block.tag == "CLCK" && !block.blocks.empty() && block.blocks[0].size() == 4) {
            block.blocks[0] = Int32Data(static_cast<int32_t>(sum));
        }
    std::string out;
    for (const CacheBlock& block : blocks) {
        out += block.tag;
        for (const std::string& data : block.blocks) out += Int32Data(static_cast<int32_t>(data.size())) + data;
    }
    return out + rest;
}

std::string StartWithCache(TestEngine& engine, const std::string& bytes) {
    engine.Stop();
    if (!WriteBinaryFile(engine.InstallDir() + "/channel.lst", bytes)) return "cannot write channel.lst";
    const bool started = engine.Start();
    engine.ClearMessages();
    engine.Stop();
    return started ? "" : "the engine did not start with this channel.lst";
}

std::string StartWithCacheMadeRight(TestEngine& engine, const std::string& bytes) {
    std::string problem = StartWithCache(engine, bytes);
    const std::string madeRight = MadeRightFor(bytes, engine.InstallDir());
    if (problem.empty() && madeRight != bytes) problem = StartWithCache(engine, madeRight);
    return problem;
}

// ---- group files ----

// A group as text: per position its type, interface kind, name and links (the linked
// channel's index, -2 for one of another group, with the link position and the slot).
std::string Describe(Tev_ChannelGroup& group) {
    std::string text = "channels " + std::to_string(group.GetChannelCount()) + "\n";
    for (int i = 0; i < group.GetChannelCount(); i++) {
        Tev_Channel* channel = group.GetChannel(i);
        if (!channel) {
            text += "-\n";
            continue;
        }
        for (unsigned char byte : GuidData(channel->GetChannelType().typeGuid)) {
            text += "0123456789ABCDEF"[byte >> 4];
            text += "0123456789ABCDEF"[byte & 15];
        }
        // A channel without a name is saved as the unnamed one.
        const char* name = channel->GetChannelName();
        text += " " + std::to_string(channel->GetChannelInterfaceType()) + " \"" + (name ? name : " ") + "\"";
        // Empty slots are no links: a position whose links were refused keeps an empty entry
        // that is not saved.
        for (int c = 0; c < channel->GetChildCount(); c++) {
            ChildInfo* info = channelInternal.GetChildInfo(channel, c);
            if (!info || !info->channel) continue;
            Tev_Channel* child = info->channel;
            const int index = child->GetChannelGroup() == &group ? child->GetChannelIDIndexNr() : -2;
            const int slot = info->isLinkHead ? 0 : info->nodeCount;
            text += " " + std::to_string(index) + "@" + std::to_string(info->linkPosition) + ":" + std::to_string(slot);
        }
        text += "\n";
    }
    return text;
}

// GetChild answers from the channel's block of children; it must give each entry's channel
// (a normal or public one, which it hands out as it is) after whatever linking a load did.
std::string ChildBlockFault(Tev_ChannelGroup& group) {
    for (int i = 0; i < group.GetChannelCount(); i++) {
        Tev_Channel* channel = group.GetChannel(i);
        if (!channel) continue;
        if (channelInternal.GetChildInfo(channel, channel->GetChildCount()))
            return "channel " + std::to_string(i) + " counts fewer children than it has";
        for (int c = 0; c < channel->GetChildCount(); c++) {
            Tev_Channel* child = channelInternal.GetInternalChild(channel, c);
            if (child && child->GetChannelInterfaceType() > PEX_PUBLIC) continue;
            if (channel->GetChild(c) != child)
                return "channel " + std::to_string(i) + " answers another child at " + std::to_string(c);
        }
    }
    return "";
}

bool SaveToMemory(EngineInterface* engine, Tev_ChannelGroup& group, std::vector<char>& bytes) {
    TevFileSaver saver(engine);
    // The group closes the stream itself.
    if (!saver.OpenMemory() || !group.SaveChannelGroup(saver)) return false;
    const char* buffer = saver.GetBuffer();
    bytes.assign(buffer, buffer + (buffer ? saver.GetBufferSize() : 0));
    return true;
}

// ---- projects ----

int64_t ModifiedTime(const fs::path& path) {
    std::error_code error;
    const auto time = fs::last_write_time(path, error);
    return error ? 0 : static_cast<int64_t>(time.time_since_epoch().count());
}

// ---- the feeds ----

std::string ReadThrough(EngineInterface* engine, const uint8_t* data, size_t size, const std::string& scratchPath) {
    TevFileLoader loader(engine);
    if (!loader.GetFileLoaderChannel()) return "no reader channel";
    std::vector<char> bytes(data, data + size);
    std::string inMemory, problem;

    loader.SetBuffer(bytes.data(), static_cast<unsigned long>(size), false);
    const unsigned long crc = loader.GetCRC();
    problem = ReadAll(loader, data, size, inMemory);
    if (!problem.empty()) return "in memory: " + problem;

    std::string seen;
    loader.SetBuffer(bytes.data(), static_cast<unsigned long>(size), true);
    problem = ReadAll(loader, data, size, seen);
    if (!problem.empty()) return "copied: " + problem;

    if (!WriteBinaryFile(scratchPath, std::string(bytes.begin(), bytes.end()))) return "cannot write the scratch file";
    const bool threaded = size > 0 && (data[0] & 1);
    loader.RunThreaded(threaded);
    if (!loader.LoadFile(scratchPath.c_str())) return "LoadFile refused a readable file";
    if (loader.GetCRC() != crc) return "the file's checksum differs from the same bytes in memory";
    problem = ReadAll(loader, data, size, seen);
    loader.RunThreaded(false);
    if (!problem.empty()) return "from the file: " + problem;
    if (seen != inMemory) return "the file reads differently from the same bytes in memory";

    // As text: up to the first zero byte.
    std::string text(bytes.begin(), bytes.end());
    text = text.c_str();
    if (!loader.SetBufferChar(text.c_str())) return "SetBufferChar refused a text";
    problem = ReadAll(loader, reinterpret_cast<const uint8_t*>(text.data()), text.size(), seen);
    if (!problem.empty()) return "as text: " + problem;
    return "";
}

std::string RoundTrip(EngineInterface* engine, const uint8_t* data, size_t size) {
    std::vector<char> bytes(data, data + size);
    auto first = std::make_unique<Tev_ChannelGroup>(engine);
    if (!first->LoadChannelGroupFromBuffer("input.cgr", static_cast<int>(size), bytes.data(), true)) return "";
    std::vector<char> saved;
    if (!SaveToMemory(engine, *first, saved)) return "a group that loaded did not save";
    auto second = std::make_unique<Tev_ChannelGroup>(engine);
    if (!second->LoadChannelGroupFromBuffer("saved.cgr", static_cast<int>(saved.size()), saved.data(), true))
        return "a group that loaded and saved did not load again";
    for (Tev_ChannelGroup* group : {first.get(), second.get()})
        if (std::string fault = ChildBlockFault(*group); !fault.empty()) return fault;
    const std::string before = Describe(*first), after = Describe(*second);
    if (before != after) return "the saved group came back different:\n" + before + "-- came back as --\n" + after;
    // What the writer made once, it makes again byte for byte.
    std::vector<char> again;
    if (!SaveToMemory(engine, *second, again)) return "a group that loaded twice did not save";
    if (again != saved) return "the group saved again differs from its first save";
    return "";
}

}  // namespace

std::string FeedTaggedReader(TestEngine& engine, const uint8_t* data, size_t size,
                             const std::string& scratchPath) {
    std::string problem = ReadThrough(engine.Engine(), data, size, scratchPath);
    engine.ClearMessages();
    return problem;
}

std::string FeedGroupFile(TestEngine& engine, const uint8_t* data, size_t size) {
    std::string problem = RoundTrip(engine.Engine(), data, size);
    engine.ClearMessages();
    return problem;
}

std::string FeedChannelList(TestEngine& engine, const uint8_t* data, size_t size) {
    return StartWithCacheMadeRight(engine, std::string(reinterpret_cast<const char*>(data), size));
}

// ---- the project sandbox ----

ProjectSandbox::ProjectSandbox() {
    engine = std::make_unique<TestEngine>(ReaderEngineOptions(root.Path()));
    installRelative = fs::path(engine->InstallDir()).lexically_relative(root.Path()).string();
    fs::create_directories(fs::path(root.Path()) / "project");
    projectPath = root.Path() + "/project/input.vtr";
    WriteBinaryFile(projectPath, "");
    outside = Take(false);
    pluginDirs = Take(true);
}

ProjectSandbox::~ProjectSandbox() { engine.reset(); }

// pluginDirs: what channels/ and 3rd/ hold; else everything else below the root.
ProjectSandbox::Snapshot ProjectSandbox::Take(bool plugins) const {
    Snapshot snapshot;
    std::error_code error;
    const fs::path install = fs::path(root.Path()) / installRelative;
    const fs::path channels = install / "channels", third = install / "3rd";
    for (auto it = fs::recursive_directory_iterator(root.Path(), error); !error && it != fs::end(it);
         it.increment(error)) {
        const fs::path path = it->path();
        const fs::path parent = path.parent_path();
        bool inPluginDir = false;
        for (fs::path up = parent; !up.empty() && up != up.parent_path(); up = up.parent_path())
            if (up == channels || up == third) inPluginDir = true;
        if (inPluginDir != plugins || path == projectPath) continue;
        Entry entry;
        const fs::file_status status = it->symlink_status(error);
        entry.directory = fs::is_directory(status);
        if (fs::is_symlink(status)) {
            entry.link = fs::read_symlink(path, error).string();
        } else if (!entry.directory) {
            entry.size = fs::file_size(path, error);
            entry.modified = ModifiedTime(path);
        }
        snapshot[path.lexically_relative(root.Path()).string()] = entry;
    }
    return snapshot;
}

// Nothing new, changed or gone outside channels/ and 3rd/ (directories only by presence:
// writing into channels/ changes its time).
std::string ProjectSandbox::CheckOutside() const {
    const Snapshot now = Take(false);
    for (const auto& [path, entry] : now) {
        auto before = outside.find(path);
        if (before == outside.end()) return "the project wrote " + path;
        const Entry& was = before->second;
        if (was.directory != entry.directory || was.link != entry.link ||
            (!entry.directory && (was.size != entry.size || was.modified != entry.modified)))
            return "the project changed " + path;
    }
    for (const auto& [path, entry] : outside)
        if (!now.count(path)) return "the project removed " + path;
    return "";
}

// What was written there has a plain name: no directory, no separator, no drive.
std::string ProjectSandbox::CheckPluginDirs() const {
    for (const auto& [path, entry] : Take(true)) {
        const std::string name = fs::path(path).filename().string();
        const std::string dir = fs::path(path).parent_path().lexically_relative(installRelative).string();
        if (entry.directory || (dir != "channels" && dir != "3rd") || name.find_first_of("\\:") != std::string::npos)
            return "the project wrote " + path;
    }
    return "";
}

// A plug-in is a link where the system makes them, else a file of its own (see TestEngine).
bool ProjectSandbox::Same(const Entry& was, const Entry& now) {
    if (was.directory || now.directory || was.link != now.link) return false;
    return !now.link.empty() || (was.size == now.size && was.modified == now.modified);
}

void ProjectSandbox::RestorePluginDirs() const {
    std::error_code error;
    for (const auto& [path, entry] : Take(true)) {
        auto before = pluginDirs.find(path);
        if (before == pluginDirs.end() || !Same(before->second, entry))
            fs::remove_all(fs::path(root.Path()) / path, error);
    }
    for (const auto& [path, entry] : pluginDirs) {
        const fs::path full = fs::path(root.Path()) / path;
        if (!entry.link.empty() && !fs::is_symlink(fs::symlink_status(full, error)))
            fs::create_symlink(entry.link, full, error);
    }
}

std::string ProjectSandbox::Feed(const uint8_t* data, size_t size) {
    if (!WriteBinaryFile(projectPath, std::string(reinterpret_cast<const char*>(data), size)))
        return "cannot write the project file";
    engine->Ext()->InitializeVTRFile(projectPath.c_str());
    engine->ClearMessages();
    std::string problem = CheckOutside();
    if (problem.empty()) problem = CheckPluginDirs();
    RestorePluginDirs();
    return problem;
}

}  // namespace tarnwell_test
