#pragma once
// What Brantixenc knows about a source file after probing it, and the four
// values a probe run reports.

#include <cstdint>
#include <string>

namespace brantixenc {

struct SourceInfo {
    bool readable = false;  // has a decodable video stream with a frame size
    std::string problem;    // why not, for the one-line reason on stderr

    double durationSeconds = -1;  // below 0 when the file does not say
    int width = 0;
    int height = 0;
    int sarNum = 0;  // sample aspect; 0 when unknown (square pixels then)
    int sarDen = 1;
    int rateNum = 0;  // frame rate as a ratio; 0 when unknown
    int rateDen = 1;

    int videoStream = -1;  // stream indices in the file
    int audioStream = -1;  // -1: no audio
    int audioChannels = 0;
    int audioSampleRate = 0;
};

struct ProbeValues {
    int32_t durationSeconds = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frameRate = 0;  // frames per second x 10,000,000
    bool operator==(const ProbeValues&) const = default;
};

// Duration rounds to the nearest second but is at least 1 for a readable
// file, so a clip shorter than half a second is not taken for a failure; an
// unknown duration also gives 1. An unreadable file gives all zeros, which
// the program takes for a failed probe.
ProbeValues probeValues(const SourceInfo& info);

}  // namespace brantixenc
