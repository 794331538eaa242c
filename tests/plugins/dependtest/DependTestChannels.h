// Test plug-ins of the channel dependency walk, built into TARNWELL_TEST_CHANNELS_DIR from one
// source (DependTestChannel.cpp), one module per kind. What DoDependencyInit does, in order:
//
//   deproot.dll     kDepRootGuid (own base)        AddDLLDepend "rootextra.dll"; AddChannelGuidDepend
//                                                   kTestRootGuid, then kTestMissingGuid (never installed)
//   depderived.dll  kDepDerivedGuid, base root     AddDLLDepend "derivedextra.dll"; AddChannelGuidDepend
//                                                   kTestLinksGuid
//   depself.dll     kDepSelfGuid (own base)        AddChannelGuidDepend of its own type; AddDLLDepend
//                                                   "selfextra.dll"
//   depcyclea.dll   kDepCycleAGuid (own base)      AddChannelGuidDepend kDepCycleBGuid
//   depcycleb.dll   kDepCycleBGuid (own base)      AddChannelGuidDepend kDepCycleAGuid
//   depbasea.dll    kDepBaseAGuid, base kDepBaseBGuid   nothing (the base types form a cycle)
//   depbaseb.dll    kDepBaseBGuid, base kDepBaseAGuid   nothing
#pragma once

#include "TarnwellTypes.h"

inline constexpr _GUID kDepRootGuid = {0xDE9E0001, 0xDE9E, 0x4D00, {0xA0, 0, 0, 0, 0, 0, 0, 0x01}};
inline constexpr _GUID kDepDerivedGuid = {0xDE9E0002, 0xDE9E, 0x4D00, {0xA0, 0, 0, 0, 0, 0, 0, 0x02}};
inline constexpr _GUID kDepSelfGuid = {0xDE9E0003, 0xDE9E, 0x4D00, {0xA0, 0, 0, 0, 0, 0, 0, 0x03}};
inline constexpr _GUID kDepCycleAGuid = {0xDE9E0004, 0xDE9E, 0x4D00, {0xA0, 0, 0, 0, 0, 0, 0, 0x04}};
inline constexpr _GUID kDepCycleBGuid = {0xDE9E0005, 0xDE9E, 0x4D00, {0xA0, 0, 0, 0, 0, 0, 0, 0x05}};
inline constexpr _GUID kDepBaseAGuid = {0xDE9E0006, 0xDE9E, 0x4D00, {0xA0, 0, 0, 0, 0, 0, 0, 0x06}};
inline constexpr _GUID kDepBaseBGuid = {0xDE9E0007, 0xDE9E, 0x4D00, {0xA0, 0, 0, 0, 0, 0, 0, 0x07}};
