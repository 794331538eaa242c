// A version 4 GUID from 16 random bytes (private to the platform layer).
#pragma once

#include "TarnwellTypes.h"

namespace platform {

// Sets the version and variant bits in bytes, then lays them out as the GUID's fields.
void GuidFromRandomBytes(unsigned char (&bytes)[16], _GUID* out);

}  // namespace platform
