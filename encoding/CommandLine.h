#pragma once
// The one argument string handed to the encoder for each run.

#include <cstdint>
#include <string>

#include "settings/OutputSettings.h"

namespace quelvo {

struct Padding {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const Padding&) const = default;
};

// Runs ResolveFrameSize (leaving the target size in p) and gives the letterbox
// borders for a source of that size. A zero source width or height gives
// (0, 0). Computed in 64 bits: identical to the 32-bit formula whenever its
// products fit (any source below about 2.9 million pixels a side), clamped
// to the int32 range beyond.
Padding ComputePadding(const OutputSettings& s, EncodeParameters& p, int32_t sourceWidth,
                       int32_t sourceHeight);

// Resolves bitrates, aspect and frame rate into p, then assembles the string.
// The target size is what the last ResolveFrameSize left in p.
// reportChannel is the descriptor number of the encoder's report socket.
// An AVI-family video or audio choice outside 0 and 1 gets no codec pieces
// (the container pieces and the audio filter, AC3's for 1 and MP3's for any
// other value, still follow). Numbers derived from settings (volume step,
// SVCD peak rate, WMV quantiser) are computed without overflow. With both
// paths at most 255 characters the string stays below 2048 characters.
std::string BuildEncoderCommandLine(const OutputSettings& s, EncodeParameters& p,
                                    const std::string& sourcePath, const std::string& outputPath,
                                    int32_t padWidth, int32_t padHeight, int32_t mode,
                                    double sourceFrameRate, int32_t reportChannel);

constexpr int32_t kModeConvert = 0;
constexpr int32_t kModeProbe = 1;

}  // namespace quelvo
