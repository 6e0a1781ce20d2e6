#include "encoding/CommandLine.h"

#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

namespace quelvo {

namespace {

// Option pieces are fixed text with named placeholders that the build fills
// in: {v} video and {a} audio bitrate, {asp} aspect text, {vol} volume text,
// {keyint} key-frame interval, {m} SVCD peak rate, {q} Windows Media
// quantiser, {vcodec} and {acodec} codec names.

// AVI family: codec pieces by video choice (0 Divx, 1 Xvid) and audio choice
// (0 MP3, 1 AC3).
constexpr const char* kAviCodecPieces[2][2] = {
    {" -oac mp3lame -ovc lavc -lameopts vbr=3:br={a}:mode=3"
     " -lavcopts vcodec=mpeg4:vbitrate={v}:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50",
     " -oac lavc -ovc lavc"
     " -lavcopts acodec=ac3:abitrate={a}:vcodec=mpeg4:vbitrate={v}:vhq:vqmin=1:vqmax=31:autoaspect=1"
     " -ffourcc DX50"},
    {" -oac mp3lame -ovc xvid -lameopts vbr=3:br={a}:mode=3"
     " -xvidencopts bitrate={v}:autoaspect=1",
     " -oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate={a} -xvidencopts bitrate={v}:autoaspect=1"},
};
constexpr const char* kAviContainerPieces =
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2";
constexpr const char* kAviAc3AudioPieces = " -af volume={vol}:channels=6:lavcresample=44100 -srate 44100";
constexpr const char* kAviMp3AudioPieces = " -af volume={vol}:channels=2";

// Where the AVI family's video and audio choices come from; a null field
// means the fixed choice.
struct AviFamilyRule {
    int32_t format;
    int32_t OutputSettings::*videoChoice;
    int32_t fixedVideoChoice;
    int32_t OutputSettings::*audioChoice;
};
constexpr AviFamilyRule kAviFamilyRules[] = {
    {FormatAvi, &OutputSettings::aviVideoCodec, 0, &OutputSettings::aviAudioCodec},
    {FormatDivx, nullptr, 0, &OutputSettings::divxAudioCodec},
    {FormatXvid, nullptr, 1, &OutputSettings::xvidAudioCodec},
};

// The other formats. {acodec} is audioNames[0] when audioChoice is 0 and
// audioNames[1] for any other value.
struct FormatPieces {
    int32_t format;
    const char* pieces;
    int32_t OutputSettings::*audioChoice;
    const char* audioNames[2];
};
const FormatPieces kFormatPieces[] = {
    {FormatMpeg1,
     " -af volume={vol}:channels=2:lavcresample=44100 -srate 44100 -oac lavc -ovc lavc"
     " -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate={v}:vbitrate={v}"
     ":vrc_maxrate={v}:acodec=mp2:abitrate={a}:autoaspect=1:aspect={asp}"
     " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames",
     nullptr, {}},
    {FormatMpeg2,
     " -oac lavc -ovc lavc"
     " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate={v}"
     ":acodec=mp2:abitrate={a}:autoaspect=1:aspect={asp}"
     " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames"
     " -af volume={vol}:channels=2:lavcresample=44100 -srate 44100",
     nullptr, {}},
    {FormatVcd,
     " -oac lavc -ovc lavc -of mpeg"
     " -lavcopts vcodec=mpeg1video:keyint={keyint}:vrc_buf_size=327:vrc_minrate={v}:vbitrate={v}"
     ":vrc_maxrate={v}:acodec=mp2:abitrate={a}:autoaspect=1:aspect={asp}"
     " -mpegopts format=xvcd -af volume={vol}:channels=2:lavcresample=44100 -srate 44100",
     nullptr, {}},
    {FormatSvcd,
     " -oac lavc -ovc lavc -of mpeg"
     " -lavcopts vcodec=mpeg2video:keyint={keyint}:vrc_buf_size=917:vrc_minrate=600"
     ":vrc_maxrate={m}:vbitrate={v}:acodec=mp2:abitrate={a}:autoaspect=1:aspect={asp}"
     " -mpegopts format=xsvcd -af volume={vol}:channels=2:lavcresample=44100 -srate 44100",
     nullptr, {}},
    {FormatDvd,
     " -oac lavc -ovc lavc -of mpeg"
     " -lavcopts vcodec=mpeg2video:keyint={keyint}:vrc_buf_size=1835:vrc_maxrate=9400"
     ":vbitrate={v}:acodec={acodec}:abitrate={a}:autoaspect=1:aspect={asp}"
     " -mpegopts format=dvd -af volume={vol}:lavcresample=48000 -srate 48000",
     &OutputSettings::dvdAudioCodec, {"ac3", "mp2"}},
    {FormatWmv,
     " -oac lavc -ovc lavc"
     " -lavcopts vcodec={vcodec}:acodec={acodec}:vqscale={q}:abitrate={a}:autoaspect=1"
     " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv"
     " -sws 2 -af volume={vol}:channels=2 -srate 44100",
     &OutputSettings::wmvAudioCodec, {"wmav1", "wmav2"}},
    {FormatAsf,
     " -oac lavc -ovc lavc"
     " -lavcopts vcodec={vcodec}:acodec={acodec}:vqscale={q}:abitrate={a}:autoaspect=1"
     " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=asf"
     " -sws 2 -af volume={vol}:channels=2 -srate 44100",
     &OutputSettings::asfAudioCodec, {"wmav1", "wmav2"}},
};

// ASF video name by asfVideoCodec; any other value, and WMV, take "wmv2".
constexpr const char* kAsfVideoNames[] = {"msmpeg4", "msmpeg4v2"};
constexpr const char* kWmv8VideoName = "wmv2";

// Frame rates passed as exact fractions.
struct RateFraction {
    double rate;
    const char* text;
};
constexpr RateFraction kRateFractions[] = {
    {14.985, "15000/1001"},
    {23.976, "24000/1001"},
    {29.97, "30000/1001"},
};

int32_t clampToInt32(int64_t v)
{
    return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

void appendExpanded(std::string& out, std::string_view pieces,
                    std::span<const std::pair<std::string_view, std::string>> values)
{
    while (!pieces.empty()) {
        size_t open = pieces.find('{');
        size_t close = open == std::string_view::npos ? open : pieces.find('}', open);
        if (close == std::string_view::npos) {
            out += pieces;
            return;
        }
        out += pieces.substr(0, open);
        std::string_view name = pieces.substr(open + 1, close - open - 1);
        bool found = false;
        for (const auto& [n, v] : values)
            if (n == name) {
                out += v;
                found = true;
                break;
            }
        if (!found)
            out += pieces.substr(open, close - open + 1);
        pieces.remove_prefix(close + 1);
    }
}

// 20 - volume or volume - 20 in 64 bits, so no step overflows.
std::string volumeText(int32_t volume)
{
    const int64_t step = volume;
    return step < 20 ? "-" + std::to_string(20 - step) + "db:0" : "+" + std::to_string(step - 20) + "db:0";
}

// 29.0 - 2.5 * wmvQuality truncated toward zero, held in the int32 range.
int32_t windowsMediaScale(int32_t quality)
{
    const double q = std::trunc(29.0 - 2.5 * quality);
    return clampToInt32(static_cast<int64_t>(q));  // |q| < 2^33: exact in int64
}

// v + (2500 - v) / 2 in 64 bits.
int32_t svcdPeakRate(int32_t video)
{
    const int64_t v = video;
    return clampToInt32(v + (2500 - v) / 2);
}

const char* choiceName(const char* const (&names)[2], int32_t choice)
{
    return choice == 0 ? names[0] : names[1];
}

void appendFormatOptions(std::string& out, const OutputSettings& s, const EncodeParameters& p)
{
    const std::pair<std::string_view, std::string> common[] = {
        {"v", std::to_string(p.videoBitrate)},
        {"a", std::to_string(p.audioBitrate)},
        {"vol", volumeText(s.volume)},
    };

    for (const AviFamilyRule& rule : kAviFamilyRules) {
        if (rule.format != s.outputFormat)
            continue;
        const int32_t video = rule.videoChoice ? s.*rule.videoChoice : rule.fixedVideoChoice;
        const int32_t audio = s.*rule.audioChoice;
        // A choice outside 0 and 1 matches no codec row: no codec pieces.
        if ((video == 0 || video == 1) && (audio == 0 || audio == 1))
            appendExpanded(out, kAviCodecPieces[video][audio], common);
        appendExpanded(out, kAviContainerPieces, common);
        appendExpanded(out, audio == 1 ? kAviAc3AudioPieces : kAviMp3AudioPieces, common);
        return;
    }

    for (const FormatPieces& f : kFormatPieces) {
        if (f.format != s.outputFormat)
            continue;
        const char* videoName = kWmv8VideoName;
        if (s.outputFormat == FormatAsf && (s.asfVideoCodec == 0 || s.asfVideoCodec == 1))
            videoName = kAsfVideoNames[s.asfVideoCodec];
        const std::pair<std::string_view, std::string> values[] = {
            common[0], common[1], common[2],
            {"asp", p.aspectText},
            {"keyint", s.tvMode == 0 ? "18" : "15"},
            {"m", std::to_string(svcdPeakRate(p.videoBitrate))},
            {"q", std::to_string(windowsMediaScale(s.wmvQuality))},
            {"vcodec", videoName},
            {"acodec", f.audioChoice ? choiceName(f.audioNames, s.*f.audioChoice) : ""},
        };
        appendExpanded(out, f.pieces, values);
        return;
    }
}

void appendFrameRate(std::string& out, double f)
{
    for (const RateFraction& r : kRateFractions) {
        if (f - r.rate <= 0.00001 && f - r.rate >= -0.00001) {
            out += " -ofps ";
            out += r.text;
            return;
        }
    }
    char buf[400];  // "%f" of the largest double needs 317 characters
    std::snprintf(buf, sizeof buf, " -ofps %f", f);
    out += buf;
}

void appendScaling(std::string& out, const EncodeParameters& p, int32_t padWidth,
                   int32_t padHeight)
{
    const std::string w = std::to_string(p.targetWidth);
    const std::string h = std::to_string(p.targetHeight);
    if (padWidth > 0)
        out += " -vf scale=-3:" + h + ",harddup,expand=" + w + ":" + h;
    else if (padHeight > 0)
        out += " -vf scale=" + w + ":-3,harddup,expand=" + w + ":" + h;
    else if (p.targetWidth != 0 && p.targetHeight != 0)
        out += " -vf scale=" + w + ":" + h + ",harddup";
}

}  // namespace

Padding ComputePadding(const OutputSettings& s, EncodeParameters& p, int32_t sourceWidth,
                       int32_t sourceHeight)
{
    ResolveFrameSize(s, p);
    const int64_t w = p.targetWidth;
    const int64_t h = p.targetHeight;
    if (s.letterbox == 0 || w == 0 || h == 0 || sourceWidth == 0 || sourceHeight == 0)
        return {};
    // The 32-bit padding formula in 64 bits: the same numbers whenever the
    // 32-bit products fit (sources below about 2.9 million pixels a side),
    // held in the int32 range beyond.
    const int64_t sw = sourceWidth;
    const int64_t sh = sourceHeight;
    return {clampToInt32(w - sw * h / sh), clampToInt32(h - sh * w / sw)};
}

std::string BuildEncoderCommandLine(const OutputSettings& s, EncodeParameters& p,
                                    const std::string& sourcePath, const std::string& outputPath,
                                    int32_t padWidth, int32_t padHeight, int32_t mode,
                                    double sourceFrameRate, int32_t reportChannel)
{
    ResolveBitrates(s, p);
    ResolveAspectText(s, p);
    ResolveFrameRate(s, p, sourceFrameRate);

    std::string out;
    out.reserve(1024);
    out += '"' + sourcePath + "\" -o \"" + outputPath + '"';
    appendFormatOptions(out, s, p);
    appendFrameRate(out, p.outputFrameRate);
    appendScaling(out, p, padWidth, padHeight);
    out += " -endpos 9:0:0 " + std::to_string(mode) + " " + std::to_string(reportChannel);
    return out;
}

}  // namespace quelvo
