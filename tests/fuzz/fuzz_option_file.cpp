// Option and version files as anyone may edit them: any text, then every
// value through the resolve operations and the encoder command line.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "encoding/CommandLine.h"
#include "platform/ProfileFile.h"
#include "settings/OutputSettings.h"

using namespace quelvo;

namespace {
const char* const kKeys[] = {
    "Letterbox", "Output format", "TV mode", "MPEG aspect ratio", "DVD aspect ratio", "AVI quality",
    "MPEG1 quality", "MPEG2 quality", "SVCD quality", "DVD quality", "WMV quality", "AVI video codec",
    "ASF video codec", "AVI audio codec", "Divx audio codec", "Xvid audio codec", "DVD audio codec",
    "WMV audio codec", "ASF audio codec", "AVI resolution", "MPEG resolution", "AVI frame rate",
    "MPEG frame rate", "Volume",
};

int32_t value(std::string_view text, const char* key, int32_t fallback)
{
    auto v = profileValue(text, "Destinate", key);
    return v ? leadingInteger(*v) : fallback;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)profileValue(text, "General", "Version");

    OutputSettings s;
    int32_t* fields[] = {
        &s.letterbox, &s.outputFormat, &s.tvMode, &s.mpegAspectRatio, &s.dvdAspectRatio, &s.aviQuality,
        &s.mpeg1Quality, &s.mpeg2Quality, &s.svcdQuality, &s.dvdQuality, &s.wmvQuality, &s.aviVideoCodec,
        &s.asfVideoCodec, &s.aviAudioCodec, &s.divxAudioCodec, &s.xvidAudioCodec, &s.dvdAudioCodec,
        &s.wmvAudioCodec, &s.asfAudioCodec, &s.aviResolution, &s.mpegResolution, &s.aviFrameRate,
        &s.mpegFrameRate, &s.volume,
    };
    for (size_t i = 0; i < std::size(kKeys); ++i)
        *fields[i] = value(text, kKeys[i], *fields[i]);

    EncodeParameters p;
    const int32_t w = value(text, "SourceWidth", 640);
    const int32_t h = value(text, "SourceHeight", 480);
    const Padding pad = ComputePadding(s, p, w, h);
    const std::string longPath(255, 'x');
    const std::string line = BuildEncoderCommandLine(s, p, longPath, longPath, pad.width, pad.height,
                                                     kModeConvert, value(text, "Rate", 25), 7);
    if (line.size() > 2047)
        std::abort();

    // Writing a value and reading it back gives the value.
    const ProfileEntry entry{"Volume", std::string(text.substr(0, 40))};
    if (auto rewritten = withProfileValues(text, "Destinate", {&entry, 1})) {
        auto back = profileValue(*rewritten, "Destinate", "Volume");
        std::string expected;
        for (char c : entry.value)
            if (c != '\n' && c != '\r' && c != '\0')
                expected += c;
        if (!back || *back != expected)
            std::abort();
    }
    return 0;
}
