#include "groupset/GroupSetPlan.h"

#include <algorithm>
#include <cctype>

#include "Tev_Channel.h"
#include "format/ChannelRecordFormat.h"

namespace tarnwell_test::groupset {

namespace {

// Link positions of a call's children: while the target is unreachable each waits in a
// placeholder slot of that number, so high ones make long rows of empty slots.
const int kChildPositions[] = {0, 1, 2, 3, 7, 64, 1000, 4095};
// An unknown tag, a plug-in's own and one of the kernel's channel record.
const char* const kExtraTags[] = {"XTRA", "CBEM", channelrecordformat::kUsePool};
const char* const kPoolRoots[] = {"x", "y"};

class ByteSource {
public:
    ByteSource(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool Empty() const { return at >= size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    int Word() {
        const int low = Byte();
        return low | Byte() << 8;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

class Decoder {
public:
    Decoder(const uint8_t* data, size_t size) : in(data, size) {}

    Plan Run() {
        Plan plan;
        plan.groups.resize(1 + in.Byte() % kMaxFiles);
        const int files = static_cast<int>(plan.groups.size());
        for (int ops = 0; ops < kMaxOps && !in.Empty(); ops++) {
            const uint8_t head = in.Byte();
            Apply(static_cast<Op>(head & 7), plan.groups[(head >> 3) % files], files);
        }
        return plan;
    }

private:
    void Apply(Op op, Group& group, int files) {
        switch (op) {
            case Op::Leaf:
                return Leaf(group);
            case Op::Public:
                return Public(group);
            case Op::Call:
                return Call(group, files);
            case Op::Chain:
                return Chain(group, files);
            case Op::PoolMember:
                return PoolMember(group);
            case Op::PoolUser:
                return PoolUser(group);
            case Op::Parameter:
                return Parameter(group);
            case Op::ExtraBlock:
                return Extra(group);
        }
    }

    // The index of the new channel, or -1 when the group is full.
    static int Add(Group& group, const Channel& channel) {
        if (static_cast<int>(group.channels.size()) >= kMaxChannels) return -1;
        group.channels.push_back(channel);
        return static_cast<int>(group.channels.size()) - 1;
    }

    static Channel Made(Kind kind, int interfaceType = PEX_NORMAL) {
        Channel channel;
        channel.kind = kind;
        channel.interfaceType = interfaceType;
        return channel;
    }

    static void LinkFromStart(Group& group, int child) {
        if (child > 0) group.links.push_back({0, child, 0});
    }

    // Links and custom channels may hold a leaf of their own: the links one at its multiple
    // position for derived channels, the custom one at its only position.
    void Leaf(Group& group) {
        const uint8_t bits = in.Byte();
        const Kind kind = static_cast<Kind>((bits & 7) % 5);
        const int index = Add(group, Made(kind));
        if (bits & 0x08) LinkFromStart(group, index);
        if (index < 0 || !(bits & 0x10) || (kind != Kind::Links && kind != Kind::Custom)) return;
        const int leaf = Add(group, Made(kind == Kind::Links ? Kind::Derived : Kind::Root));
        if (leaf >= 0) group.links.push_back({index, leaf, kind == Kind::Links ? 2 : 0});
    }

    // A counter public channel calls the group's parameter channels (Parameter links them).
    void Public(Group& group) {
        const uint8_t bits = in.Byte();
        Channel channel = Made(bits & 0x08 ? Kind::Counter : Kind::Root, PEX_PUBLIC);
        channel.name = PublicName(bits & 7);
        const int index = Add(group, channel);
        if (bits & 0x10) LinkFromStart(group, index);
    }

    CallTarget Target(int files, int pool, bool& counter) {
        CallTarget target;
        target.pool = pool % kPoolNames;
        const uint8_t bits = in.Byte();
        target.file = (bits & 15) % files;
        target.load = static_cast<Load>(((bits >> 4) & 3) % 3);
        counter = bits & 0x40;
        target.number = bits >> 7;
        const uint8_t wanted = in.Byte();
        target.wanted = wanted & 7;
        target.treeCountMode = static_cast<unsigned char>((wanted >> 3) % 3);
        return target;
    }

    static int AddCall(Group& group, const CallTarget& target, bool counter) {
        Channel channel = Made(counter ? Kind::Counter : Kind::Root, PEX_PUBLICCALL);
        channel.call = target;
        const int index = Add(group, channel);
        LinkFromStart(group, index);
        return index;
    }

    void Call(Group& group, int files) {
        bool counter = false;
        const CallTarget target = Target(files, in.Word(), counter);
        const int call = AddCall(group, target, counter);
        const int children = in.Byte() % (kMaxCallChildren + 1);
        for (int c = 0; c < children; c++) {
            const uint8_t bits = in.Byte();
            int position = kChildPositions[bits & 7];
            if (placeholderSlots + position > kMaxPlaceholderSlots) position = 0;
            const int child = Add(group, Made(bits & 0x08 ? Kind::Derived : Kind::Root));
            if (call < 0 || child < 0) continue;
            placeholderSlots += position;
            group.links.push_back({call, child, position});
        }
    }

    // Calls into consecutive pools of one file, sharing one child: linking it makes each
    // call look for its target while its group loads.
    void Chain(Group& group, int files) {
        const int count = 1 + in.Byte() % (kMaxChannels - 1);
        bool counter = false;
        const int pool = in.Word();
        const CallTarget first = Target(files, pool, counter);
        const int child = Add(group, Made(Kind::Root));
        for (int i = 0; i < count; i++) {
            CallTarget target = first;
            target.pool = (first.pool + i) % kPoolNames;
            const int call = AddCall(group, target, counter);
            if (call >= 0 && child >= 0) group.links.push_back({call, child, 0});
        }
    }

    // A leaf in a pool whose path is a root name and up to kMaxPoolDepth empty components.
    void PoolMember(Group& group) {
        const uint8_t bits = in.Byte();
        int depth = std::min((1 << ((bits >> 1) % 12)) - 1, kMaxPoolDepth);
        if (poolPathChars + depth + 1 > kMaxPoolPathChars) depth = 0;
        Channel channel = Made(bits & 0x80 ? Kind::Derived : Kind::Root);
        channel.memberOf = std::string(kPoolRoots[bits & 1]) + std::string(static_cast<size_t>(depth), '@');
        if (Add(group, channel) >= 0) poolPathChars += static_cast<int>(channel.memberOf.size());
    }

    void PoolUser(Group& group) {
        Channel channel = Made(Kind::Root, PEX_CUSTOMCHANNELGET);
        channel.usesPool = kPoolRoots[in.Byte() & 1];
        LinkFromStart(group, Add(group, channel));
    }

    // A parameter channel under the group's latest public counter (else the start counter).
    void Parameter(Group& group) {
        const uint8_t bits = in.Byte();
        if ((bits & 0x08) && group.parameters < kMaxParameters) group.parameters++;
        Channel channel = Made(Kind::Root, PEX_PARAMETER);
        channel.parameterIndex = bits & 7;
        int parent = 0;
        for (int i = static_cast<int>(group.channels.size()) - 1; i > 0 && parent == 0; i--)
            if (group.channels[i].interfaceType == PEX_PUBLIC && group.channels[i].kind == Kind::Counter)
                parent = i;
        const int index = Add(group, channel);
        if (index >= 0) group.links.push_back({parent, index, 0});
    }

    void Extra(Group& group) {
        const int size = in.Byte();
        const uint8_t tag = in.Byte();
        ExtraBlock extra;
        extra.after = static_cast<int>(group.channels.size()) - 1;
        extra.tag = kExtraTags[tag % 3];
        for (int i = 0; i < size; i++) extra.data += static_cast<char>((i * 31 + tag) & 0xFF);
        group.extras.push_back(extra);
    }

    ByteSource in;
    int placeholderSlots = 0;
    int poolPathChars = 0;
};

}  // namespace

Group::Group() {
    Channel start;
    start.kind = Kind::Counter;
    start.name = "Start";
    channels.push_back(start);
}

Plan Decode(const uint8_t* data, size_t size) { return Decoder(data, size).Run(); }

std::string FileName(int file) { return "g" + std::to_string(file) + ".cgr"; }
std::string PoolName(int pool) { return "P" + std::to_string(pool); }
std::string PublicName(int index) { return "S" + std::to_string(index); }
std::string StoredPoolName(int file) { return file == 0 ? "Start" : "G" + std::to_string(file); }

int FileIndex(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() < 6 || name.size() > 7 || name[0] != 'g' || name.compare(name.size() - 4, 4, ".cgr") != 0)
        return -1;
    int file = 0;
    for (size_t i = 1; i + 4 < name.size(); i++) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
        file = file * 10 + (name[i] - '0');
    }
    return file < kMaxFiles && FileName(file) == name ? file : -1;
}

std::string Files(int count) { return std::string(1, static_cast<char>((count - 1) % kMaxFiles)); }

std::string Operation(Op op, int file, const std::vector<uint8_t>& bytes) {
    std::string out(1, static_cast<char>(static_cast<int>(op) | file << 3));
    for (uint8_t byte : bytes) out += static_cast<char>(byte);
    return out;
}

std::vector<uint8_t> TargetBytes(int pool, int file, Load load, bool counter, int wanted, int treeCountMode) {
    return {static_cast<uint8_t>(pool & 0xFF), static_cast<uint8_t>(pool >> 8),
            static_cast<uint8_t>(file | static_cast<int>(load) << 4 | (counter ? 0x40 : 0)),
            static_cast<uint8_t>(wanted | treeCountMode << 3)};
}

}  // namespace tarnwell_test::groupset
