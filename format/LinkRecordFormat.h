// Private: the stored forms of a link position (ChildCreation, 264 bytes) and a public call
// target (PublicCallInfo, 696 bytes): their offsets and field tables. The codec
// (LinkRecordCodec) writes and reads at these offsets; the text tool shows the fields.
#pragma once

#include <cstddef>

#include "format/ChannelTypeRecord.h"
#include "format/FieldTable.h"

namespace linkrecord {

// The link position: the type record at 0, then these.
inline constexpr size_t kChildCreationSize = 264;
inline constexpr size_t kRequestLinkAt = channeltyperecord::kSize;
inline constexpr size_t kReservedFlagAt = 136;
inline constexpr size_t kCreateChildAt = 137;
inline constexpr size_t kLinkNameAt = 138;
inline constexpr size_t kLinkNameSize = 102;
inline constexpr size_t kCreateChildGuidAt = 240;
inline constexpr size_t kChildInfoAt = 256;  // a memory reference: stored as 0, never read
inline constexpr size_t kLinkOptionAt = 260;

// The public call target, with its link position at the end.
inline constexpr size_t kPublicCallInfoSize = 696;
inline constexpr size_t kNameSize = 80;  // the channel and the pool name
inline constexpr size_t kChannelNameAt = 0;
inline constexpr size_t kPoolNameAt = 80;
inline constexpr size_t kFileNameAt = 160;
inline constexpr size_t kFileNameSize = 260;
inline constexpr size_t kRequestedNrAt = 420;
inline constexpr size_t kAutoLoadAt = 424;
inline constexpr size_t kPaddingAt = 425;  // zero-filled up to the next field
inline constexpr size_t kDynamicAutoLoadAt = 428;
inline constexpr size_t kChildCreationAt = 432;

namespace fields {

using formattable::FieldKind;
using formattable::kByteWidth;
using formattable::kGuidWidth;
using formattable::kIntWidth;

inline constexpr formattable::Fields<7> kLinkPositionTail = {{
    {"requestLink", kRequestLinkAt, kIntWidth, FieldKind::Int32, false},
    {"reservedFlag", kReservedFlagAt, kByteWidth, FieldKind::Byte, false},
    {"createChild", kCreateChildAt, kByteWidth, FieldKind::Byte, false},
    {"linkName", kLinkNameAt, kLinkNameSize, FieldKind::Text, false},
    {"createChildGuid", kCreateChildGuidAt, kGuidWidth, FieldKind::Guid, false},
    {"childInfo", kChildInfoAt, kIntWidth, FieldKind::Int32, true},
    {"linkOption", kLinkOptionAt, kIntWidth, FieldKind::Int32, false},
}};

inline constexpr formattable::Fields<7> kPublicCallHead = {{
    {"channelName", kChannelNameAt, kNameSize, FieldKind::Text, false},
    {"poolName", kPoolNameAt, kNameSize, FieldKind::Text, false},
    {"fileName", kFileNameAt, kFileNameSize, FieldKind::Text, false},
    {"requestedPublicChannelNr", kRequestedNrAt, kIntWidth, FieldKind::Int32, false},
    {"autoLoadGroup", kAutoLoadAt, kByteWidth, FieldKind::Byte, false},
    {"padding", kPaddingAt, kDynamicAutoLoadAt - kPaddingAt, FieldKind::Hex, true},
    {"dynamicAutoLoadGroup", kDynamicAutoLoadAt, kIntWidth, FieldKind::Int32, false},
}};

}  // namespace fields

inline constexpr auto kChildCreationFields =
    formattable::Embed(channeltyperecord::kFields, fields::kLinkPositionTail, 0);
inline constexpr auto kPublicCallInfoFields =
    formattable::Embed(fields::kPublicCallHead, kChildCreationFields, kChildCreationAt);

inline constexpr formattable::RecordLayout kChildCreationLayout =
    formattable::Layout("ChildCreation", kChildCreationSize, kChildCreationFields);
inline constexpr formattable::RecordLayout kPublicCallInfoLayout =
    formattable::Layout("PublicCallInfo", kPublicCallInfoSize, kPublicCallInfoFields);
static_assert(formattable::Tiles(kChildCreationLayout), "the link position's fields tile it");
static_assert(formattable::Tiles(kPublicCallInfoLayout), "the public call's fields tile it");

}  // namespace linkrecord
