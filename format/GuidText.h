// The one spelling of a GUID in text, shared by the kernel and the tools.
#pragma once

#include <cstdio>
#include <string>

#include "TarnwellTypes.h"

// Registry form, upper case: "{0DE141BF-025D-4313-94AF-BE13150C6458}".
inline std::string GuidText(const _GUID& guid) {
    char text[40];
    std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                  guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}
