#include "TagTable.h"

#include <cstring>

#include "format/ChannelTypeRecord.h"

namespace cgr {

namespace {

namespace ct = channeltyperecord;

constexpr size_t kPublicCallSize = 696;
constexpr size_t kChildCreationAt = 432;  // the embedded link position of a public call
constexpr size_t kParameterSize = 56;

// The type record, at base inside its container.
// clang-format off
#define CGR_CHANNEL_TYPE_FIELDS(base)                                              \
    {"typeName", (base), ct::kNameSize, FieldKind::Text, false},                   \
    {"typeGuid", (base) + ct::kTypeGuidAt, 16, FieldKind::Guid, false},            \
    {"baseGuid", (base) + ct::kBaseGuidAt, 16, FieldKind::Guid, false},            \
    {"version1", (base) + ct::kVersionsAt, 4, FieldKind::Int32, false},            \
    {"version2", (base) + ct::kVersionsAt + 4, 4, FieldKind::Int32, false},        \
    {"version3", (base) + ct::kVersionsAt + 8, 4, FieldKind::Int32, false},        \
    {"reserved1", (base) + ct::kReserved1At, 4, FieldKind::Int32, false},          \
    {"reserved2", (base) + ct::kReserved2At, 4, FieldKind::Int32, false}
// clang-format on

const Field kChannelTypeFields[] = {CGR_CHANNEL_TYPE_FIELDS(0)};

const Field kPublicCallFields[] = {
    {"channelName", 0, 80, FieldKind::Text, false},
    {"poolName", 80, 80, FieldKind::Text, false},
    {"fileName", 160, 260, FieldKind::Text, false},
    {"requestedPublicChannelNr", 420, 4, FieldKind::Int32, false},
    {"autoLoadGroup", 424, 1, FieldKind::Byte, false},
    {"padding", 425, 3, FieldKind::Hex, true},
    {"dynamicAutoLoadGroup", 428, 4, FieldKind::Int32, false},
    CGR_CHANNEL_TYPE_FIELDS(kChildCreationAt),
    {"requestLink", kChildCreationAt + ct::kSize, 4, FieldKind::Int32, false},
    {"reservedFlag", kChildCreationAt + 136, 1, FieldKind::Byte, false},
    {"createChild", kChildCreationAt + 137, 1, FieldKind::Byte, false},
    {"linkName", kChildCreationAt + 138, 102, FieldKind::Text, false},
    {"createChildGuid", kChildCreationAt + 240, 16, FieldKind::Guid, false},
    // A reference in memory: a writer stores 0, a reader ignores it.
    {"childInfo", kChildCreationAt + 256, 4, FieldKind::Int32, true},
    {"linkOption", kChildCreationAt + 260, 4, FieldKind::Int32, false},
};

#undef CGR_CHANNEL_TYPE_FIELDS

const Field kParameterFields[] = {
    {"name", 0, 40, FieldKind::Text, false},
    {"type", 40, 16, FieldKind::Guid, false},
};

template <size_t N>
constexpr RecordLayout Layout(const char* name, size_t size, const Field (&fields)[N]) {
    return RecordLayout{name, size, fields, N};
}

const RecordLayout kChannelType = Layout("ChannelType", ct::kSize, kChannelTypeFields);
const RecordLayout kPublicCall = Layout("PublicCallInfo", kPublicCallSize, kPublicCallFields);
const RecordLayout kParameter = Layout("ParameterInterfaceInfo", kParameterSize, kParameterFields);

const RecordLayout* const kLayouts[] = {&kChannelType, &kPublicCall, &kParameter};

constexpr Field Value(size_t width, FieldKind kind) { return Field{"", 0, width, kind, false}; }
constexpr TagInfo Plain(const char* tag, TagKind kind) {
    return TagInfo{tag, kind, Value(0, FieldKind::Hex), nullptr};
}
constexpr TagInfo Scalar(const char* tag, size_t width, FieldKind kind) {
    return TagInfo{tag, TagKind::Scalar, Value(width, kind), nullptr};
}
constexpr TagInfo Int(const char* tag) { return Scalar(tag, 4, FieldKind::Int32); }
constexpr TagInfo Flag(const char* tag) { return Scalar(tag, 1, FieldKind::Byte); }
constexpr TagInfo Guid(const char* tag) { return Scalar(tag, 16, FieldKind::Guid); }
constexpr TagInfo Text(const char* tag) { return Plain(tag, TagKind::Text); }
constexpr TagInfo Records(const char* tag, TagKind kind, const RecordLayout& layout) {
    return TagInfo{tag, kind, Value(0, FieldKind::Hex), &layout};
}

const TagInfo kTags[] = {
    // The group file.
    Plain("KORF", TagKind::Raw),  // a translation layer
    Plain("TEVG", TagKind::TagOnly),
    Plain("ENVR", TagKind::Raw),
    Int("CHCO"),
    Int("CHIX"),
    Guid("CHID"),
    Scalar("CHNM", 80, FieldKind::Text),
    Int("CHVE"),
    Guid("CHBG"),
    Int("CHSC"),
    Int("CGIC"),
    Records("CGII", TagKind::RecordList, kParameter),
    Text("CINA"),
    Guid("CGGG"),
    Plain("CBTD", TagKind::Raw),
    // The channel record.
    Flag("CHIC"),
    Text("CHNA"),
    Int("CHIT"),
    Records("CHES", TagKind::Record, kPublicCall),
    Flag("CHTM"),
    Int("CEXI"),
    Int("CHLC"),
    Int("CHLI"),
    Int("CHUL"),
    Int("CHRP"),
    Flag("CHUP"),
    Int("CHNC"),
    Text("CHPN"),
    Plain("CHEN", TagKind::TagOnly),
    Int("CPNC"),
    Text("CPNP"),
    Plain("CPEN", TagKind::TagOnly),
    // The channel type cache.
    Int("CLCC"),
    Records("CHTY", TagKind::Record, kChannelType),
    Text("CHFN"),
    Scalar("CHDI", 260, FieldKind::Text),
    // The project file ("QNDB" holds three blocks of different kinds: raw).
    Int("QSPT"),
    Text("QSGR"),
    Int("QHPV"),
    Plain("QFKR", TagKind::TagOnly),
    Int("QDDC"),
    Plain("QFDB", TagKind::TagOnly),
    Plain("QNDB", TagKind::Raw),
    Text("QCAN"),
    Int("QCAS"),
    Plain("QCAF", TagKind::Raw),
    Int("QDGC"),
    Plain("QDFF", TagKind::TagOnly),
    Text("QDDF"),
    Int("QCRC"),
    Text("QDLN"),
    Int("QDLS"),
    Plain("QDLF", TagKind::Raw),
};

const TagInfo kUnknown = Plain("????", TagKind::Raw);

}  // namespace

const TagInfo& FindTag(const std::string& tag) {
    for (const TagInfo& info : kTags) {
        if (tag == info.tag) return info;
    }
    return kUnknown;
}

const RecordLayout* const* AllLayouts(size_t& count) {
    count = sizeof(kLayouts) / sizeof(kLayouts[0]);
    return kLayouts;
}

}  // namespace cgr
