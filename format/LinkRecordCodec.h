// Private: the codec of the stored link position and public call target, encoded field by
// field at the offsets of format/LinkRecordFormat.h. The in-memory structs differ in size and
// padding from these forms, so they are never copied whole.
#pragma once

#include "format/LinkRecordFormat.h"

struct ChildCreation;
struct PublicCallInfo;

namespace linkrecord {

// Texts are written up to their terminator and zero-filled; decoding terminates every text
// within its field, whatever the bytes hold. The channel type inside a link position is the
// type record's own codec.
// The childInfo reference is stored as 0 and not read back (the caller's value stays).
void EncodeChildCreation(const ChildCreation& creation, unsigned char* out);
void DecodeChildCreation(const unsigned char* in, ChildCreation& creation);

void EncodePublicCallInfo(const PublicCallInfo& info, unsigned char* out);
void DecodePublicCallInfo(const unsigned char* in, PublicCallInfo& info);

}  // namespace linkrecord
