// Brantixenc's argument string: any text either parses into a job that
// translates for ffmpeg, or is refused with a reason.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "encoder/ArgumentParser.h"
#include "encoder/FfmpegCommand.h"
#include "encoder/SourceInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto job = brantixenc::parseArguments(text, &error);
    if (!job) {
        if (error.empty())
            std::abort();
        return 0;
    }
    // A source as a probe could describe it, with and without audio.
    brantixenc::SourceInfo source;
    source.readable = true;
    source.durationSeconds = 12.5;
    source.width = 720;
    source.height = 480;
    source.sarNum = 8;
    source.sarDen = 9;
    source.rateNum = 30000;
    source.rateDen = 1001;
    source.videoStream = 0;
    for (int audio : {-1, 1}) {
        source.audioStream = audio;
        source.audioChannels = audio < 0 ? 0 : 2;
        source.audioSampleRate = audio < 0 ? 0 : 48000;
        std::string why;
        auto args = brantixenc::buildFfmpegArguments(*job, source, "/tmp/out.part", 3, &why);
        if (!args && why.empty())
            std::abort();
    }
    return 0;
}
