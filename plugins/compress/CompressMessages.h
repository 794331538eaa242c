// Texts the compression translator shows.
#pragma once

namespace compressmessages {

// Followed by the reason ("the compressed data ends early", "damaged data: incorrect data check").
inline constexpr const char* kDamaged =
    "Pex_TranslatorChannel::TranslateLoader: Compressed group file damaged:";
inline constexpr const char* kNoLayer = "no compressed block after the translator's entry";
inline constexpr const char* kCutShort = "the compressed block is missing or cut short";
inline constexpr const char* kNoMemory = "out of memory";

}  // namespace compressmessages
