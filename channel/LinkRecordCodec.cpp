#include "channel/LinkRecordCodec.h"

#include <cstring>

#include "ChannelRecords.h"
#include "ChannelType.h"
#include "ChildCreation.h"
#include "foundation/LittleEndian.h"

namespace linkrecord {

namespace {

// Offsets within the channel type record.
constexpr size_t kTypeName = 0, kTypeNameSize = 80, kTypeGuid = 80, kBaseGuid = 96, kVersions = 112,
                 kReserved1 = 124, kReserved2 = 128;
// Offsets within the link position record.
constexpr size_t kRequestLink = 132, kReservedFlag = 136, kCreateChild = 137, kLinkName = 138,
                 kCreateChildGuid = 240, kChildInfo = 256, kLinkOption = 260;
// Offsets within the public call record.
constexpr size_t kChannelName = 0, kPoolName = 80, kFileName = 160, kRequestedNr = 420, kAutoLoad = 424,
                 kPadding = 425, kDynamicAutoLoad = 428, kChildCreation = 432;

static_assert(kLinkName + CHILDCREATION_LINKNAME_SIZE == kCreateChildGuid, "link name field");
static_assert(kFileName + PUBLICCALL_FILE_SIZE == kRequestedNr, "file name field");
static_assert(kChildCreation + kChildCreationSize == kPublicCallInfoSize, "public call record size");

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

void EncodeChannelType(const ChannelType& type, unsigned char* out) {
    PutText(out + kTypeName, type.typeName, kTypeNameSize);
    le::PutGuid(out + kTypeGuid, type.typeGuid);
    le::PutGuid(out + kBaseGuid, type.baseGuid);
    for (int i = 0; i < 3; i++) le::PutInt(out + kVersions + 4 * i, type.versionInfo[i]);
    le::PutInt(out + kReserved1, type.reserved1);
    le::PutInt(out + kReserved2, type.reserved2);
}

void DecodeChannelType(const unsigned char* in, ChannelType& type) {
    GetText(in + kTypeName, type.typeName, kTypeNameSize);
    type.typeGuid = le::GetGuid(in + kTypeGuid);
    type.baseGuid = le::GetGuid(in + kBaseGuid);
    for (int i = 0; i < 3; i++) type.versionInfo[i] = le::GetInt(in + kVersions + 4 * i);
    type.reserved1 = le::GetInt(in + kReserved1);
    type.reserved2 = le::GetInt(in + kReserved2);
}

void EncodeChildCreation(const ChildCreation& creation, unsigned char* out) {
    EncodeChannelType(creation.channelType, out);
    le::PutInt(out + kRequestLink, creation.requestLink);
    out[kReservedFlag] = creation.reservedFlag;
    out[kCreateChild] = creation.createChild;
    PutText(out + kLinkName, creation.linkName, CHILDCREATION_LINKNAME_SIZE);
    le::PutGuid(out + kCreateChildGuid, creation.createChildGuid);
    le::PutInt(out + kChildInfo, 0);  // a memory reference means nothing in a file
    le::PutInt(out + kLinkOption, creation.linkOption);
}

void DecodeChildCreation(const unsigned char* in, ChildCreation& creation) {
    DecodeChannelType(in, creation.channelType);
    creation.requestLink = le::GetInt(in + kRequestLink);
    creation.reservedFlag = in[kReservedFlag];
    creation.createChild = in[kCreateChild];
    GetText(in + kLinkName, creation.linkName, CHILDCREATION_LINKNAME_SIZE);
    creation.createChildGuid = le::GetGuid(in + kCreateChildGuid);
    creation.linkOption = le::GetInt(in + kLinkOption);
}

void EncodePublicCallInfo(const PublicCallInfo& info, unsigned char* out) {
    PutText(out + kChannelName, info.channelName, PUBLICCALL_NAME_SIZE);
    PutText(out + kPoolName, info.poolName, PUBLICCALL_NAME_SIZE);
    PutText(out + kFileName, info.fileName, PUBLICCALL_FILE_SIZE);
    le::PutInt(out + kRequestedNr, info.requestedPublicChannelNr);
    out[kAutoLoad] = info.autoLoadGroup ? 1 : 0;
    std::memset(out + kPadding, 0, kDynamicAutoLoad - kPadding);
    le::PutInt(out + kDynamicAutoLoad, info.dynamicAutoLoadGroup);
    EncodeChildCreation(info.childCreation, out + kChildCreation);
}

void DecodePublicCallInfo(const unsigned char* in, PublicCallInfo& info) {
    GetText(in + kChannelName, info.channelName, PUBLICCALL_NAME_SIZE);
    GetText(in + kPoolName, info.poolName, PUBLICCALL_NAME_SIZE);
    GetText(in + kFileName, info.fileName, PUBLICCALL_FILE_SIZE);
    info.requestedPublicChannelNr = le::GetInt(in + kRequestedNr);
    info.autoLoadGroup = in[kAutoLoad] != 0;
    info.dynamicAutoLoadGroup = le::GetInt(in + kDynamicAutoLoad);
    DecodeChildCreation(in + kChildCreation, info.childCreation);
}

}  // namespace linkrecord
