// Basic types shared by the kernel, its plug-ins and its hosts.
#pragma once

#include <cstdint>
#include <cstring>

#include "TarnwellExport.h"

// Size of the path buffers of the interface (the Windows MAX_PATH, under a name of our own).
#define TEV_MAX_PATH 260

// Opaque handles: a module (plug-in or host image) and a host window. On Windows these are
// the very types <windows.h> declares (with STRICT, its default), so both may be included.
typedef struct HINSTANCE__* HINSTANCE;
typedef struct HWND__* HWND;

// 16-byte identifier of a channel type or a channel group, with a 32-bit Data1.
#ifdef _WIN32
// The system's own, so <windows.h> may come before or after this header: the same layout
// (Data1 is an unsigned long, 32 bits there), and its operator== and operator!=.
#include <guiddef.h>
#if defined(_NO_SYS_GUID_OPERATOR_EQ_) && !defined(_SYS_GUID_OPERATOR_EQ_)
inline bool operator==(const _GUID& a, const _GUID& b) { return std::memcmp(&a, &b, sizeof(_GUID)) == 0; }
inline bool operator!=(const _GUID& a, const _GUID& b) { return !(a == b); }
#endif
#else
struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef _GUID GUID;

inline bool operator==(const _GUID& a, const _GUID& b) { return std::memcmp(&a, &b, sizeof(_GUID)) == 0; }
inline bool operator!=(const _GUID& a, const _GUID& b) { return !(a == b); }
#endif
static_assert(sizeof(_GUID) == 16, "_GUID must be 16 bytes");
static_assert(sizeof(_GUID::Data1) == 4, "_GUID::Data1 must be 32 bits");

// The all-zero GUID: no type.
inline constexpr _GUID TEV_NULL_GUID = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
// {11111111-1111-1111-1111-111111111111}: accepted at a link position, it accepts every type.
inline constexpr _GUID TEV_WILDCARD_GUID = {0x11111111, 0x1111, 0x1111, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}};

inline bool IsNullGuid(const _GUID& g) { return g == TEV_NULL_GUID; }

// Data of an event (it may carry an address) and the parameters of a window message, each as
// wide as the system's own: on 64-bit Windows `long` is 32 bits, so the Windows build uses
// pointer-sized types (WPARAM, LPARAM), while Linux keeps the types its plug-ins were built with.
#if defined(_WIN32)
typedef uintptr_t TevEventData;
typedef uintptr_t TevMessageWParam;
typedef intptr_t TevMessageLParam;
#else
typedef unsigned long TevEventData;
typedef unsigned int TevMessageWParam;
typedef long TevMessageLParam;
#endif
static_assert(sizeof(TevEventData) == sizeof(void*), "event data must hold an address");
