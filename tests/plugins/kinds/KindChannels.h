// Channels of the special kinds the kernel calls, built with hidden symbols like any plug-in,
// into TARNWELL_TEST_CHANNELS_DIR/kinds (apart, so the family's directory stays as it is):
//
//   module               type GUID                class
//   testtranslator.dll   kTestTranslatorGuid      Pex_TranslatorChannel: removes its layer by
//                                                 undoing TestTranslatorCode on the rest
//   testfakedialog.dll   TEV_FILEDIALOG_GUID      a plain channel with the file dialog's type
#pragma once

#include <cstddef>

#include "TarnwellTypes.h"

inline constexpr _GUID kTestTranslatorGuid = {0x7E57C4D0, 0x7E57, 0x4002, {0x80, 0, 0, 0, 0, 0, 0, 0xD0}};

#define TEST_KIND_CHANNELS_DIR TARNWELL_TEST_CHANNELS_DIR "/kinds"
#define TEST_TRANSLATOR_DLL "testtranslator.dll"
#define TEST_FAKE_DIALOG_DLL "testfakedialog.dll"

// The translator's layer: every byte after the "KORF" block exclusive-or this.
inline constexpr unsigned char kTestTranslatorCode = 0x5A;
