#pragma once
// Translates an EncoderJob into the ffmpeg command that does the same work,
// keeping MEncoder's meaning of every option (including its defaults where
// ffmpeg's differ, and where its effect is surprising).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encoder/EncoderJob.h"
#include "encoder/SourceInfo.h"

namespace brantixenc {

struct Rational {
    int64_t num = 0;
    int64_t den = 1;
    bool operator==(const Rational&) const = default;
};

// The closest ratio whose terms stay within the bounds; {0, 1} for a value
// that is not positive and finite.
Rational bestRational(double value, int64_t maxNum, int64_t maxDen);

// The full argument vector, "ffmpeg" first. The output goes to outputPath
// (the temporary name) and the machine-readable progress to progressDescriptor.
// nullopt with a one-line reason when the job asks for something impossible.
std::optional<std::vector<std::string>> buildFfmpegArguments(const EncoderJob& job,
                                                             const SourceInfo& source,
                                                             const std::string& outputPath,
                                                             int progressDescriptor,
                                                             std::string* error);

}  // namespace brantixenc
