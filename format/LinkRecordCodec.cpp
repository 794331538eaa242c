#include "format/LinkRecordCodec.h"

#include <cstdint>
#include <cstring>

#include "ChannelRecords.h"
#include "ChildCreation.h"
#include "format/ChannelTypeRecord.h"
#include "format/LittleEndian.h"

namespace linkrecord {

namespace {

using littleendian::GetInt;
using littleendian::PutInt;

// Offsets within the link position record.
constexpr size_t kRequestLink = 132, kReservedFlag = 136, kCreateChild = 137, kLinkName = 138,
                 kCreateChildGuid = 240, kChildInfo = 256, kLinkOption = 260;
// Offsets within the public call record.
constexpr size_t kChannelName = 0, kPoolName = 80, kFileName = 160, kRequestedNr = 420, kAutoLoad = 424,
                 kPadding = 425, kDynamicAutoLoad = 428, kChildCreation = 432;

static_assert(kLinkName + CHILDCREATION_LINKNAME_SIZE == kCreateChildGuid, "link name field");
static_assert(kFileName + PUBLICCALL_FILE_SIZE == kRequestedNr, "file name field");
static_assert(kChildCreation + kChildCreationSize == kPublicCallInfoSize, "public call record size");
static_assert(channeltyperecord::kSize == kRequestLink, "type record");

void PutText(unsigned char* out, const char* text, size_t size) {
    size_t length = strnlen(text, size);
    std::memcpy(out, text, length);
    std::memset(out + length, 0, size - length);
}

void GetText(const unsigned char* in, char* text, size_t size) {
    std::memcpy(text, in, size);
    text[size - 1] = 0;
}

}  // namespace

void EncodeChildCreation(const ChildCreation& creation, unsigned char* out) {
    channeltyperecord::Encode(creation.channelType, out);
    PutInt(out + kRequestLink, creation.requestLink);
    out[kReservedFlag] = creation.reservedFlag;
    out[kCreateChild] = creation.createChild;
    PutText(out + kLinkName, creation.linkName, CHILDCREATION_LINKNAME_SIZE);
    littleendian::PutGuid(out + kCreateChildGuid, creation.createChildGuid);
    PutInt(out + kChildInfo, 0);  // a memory reference means nothing in a file
    PutInt(out + kLinkOption, creation.linkOption);
}

void DecodeChildCreation(const unsigned char* in, ChildCreation& creation) {
    creation.channelType = channeltyperecord::Decode(in);
    creation.requestLink = GetInt(in + kRequestLink);
    creation.reservedFlag = in[kReservedFlag];
    creation.createChild = in[kCreateChild];
    GetText(in + kLinkName, creation.linkName, CHILDCREATION_LINKNAME_SIZE);
    creation.createChildGuid = littleendian::GetGuid(in + kCreateChildGuid);
    creation.linkOption = GetInt(in + kLinkOption);
}

void EncodePublicCallInfo(const PublicCallInfo& info, unsigned char* out) {
    PutText(out + kChannelName, info.channelName, PUBLICCALL_NAME_SIZE);
    PutText(out + kPoolName, info.poolName, PUBLICCALL_NAME_SIZE);
    PutText(out + kFileName, info.fileName, PUBLICCALL_FILE_SIZE);
    PutInt(out + kRequestedNr, info.requestedPublicChannelNr);
    out[kAutoLoad] = info.autoLoadGroup ? 1 : 0;
    std::memset(out + kPadding, 0, kDynamicAutoLoad - kPadding);
    PutInt(out + kDynamicAutoLoad, info.dynamicAutoLoadGroup);
    EncodeChildCreation(info.childCreation, out + kChildCreation);
}

void DecodePublicCallInfo(const unsigned char* in, PublicCallInfo& info) {
    GetText(in + kChannelName, info.channelName, PUBLICCALL_NAME_SIZE);
    GetText(in + kPoolName, info.poolName, PUBLICCALL_NAME_SIZE);
    GetText(in + kFileName, info.fileName, PUBLICCALL_FILE_SIZE);
    info.requestedPublicChannelNr = GetInt(in + kRequestedNr);
    info.autoLoadGroup = in[kAutoLoad] != 0;
    info.dynamicAutoLoadGroup = GetInt(in + kDynamicAutoLoad);
    DecodeChildCreation(in + kChildCreation, info.childCreation);
}

}  // namespace linkrecord
