#include "encoder/FfmpegCommand.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace brantixenc {

namespace {

struct NamePair {
    std::string_view ours;
    std::string_view ffmpeg;
};

const NamePair kVideoCodecs[] = {
    {"mpeg4", "mpeg4"},     {"mpeg1video", "mpeg1video"}, {"mpeg2video", "mpeg2video"},
    {"msmpeg4", "msmpeg4"}, {"msmpeg4v2", "msmpeg4v2"},   {"wmv1", "wmv1"},
    {"wmv2", "wmv2"},       {"mjpeg", "mjpeg"},           {"h263p", "h263p"},
    {"flv", "flv"},         {"huffyuv", "huffyuv"},       {"ffv1", "ffv1"},
};

const NamePair kAudioCodecs[] = {
    {"ac3", "ac3"},     {"mp2", "mp2"}, {"wmav1", "wmav1"},        {"wmav2", "wmav2"},
    {"mp3", "libmp3lame"}, {"aac", "aac"}, {"vorbis", "libvorbis"}, {"pcm", "pcm_s16le"},
};

// -lavfopts format= goes through libavformat's name and extension lookup:
// "mpg" is the MPEG-1 system stream muxer, "wmv" the ASF one.
const NamePair kLavfFormats[] = {
    {"avi", "avi"}, {"mpg", "mpeg"}, {"mpeg", "mpeg"}, {"vob", "vob"},
    {"asf", "asf"}, {"wmv", "asf"},  {"mp4", "mp4"},   {"mov", "mov"},
};

const NamePair kMpegFormats[] = {
    {"mpeg1", "mpeg"}, {"mpeg2", "vob"},  {"xvcd", "vcd"}, {"vcd", "vcd"},
    {"xsvcd", "svcd"}, {"svcd", "svcd"}, {"dvd", "dvd"},
};

const NamePair kExtensions[] = {
    {".avi", "avi"}, {".mpg", "mpeg"}, {".mpeg", "mpeg"}, {".vob", "vob"},
    {".asf", "asf"}, {".wmv", "asf"},  {".mp4", "mp4"},   {".mov", "mov"},
};

// -sws numbers, in MEncoder's order.
const char* const kScalers[] = {"fast_bilinear", "bilinear", "bicubic", "experimental",
                                "neighbor",      "area",     "bicublin", "gauss",
                                "sinc",          "lanczos",  "spline"};

const char* const kChannelLayouts[] = {"mono", "stereo", "3.0", "quad",
                                       "5.0",  "5.1",    "6.1", "7.1"};

template <size_t N>
std::optional<std::string> lookup(const NamePair (&table)[N], std::string_view name)
{
    for (const auto& p : table)
        if (p.ours == name)
            return std::string(p.ffmpeg);
    return std::nullopt;
}

bool fail(std::string* error, std::string message)
{
    if (error)
        *error = std::move(message);
    return false;
}

// lavc and xvid read a bitrate above 16000 as bit/s, below as kbit/s.
std::string videoBitrate(int value)
{
    return value > 16000 ? std::to_string(value) : std::to_string(value) + "k";
}

std::string ratio(Rational r)
{
    return std::to_string(r.num) + "/" + std::to_string(r.den);
}

std::string decimal(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

// MEncoder's aspect text: "a/b" or a decimal ("2.21/1" reads as 2.21).
double aspectValue(const std::string& text)
{
    auto slash = text.find('/');
    if (slash != std::string::npos) {
        int a = 0, b = 0;
        if (std::sscanf(text.c_str(), "%d/%d", &a, &b) == 2 && text.find('.') > slash && b != 0)
            return double(a) / b;
    }
    return std::strtod(text.c_str(), nullptr);
}

// The picture as it passes MEncoder's filter chain: storage size and the
// display aspect, which scale and expand keep as MEncoder's own filters do.
struct Picture {
    int width = 0;
    int height = 0;
    double displayAspect = 1;

    double sampleAspect() const { return displayAspect * height / width; }
    // MEncoder's d_width and d_height: the display size, never below the storage size.
    int displayWidth() const
    {
        int w = int(std::lround(height * displayAspect));
        return w >= width ? w : width;
    }
    int displayHeight() const
    {
        int w = int(std::lround(height * displayAspect));
        return w >= width ? height : int(std::lround(width / displayAspect));
    }
};

// Sizes that follow the other side are rounded up to even, as MEncoder does
// for the 4:2:0 pictures it encodes.
bool scaleSize(const VideoFilter& f, const Picture& p, int& w, int& h, std::string* error)
{
    // 64-bit products: a large source times a large target overflows 32 bits.
    auto follow = [](int64_t other, int64_t num, int64_t den) { return (other * num / den + 1) & ~int64_t(1); };
    int64_t sw = f.width, sh = f.height;
    if ((sw == -2 || sw == -3) && sh <= 0)
        return fail(error, "-vf scale: the width follows a height that is not given");
    if (sw == -3) sw = follow(sh, p.width, p.height);
    else if (sw == -2) sw = follow(sh, p.displayWidth(), p.displayHeight());
    else if (sw < 0) sw = p.width;
    else if (sw == 0) sw = p.displayWidth();
    if (sh == -3) sh = follow(sw, p.height, p.width);
    else if (sh == -2) sh = follow(sw, p.displayHeight(), p.displayWidth());
    else if (sh < 0) sh = p.height;
    else if (sh == 0) sh = p.displayHeight();
    if (sw <= 0 || sh <= 0 || sw > 65535 || sh > 65535)
        return fail(error, "-vf scale gives a picture of " + std::to_string(sw) + " x " + std::to_string(sh));
    w = int(sw);
    h = int(sh);
    return true;
}

bool videoFilterChain(const EncoderJob& job, const SourceInfo& source, std::string& chain,
                      Picture& p, std::string* error)
{
    const char* scaler = kScalers[job.scaler.value_or(2)];
    double sar = source.sarNum > 0 ? double(source.sarNum) / source.sarDen : 1.0;
    p = {source.width, source.height, double(source.width) * sar / source.height};
    std::vector<std::string> filters;
    for (const VideoFilter& f : job.videoFilters) {
        switch (f.kind) {
        case VideoFilter::Kind::HardDup:
            // ffmpeg encodes every frame it repeats for a constant rate anyway.
            break;
        case VideoFilter::Kind::Scale: {
            int w = 0, h = 0;
            if (!scaleSize(f, p, w, h, error))
                return false;
            filters.push_back("scale=" + std::to_string(w) + ":" + std::to_string(h) +
                              ":flags=" + scaler);
            p.width = w;
            p.height = h;
            break;
        }
        case VideoFilter::Kind::Expand: {
            // Expand never crops: a smaller size keeps the picture's.
            int ew = f.width == -1 ? p.width : f.width < -1 ? p.width - f.width : std::max(f.width, p.width);
            int eh = f.height == -1 ? p.height : f.height < -1 ? p.height - f.height : std::max(f.height, p.height);
            int x = f.x < 0 || f.x + p.width > ew ? (ew - p.width) / 2 : f.x;
            int y = f.y < 0 || f.y + p.height > eh ? (eh - p.height) / 2 : f.y;
            filters.push_back("pad=" + std::to_string(ew) + ":" + std::to_string(eh) + ":" +
                              std::to_string(x) + ":" + std::to_string(y) + ":black");
            double keptSar = p.sampleAspect();
            p.width = ew;
            p.height = eh;
            p.displayAspect = keptSar * ew / eh;
            break;
        }
        }
    }
    // The encoder's pixel aspect: an explicit aspect wins over autoaspect;
    // with neither, MEncoder writes square pixels.
    double outSar = 1.0;
    if (job.videoEncoder == "lavc" && job.lavc.aspect)
        outSar = aspectValue(*job.lavc.aspect) * p.height / p.width;
    else if ((job.videoEncoder == "lavc" && job.lavc.autoaspect.value_or(false)) ||
             (job.videoEncoder == "xvid" && job.xvid.autoaspect.value_or(false)))
        outSar = p.sampleAspect();
    p.displayAspect = outSar * p.width / p.height;
    filters.push_back("setsar=" + ratio(bestRational(outSar, 255, 255)));
    for (size_t i = 0; i < filters.size(); ++i)
        chain += (i ? "," : "") + filters[i];
    return true;
}

std::string audioFilterChain(const EncoderJob& job, const SourceInfo& source)
{
    std::vector<std::string> filters;
    const AudioFilters& a = job.audioFilters;
    if (a.volumeDb && *a.volumeDb != 0)
        filters.push_back("volume=" + decimal(*a.volumeDb) + "dB");
    if (a.softClip)
        filters.push_back("asoftclip");
    // MEncoder's channels filter copies channel i to i and leaves the rest
    // silent (it drops what does not fit); only mono to stereo doubles.
    if (a.channels && *a.channels != source.audioChannels && source.audioChannels > 0) {
        int out = *a.channels, in = source.audioChannels;
        std::string pan = std::string("pan=") + kChannelLayouts[out - 1];
        if (in == 1 && out == 2)
            pan += "|c0=c0|c1=c0";
        else
            for (int i = 0; i < std::min(in, out); ++i)
                pan += "|c" + std::to_string(i) + "=c" + std::to_string(i);
        filters.push_back(pan);
    }
    // -srate already sets the same rate at the encoder.
    if (a.resampleRate && a.resampleRate != job.sampleRate)
        filters.push_back("aresample=" + std::to_string(*a.resampleRate));
    std::string chain;
    for (size_t i = 0; i < filters.size(); ++i)
        chain += (i ? "," : "") + filters[i];
    return chain;
}

bool containerFormat(const EncoderJob& job, std::string& format, std::string* error)
{
    if (job.muxer == "avi") {
        format = "avi";
    } else if (job.muxer == "mpeg") {
        format = job.mpegFormat.empty() ? "vob" : lookup(kMpegFormats, job.mpegFormat).value_or("");
    } else if (!job.lavfFormat.empty()) {
        format = lookup(kLavfFormats, job.lavfFormat).value_or("");
        if (format.empty())
            return fail(error, "-lavfopts: unknown format " + job.lavfFormat);
    } else {
        auto dot = job.outputPath.rfind('.');
        std::string ext = dot == std::string::npos ? "" : job.outputPath.substr(dot);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        format = lookup(kExtensions, ext).value_or("");
        if (format.empty())
            return fail(error, "cannot tell the container from the output name; give -lavfopts format=");
    }
    return !format.empty() || fail(error, "unknown container");
}

// The output rate as ffmpeg takes it; nullopt keeps the source's timing.
std::optional<Rational> outputRate(const EncoderJob& job)
{
    if (!job.outputFrameRate)
        return std::nullopt;
    const FrameRate& r = *job.outputFrameRate;
    // The settings' "Auto": 1000 fps on the millisecond clock of ASF.
    if (r.value >= 999.9995)
        return std::nullopt;
    if (r.num > 0)
        return Rational{r.num, r.den};
    return bestRational(r.value, 1 << 30, 1001);
}

}  // namespace

Rational bestRational(double value, int64_t maxNum, int64_t maxDen)
{
    if (!(value > 0) || !std::isfinite(value) || maxNum < 1 || maxDen < 1)
        return {0, 1};
    // Continued fraction convergents, with the last semiconvergent that fits.
    int64_t p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    double r = value;
    for (int i = 0; i < 64; ++i) {
        double a = std::floor(r);
        int64_t ai = a > 1e15 ? int64_t(1e15) : int64_t(a);
        int64_t p2 = p0 + ai * p1, q2 = q0 + ai * q1;
        if (a > 1e15 || p2 > maxNum || q2 > maxDen) {
            int64_t k = ai;
            if (p1 > 0) k = std::min(k, (maxNum - p0) / p1);
            if (q1 > 0) k = std::min(k, (maxDen - q0) / q1);
            Rational semi{p0 + k * p1, q0 + k * q1};
            if (q1 == 0)
                return semi;
            if (k > 0 && std::fabs(double(semi.num) / semi.den - value) <
                             std::fabs(double(p1) / q1 - value))
                return semi;
            break;
        }
        p0 = p1, q0 = q1, p1 = p2, q1 = q2;
        double frac = r - a;
        if (frac < 1e-9)
            break;
        r = 1 / frac;
    }
    return {p1, q1};
}

std::optional<std::vector<std::string>> buildFfmpegArguments(const EncoderJob& job,
                                                             const SourceInfo& source,
                                                             const std::string& outputPath,
                                                             int progressDescriptor,
                                                             std::string* error)
{
    if (!source.readable || source.width <= 0 || source.height <= 0) {
        fail(error, "the source has no readable video stream");
        return std::nullopt;
    }
    if (job.videoEncoder.empty()) {
        fail(error, "no video encoder (-ovc)");
        return std::nullopt;
    }
    const bool audio = source.audioStream >= 0;
    if (audio && job.audioEncoder.empty()) {
        fail(error, "the source has sound but no audio encoder (-oac) is given");
        return std::nullopt;
    }
    std::string format;
    if (!containerFormat(job, format, error))
        return std::nullopt;

    std::vector<std::string> a = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error",
                                  "-nostats"};
    if (progressDescriptor >= 0) {
        a.insert(a.end(), {"-progress", "pipe:" + std::to_string(progressDescriptor),
                           "-stats_period", "0.25"});
    }
    a.insert(a.end(), {"-y", "-i", "file:" + job.sourcePath,
                       "-map", "0:" + std::to_string(source.videoStream)});
    if (audio)
        a.insert(a.end(), {"-map", "0:" + std::to_string(source.audioStream)});
    if (job.endPosition) {
        if (job.endPosition->bytes > 0)
            a.insert(a.end(), {"-fs", std::to_string(job.endPosition->bytes)});
        else
            a.insert(a.end(), {"-t", decimal(job.endPosition->seconds)});
    }

    // Video.
    std::optional<Rational> rate = outputRate(job);
    std::string fourcc = job.fourcc;
    if (job.videoEncoder == "copy") {
        a.insert(a.end(), {"-c:v", "copy"});
    } else {
        if (job.videoEncoder == "lavc") {
            const LavcOptions& l = job.lavc;
            auto codec = lookup(kVideoCodecs, l.videoCodec.empty() ? "mpeg4" : l.videoCodec);
            if (!codec) {
                fail(error, "-lavcopts: unknown video codec " + l.videoCodec);
                return std::nullopt;
            }
            a.insert(a.end(), {"-c:v", *codec});
            if (l.videoQscale)
                a.insert(a.end(), {"-q:v", std::to_string(*l.videoQscale)});
            else
                a.insert(a.end(), {"-b:v", videoBitrate(l.videoBitrate.value_or(800))});
            if (l.mbDecision || l.highQuality) {
                static const char* const kMbd[] = {"simple", "bits", "rd"};
                a.insert(a.end(), {"-mbd", kMbd[l.highQuality ? 2 : *l.mbDecision]});
            }
            if (l.qmin) a.insert(a.end(), {"-qmin", std::to_string(*l.qmin)});
            if (l.qmax) a.insert(a.end(), {"-qmax", std::to_string(*l.qmax)});
            // lavc's own key-frame default, not ffmpeg's 12.
            a.insert(a.end(), {"-g", std::to_string(l.keyint.value_or(250))});
            if (l.bufferSize) a.insert(a.end(), {"-bufsize", std::to_string(*l.bufferSize) + "k"});
            if (l.minRate) a.insert(a.end(), {"-minrate", std::to_string(*l.minRate) + "k"});
            if (l.maxRate) a.insert(a.end(), {"-maxrate", std::to_string(*l.maxRate) + "k"});
        } else {  // xvid
            a.insert(a.end(), {"-c:v", "libxvid"});
            if (job.xvid.fixedQuant)
                a.insert(a.end(), {"-q:v", std::to_string(*job.xvid.fixedQuant)});
            else
                a.insert(a.end(), {"-b:v", videoBitrate(job.xvid.bitrate.value_or(687))});
            // Xvid's default key-frame interval is ten seconds of frames.
            double fps = rate ? double(rate->num) / rate->den
                              : source.rateNum > 0 ? double(source.rateNum) / source.rateDen : 25.0;
            a.insert(a.end(), {"-g", std::to_string(std::max(1L, std::lround(10 * fps)))});
            if (fourcc.empty())
                fourcc = "XVID";
        }
        a.insert(a.end(), {"-threads", "0"});
        std::string chain;
        Picture picture;
        if (!videoFilterChain(job, source, chain, picture, error))
            return std::nullopt;
        a.insert(a.end(), {"-vf", chain, "-pix_fmt", "yuv420p"});
        if (rate)
            a.insert(a.end(), {"-r", ratio(*rate)});
        else if (job.outputFrameRate)
            a.insert(a.end(), {"-fps_mode", "passthrough"});
    }
    if (!fourcc.empty() && (format == "avi" || format == "asf"))
        a.insert(a.end(), {"-vtag", fourcc});

    // Audio.
    if (!audio) {
        a.push_back("-an");
    } else if (job.audioEncoder == "copy") {
        a.insert(a.end(), {"-c:a", "copy"});
    } else {
        std::optional<int> channels;
        if (job.audioEncoder == "mp3lame") {
            const LameOptions& l = job.lame;
            a.insert(a.end(), {"-c:a", "libmp3lame"});
            int vbr = l.vbr.value_or(2);
            if (vbr == 0)
                a.insert(a.end(), {"-b:a", std::to_string(l.bitrate.value_or(128)) + "k"});
            else if (vbr == 3)
                a.insert(a.end(), {"-abr", "1", "-b:a", std::to_string(l.bitrate.value_or(128)) + "k"});
            else
                a.insert(a.end(), {"-q:a", std::to_string(l.quality.value_or(4))});
            // LAME's mode 3 is mono: MEncoder then writes one channel,
            // whatever the audio filters made of the sound before.
            if (l.mode) {
                channels = *l.mode == 3 ? 1 : 2;
                a.insert(a.end(), {"-joint_stereo", *l.mode == 1 ? "1" : "0"});
            }
        } else if (job.audioEncoder == "pcm") {
            a.insert(a.end(), {"-c:a", "pcm_s16le"});
        } else {  // lavc
            auto codec = lookup(kAudioCodecs, job.lavc.audioCodec.empty() ? "mp2" : job.lavc.audioCodec);
            if (!codec) {
                fail(error, "-lavcopts: unknown audio codec " + job.lavc.audioCodec);
                return std::nullopt;
            }
            a.insert(a.end(), {"-c:a", *codec, "-b:a",
                               std::to_string(job.lavc.audioBitrate.value_or(224)) + "k"});
        }
        std::string chain = audioFilterChain(job, source);
        if (!chain.empty())
            a.insert(a.end(), {"-af", chain});
        if (channels)
            a.insert(a.end(), {"-ac", std::to_string(*channels)});
        if (job.sampleRate)
            a.insert(a.end(), {"-ar", std::to_string(*job.sampleRate)});
    }
    a.insert(a.end(), {"-f", format, "file:" + outputPath});
    return a;
}

}  // namespace brantixenc
