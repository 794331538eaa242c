#include "format/ChannelTypeRecord.h"

#include <cstring>

#include "format/LittleEndian.h"

namespace channeltyperecord {

static_assert(sizeof(ChannelType) == kSize, "the record size is the files'");
static_assert(sizeof(ChannelType::typeName) == kNameSize, "the name field is the files'");
static_assert(littleendian::kGuidSize == formattable::kGuidWidth, "a GUID field is the codec's");

void Encode(const ChannelType& type, unsigned char* out) {
    std::memcpy(out, type.typeName, kNameSize);
    littleendian::PutGuid(out + kTypeGuidAt, type.typeGuid);
    littleendian::PutGuid(out + kBaseGuidAt, type.baseGuid);
    for (int i = 0; i < 3; i++)
        littleendian::Put32(out + kVersionsAt + kVersionSize * i, static_cast<uint32_t>(type.versionInfo[i]));
    littleendian::Put32(out + kReserved1At, static_cast<uint32_t>(type.reserved1));
    littleendian::Put32(out + kReserved2At, static_cast<uint32_t>(type.reserved2));
}

ChannelType Decode(const unsigned char* in) {
    ChannelType type;
    std::memcpy(type.typeName, in, kNameSize);
    type.typeName[kNameSize - 1] = 0;
    type.typeGuid = littleendian::GetGuid(in + kTypeGuidAt);
    type.baseGuid = littleendian::GetGuid(in + kBaseGuidAt);
    for (int i = 0; i < 3; i++)
        type.versionInfo[i] = static_cast<int32_t>(littleendian::Get32(in + kVersionsAt + kVersionSize * i));
    type.reserved1 = static_cast<int32_t>(littleendian::Get32(in + kReserved1At));
    type.reserved2 = static_cast<int32_t>(littleendian::Get32(in + kReserved2At));
    return type;
}

}  // namespace channeltyperecord
