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

static_assert(kLinkNameSize == CHILDCREATION_LINKNAME_SIZE, "link name field");
static_assert(kNameSize == PUBLICCALL_NAME_SIZE, "channel and pool name fields");
static_assert(kFileNameSize == PUBLICCALL_FILE_SIZE, "file name field");

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
    PutInt(out + kRequestLinkAt, creation.requestLink);
    out[kReservedFlagAt] = creation.reservedFlag;
    out[kCreateChildAt] = creation.createChild;
    PutText(out + kLinkNameAt, creation.linkName, kLinkNameSize);
    littleendian::PutGuid(out + kCreateChildGuidAt, creation.createChildGuid);
    PutInt(out + kChildInfoAt, 0);  // a memory reference means nothing in a file
    PutInt(out + kLinkOptionAt, creation.linkOption);
}

void DecodeChildCreation(const unsigned char* in, ChildCreation& creation) {
    creation.channelType = channeltyperecord::Decode(in);
    creation.requestLink = GetInt(in + kRequestLinkAt);
    creation.reservedFlag = in[kReservedFlagAt];
    creation.createChild = in[kCreateChildAt];
    GetText(in + kLinkNameAt, creation.linkName, kLinkNameSize);
    creation.createChildGuid = littleendian::GetGuid(in + kCreateChildGuidAt);
    creation.linkOption = GetInt(in + kLinkOptionAt);
}

void EncodePublicCallInfo(const PublicCallInfo& info, unsigned char* out) {
    PutText(out + kChannelNameAt, info.channelName, kNameSize);
    PutText(out + kPoolNameAt, info.poolName, kNameSize);
    PutText(out + kFileNameAt, info.fileName, kFileNameSize);
    PutInt(out + kRequestedNrAt, info.requestedPublicChannelNr);
    out[kAutoLoadAt] = info.autoLoadGroup ? 1 : 0;
    std::memset(out + kPaddingAt, 0, kDynamicAutoLoadAt - kPaddingAt);
    PutInt(out + kDynamicAutoLoadAt, info.dynamicAutoLoadGroup);
    EncodeChildCreation(info.childCreation, out + kChildCreationAt);
}

void DecodePublicCallInfo(const unsigned char* in, PublicCallInfo& info) {
    GetText(in + kChannelNameAt, info.channelName, kNameSize);
    GetText(in + kPoolNameAt, info.poolName, kNameSize);
    GetText(in + kFileNameAt, info.fileName, kFileNameSize);
    info.requestedPublicChannelNr = GetInt(in + kRequestedNrAt);
    info.autoLoadGroup = in[kAutoLoadAt] != 0;
    info.dynamicAutoLoadGroup = GetInt(in + kDynamicAutoLoadAt);
    DecodeChildCreation(in + kChildCreationAt, info.childCreation);
}

}  // namespace linkrecord
