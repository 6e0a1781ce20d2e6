#pragma once
// What one Brantixenc run is asked to do: the argument string read into plain
// values, still in MEncoder's terms. Translating them for ffmpeg is
// FfmpegCommand's job.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brantixenc {

constexpr int32_t kModeConvert = 0;
constexpr int32_t kModeProbe = 1;

struct LameOptions {
    std::optional<int> vbr;      // 0 cbr, 1 mt, 2 rh, 3 abr, 4 mtrh
    std::optional<int> bitrate;  // kbit/s
    std::optional<int> mode;     // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    std::optional<int> quality;  // q=0..9
    bool operator==(const LameOptions&) const = default;
};

struct LavcOptions {
    std::string videoCodec;             // vcodec
    std::optional<int> videoBitrate;    // vbitrate: kbit/s up to 16000, bit/s above
    std::optional<int> videoQscale;     // vqscale
    std::optional<int> qmin, qmax;      // vqmin, vqmax
    bool highQuality = false;           // vhq
    std::optional<int> mbDecision;      // mbd
    std::optional<int> keyint;
    std::optional<int> bufferSize;      // vrc_buf_size, kbit
    std::optional<int> minRate;         // vrc_minrate, kbit/s
    std::optional<int> maxRate;         // vrc_maxrate, kbit/s
    std::optional<std::string> aspect;  // as written: "16/9", "2.21/1", "1.7777"
    std::optional<bool> autoaspect;
    std::string audioCodec;             // acodec
    std::optional<int> audioBitrate;    // abitrate, kbit/s
    bool operator==(const LavcOptions&) const = default;
};

struct XvidOptions {
    std::optional<int> bitrate;  // kbit/s below 16000, bit/s above
    std::optional<int> fixedQuant;
    std::optional<bool> autoaspect;
    bool operator==(const XvidOptions&) const = default;
};

// -af: only what each filter's own parser takes from its parameters.
struct AudioFilters {
    std::optional<double> volumeDb;
    bool softClip = false;
    std::optional<int> channels;
    std::optional<int> resampleRate;
    bool operator==(const AudioFilters&) const = default;
};

// -vf scale and expand sizes in MEncoder's encoding: -1 keep, -2/-3 follow the
// other side (display / storage aspect), 0 display size.
struct VideoFilter {
    enum class Kind { Scale, HardDup, Expand };
    Kind kind = Kind::Scale;
    int width = -1;
    int height = -1;
    int x = -1;  // expand: -1 centres
    int y = -1;
    bool operator==(const VideoFilter&) const = default;
};

struct FrameRate {
    int64_t num = 0;  // a ratio as written ("30000/1001"), or 0 for a decimal
    int64_t den = 0;
    double value = 0;
    bool operator==(const FrameRate&) const = default;
};

// -endpos: a time or an output size.
struct EndPosition {
    double seconds = 0;
    int64_t bytes = 0;  // non-zero for a size limit
    bool operator==(const EndPosition&) const = default;
};

struct EncoderJob {
    std::string sourcePath;
    std::string outputPath;

    std::string audioEncoder;  // -oac: mp3lame, lavc, copy, pcm
    std::string videoEncoder;  // -ovc: lavc, xvid, copy
    LameOptions lame;
    LavcOptions lavc;
    XvidOptions xvid;
    std::string fourcc;  // -ffourcc

    std::string muxer = "avi";  // -of
    std::string lavfFormat;     // -lavfopts format=
    std::string mpegFormat;     // -mpegopts format=

    std::optional<int> scaler;  // -sws
    AudioFilters audioFilters;
    std::optional<int> sampleRate;  // -srate
    std::optional<FrameRate> outputFrameRate;
    std::vector<VideoFilter> videoFilters;
    std::optional<EndPosition> endPosition;

    int32_t mode = kModeConvert;
    int32_t reportDescriptor = -1;

    bool operator==(const EncoderJob&) const = default;
};

}  // namespace brantixenc
