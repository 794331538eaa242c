// A set of group files and a project, described by a few bytes: the plan the structure-aware
// fuzz harness (fuzz/GroupSetFuzzer.cpp) writes with the kernel's own writer and then loads.
//
//   groupset::Plan plan = groupset::Decode(data, size);   // any bytes give a plan
//
// Byte 0 gives the number of files (1 to kMaxFiles); g0.cgr is the project's start group. Then
// operations follow until the bytes end: one byte whose low three bits are the Op and whose
// high five bits (modulo the file count) name the file it adds to, then the op's own bytes.
// Bytes past the end read as 0, so decoding is a pure function of the input. Every size is
// bounded (channels per group, pool path length, placeholder slots), so a set that a sound
// kernel loads stays far below the harness's heap and time limits: what exceeds them is
// amplification, not size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwell_test::groupset {

inline constexpr int kMaxFiles = 16;
inline constexpr int kMaxChannels = 64;  // per group, the start counter included
inline constexpr int kMaxOps = 1024;
inline constexpr int kPoolNames = 64;     // calls look for P0 .. P63: a set loads no more groups
inline constexpr int kPublicNames = 8;    // public channels S0 .. S7
inline constexpr int kMaxParameters = 8;  // declared per group
inline constexpr int kMaxCallChildren = 3;
inline constexpr int kMaxPoolDepth = (1 << 11) - 1;   // "@" in one pool path
inline constexpr int kMaxPoolPathChars = 1 << 16;     // in all pool paths of a set
inline constexpr int kMaxPlaceholderSlots = 1 << 11;  // link positions of call children, summed

enum class Op : uint8_t { Leaf, Public, Call, Chain, PoolMember, PoolUser, Parameter, ExtraBlock };
enum class Kind : uint8_t { Root, Derived, Links, Custom, CgrBlocks, Counter };
// What a public call does when its target group is not loaded.
enum class Load : uint8_t { Waiting, Autoload, Dynamic };

struct CallTarget {
    int pool = 0;    // pool name PoolName(pool)
    int file = 0;    // group file FileName(file), beside the caller's
    int wanted = 0;  // public channel PublicName(wanted)
    Load load = Load::Waiting;
    int number = 0;  // requested pool number
    unsigned char treeCountMode = 1;
};

// Channels link only towards leaves (roots, derived) and the counters call only their
// children: a frame never runs in a circle, whatever calls reach whatever group.
struct Channel {
    Kind kind = Kind::Root;
    std::string name;
    int interfaceType = 0;   // PEX_*
    int parameterIndex = 0;  // PEX_PARAMETER
    CallTarget call;         // PEX_PUBLICCALL
    std::string memberOf;    // pool path it joins
    std::string usesPool;    // pool path it stands for (PEX_CUSTOMCHANNELGET)
};

// parent->SetChild(child, -1, position), in the order of the plan.
struct Link {
    int parent = 0;
    int child = 0;
    int position = 0;
};

// Blocks no reader asks for, written after a channel's record (as a newer plug-in would).
struct ExtraBlock {
    int after = 0;  // channel index
    std::string tag;
    std::string data;
};

struct Group {
    Group();  // the start counter "Start" at index 0
    std::vector<Channel> channels;
    std::vector<Link> links;
    int parameters = 0;
    std::vector<ExtraBlock> extras;
};

struct Plan {
    std::vector<Group> groups;  // groups[i] is FileName(i)
};

Plan Decode(const uint8_t* data, size_t size);

std::string FileName(int file);     // "g3.cgr"
std::string PoolName(int pool);     // "P17"
std::string PublicName(int index);  // "S2"
// The pool name stored in a group file: "Start" for the start group, which no call looks for.
std::string StoredPoolName(int file);
// The file index of a group file path ("/dir/g3.cgr", "..\\g3.cgr"), or -1.
int FileIndex(const std::string& path);

// The bytes of an input, for seed inputs and tests: Files(2) + Operation(Op::Leaf, 1, {0}).
std::string Files(int count);
std::string Operation(Op op, int file, const std::vector<uint8_t>& bytes);
// A call's target as Call and Chain read it: pool (two bytes), then file, load, counter and
// number bits, then wanted channel and tree count mode.
std::vector<uint8_t> TargetBytes(int pool, int file, Load load, bool counter, int wanted,
                                 int treeCountMode = 1);

}  // namespace tarnwell_test::groupset
