#include "encoder/ArgumentParser.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace brantixenc {

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool fail(std::string* error, std::string message)
{
    if (error)
        *error = std::move(message);
    return false;
}

// Paths come in double quotes and never contain one, so nothing is escaped.
bool tokenize(std::string_view text, std::vector<Token>& tokens, std::string* error)
{
    if (text.find('\0') != std::string_view::npos)
        return fail(error, "the argument string contains a NUL byte");
    size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        Token t;
        if (text[i] == '"') {
            size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos)
                return fail(error, "missing closing quote after " + std::string(text.substr(i, 40)));
            t.text = std::string(text.substr(i + 1, close - i - 1));
            t.quoted = true;
            i = close + 1;
            if (i < text.size() && !isBlank(text[i]))
                return fail(error, "no blank after the quoted text \"" + t.text + "\"");
        } else {
            size_t end = i;
            while (end < text.size() && !isBlank(text[end]))
                ++end;
            t.text = std::string(text.substr(i, end - i));
            if (t.text.find('"') != std::string::npos)
                return fail(error, "stray quote in " + t.text);
            i = end;
        }
        tokens.push_back(std::move(t));
    }
    return true;
}

bool parseInt(std::string_view s, int& out)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty())
        return false;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && ptr == s.data() + s.size();
}

bool parseDouble(std::string_view s, double& out)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty())
        return false;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && ptr == s.data() + s.size() && std::isfinite(out);
}

std::vector<std::string_view> split(std::string_view s, char sep)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        size_t pos = s.find(sep, start);
        parts.push_back(s.substr(start, pos == std::string_view::npos ? pos : pos - start));
        if (pos == std::string_view::npos)
            return parts;
        start = pos + 1;
    }
}

// One "key[=value]" item of a sub-option list such as -lavcopts.
struct SubOption {
    std::string_view key;
    std::optional<std::string_view> value;
};

SubOption splitItem(std::string_view item)
{
    size_t eq = item.find('=');
    if (eq == std::string_view::npos)
        return {item, std::nullopt};
    return {item.substr(0, eq), item.substr(eq + 1)};
}

bool intValue(const std::string& option, const SubOption& o, std::optional<int>& out,
              std::string* error, int lo = INT32_MIN, int hi = INT32_MAX)
{
    int v = 0;
    if (!o.value || !parseInt(*o.value, v) || v < lo || v > hi)
        return fail(error, option + ": " + std::string(o.key) + " needs a whole number" +
                               (lo != INT32_MIN ? " from " + std::to_string(lo) + " to " +
                                                      std::to_string(hi)
                                                : std::string()));
    out = v;
    return true;
}

bool flagValue(const std::string& option, const SubOption& o, bool& out, std::string* error)
{
    int v = 1;
    if (o.value && !parseInt(*o.value, v))
        return fail(error, option + ": " + std::string(o.key) + " takes 0 or 1");
    out = v != 0;
    return true;
}

bool textValue(const std::string& option, const SubOption& o, std::string& out,
               std::string* error)
{
    if (!o.value || o.value->empty())
        return fail(error, option + ": " + std::string(o.key) + " needs a value");
    out = std::string(*o.value);
    return true;
}

bool unknownSubOption(const std::string& option, const SubOption& o, std::string* error)
{
    return fail(error, option + ": unknown sub-option " + std::string(o.key));
}

// MEncoder reads an aspect as "a/b" or as a decimal and takes it only
// between 0.1 and 10.
bool validAspect(std::string_view text)
{
    double ratio = 0;
    auto slash = text.find('/');
    if (slash != std::string_view::npos) {
        int a = 0, b = 0;
        if (parseInt(text.substr(0, slash), a) && parseInt(text.substr(slash + 1), b)) {
            if (b == 0)
                return false;
            ratio = double(a) / b;
        } else if (!parseDouble(text.substr(0, slash), ratio)) {
            return false;  // "2.21/1" reads as 2.21, like sscanf("%f") does
        }
    } else if (!parseDouble(text, ratio)) {
        return false;
    }
    return ratio > 0.1 && ratio < 10.0;
}

bool parseLavcopts(EncoderJob& job, const std::string& value, std::string* error)
{
    const std::string opt = "-lavcopts";
    LavcOptions& l = job.lavc;
    for (auto item : split(value, ':')) {
        if (item.empty())
            continue;
        SubOption o = splitItem(item);
        bool ok = true;
        if (o.key == "vcodec") ok = textValue(opt, o, l.videoCodec, error);
        else if (o.key == "acodec") ok = textValue(opt, o, l.audioCodec, error);
        else if (o.key == "vbitrate") ok = intValue(opt, o, l.videoBitrate, error, 4, 24000000);
        else if (o.key == "abitrate") ok = intValue(opt, o, l.audioBitrate, error, 1, 10000);
        else if (o.key == "vqscale") ok = intValue(opt, o, l.videoQscale, error, 1, 31);
        else if (o.key == "vqmin") ok = intValue(opt, o, l.qmin, error, 1, 31);
        else if (o.key == "vqmax") ok = intValue(opt, o, l.qmax, error, 1, 31);
        else if (o.key == "mbd") ok = intValue(opt, o, l.mbDecision, error, 0, 2);
        else if (o.key == "keyint") ok = intValue(opt, o, l.keyint, error, 0, 100000);
        else if (o.key == "vrc_buf_size") ok = intValue(opt, o, l.bufferSize, error, 0, 2000000);
        else if (o.key == "vrc_minrate") ok = intValue(opt, o, l.minRate, error, 0, 2000000);
        else if (o.key == "vrc_maxrate") ok = intValue(opt, o, l.maxRate, error, 0, 2000000);
        else if (o.key == "vhq") ok = flagValue(opt, o, l.highQuality, error);
        else if (o.key == "autoaspect") {
            bool on = true;
            ok = flagValue(opt, o, on, error);
            l.autoaspect = on;
        } else if (o.key == "aspect") {
            std::string text;
            ok = textValue(opt, o, text, error);
            if (ok && !validAspect(text))
                ok = fail(error, opt + ": cannot read aspect " + text);
            l.aspect = text;
        } else
            ok = unknownSubOption(opt, o, error);
        if (!ok)
            return false;
    }
    return true;
}

bool parseLameopts(EncoderJob& job, const std::string& value, std::string* error)
{
    const std::string opt = "-lameopts";
    for (auto item : split(value, ':')) {
        if (item.empty())
            continue;
        SubOption o = splitItem(item);
        bool ok = true;
        if (o.key == "vbr") ok = intValue(opt, o, job.lame.vbr, error, 0, 4);
        else if (o.key == "br") ok = intValue(opt, o, job.lame.bitrate, error, 0, 1024);
        else if (o.key == "mode") ok = intValue(opt, o, job.lame.mode, error, 0, 3);
        else if (o.key == "q") ok = intValue(opt, o, job.lame.quality, error, 0, 9);
        else if (o.key == "cbr" && !o.value) job.lame.vbr = 0;
        else if (o.key == "abr" && !o.value) job.lame.vbr = 3;
        else ok = unknownSubOption(opt, o, error);
        if (!ok)
            return false;
    }
    return true;
}

bool parseXvidencopts(EncoderJob& job, const std::string& value, std::string* error)
{
    const std::string opt = "-xvidencopts";
    for (auto item : split(value, ':')) {
        if (item.empty())
            continue;
        SubOption o = splitItem(item);
        bool ok = true;
        if (o.key == "bitrate") ok = intValue(opt, o, job.xvid.bitrate, error, 1, 24000000);
        else if (o.key == "fixed_quant") ok = intValue(opt, o, job.xvid.fixedQuant, error, 1, 31);
        else if (o.key == "autoaspect") {
            bool on = true;
            ok = flagValue(opt, o, on, error);
            job.xvid.autoaspect = on;
        } else
            ok = unknownSubOption(opt, o, error);
        if (!ok)
            return false;
    }
    return true;
}

bool parseLavfopts(EncoderJob& job, const std::string& value, std::string* error)
{
    const std::string opt = "-lavfopts";
    for (auto item : split(value, ':')) {
        if (item.empty())
            continue;
        SubOption o = splitItem(item);
        bool ok = true;
        if (o.key == "format") ok = textValue(opt, o, job.lavfFormat, error);
        else if (o.key == "i_certify_that_my_video_stream_does_not_use_b_frames" && !o.value) {
        } else
            ok = unknownSubOption(opt, o, error);
        if (!ok)
            return false;
    }
    return true;
}

bool parseMpegopts(EncoderJob& job, const std::string& value, std::string* error)
{
    const std::string opt = "-mpegopts";
    static const std::string_view formats[] = {"mpeg1", "mpeg2", "xvcd", "xsvcd", "dvd", "vcd", "svcd"};
    for (auto item : split(value, ':')) {
        if (item.empty())
            continue;
        SubOption o = splitItem(item);
        if (o.key != "format")
            return unknownSubOption(opt, o, error);
        if (!o.value || std::find(std::begin(formats), std::end(formats), *o.value) == std::end(formats))
            return fail(error, opt + ": unknown format " + std::string(o.value.value_or("")));
        job.mpegFormat = std::string(*o.value);
    }
    return true;
}

// Each -af entry is "name=parameters"; the filter alone reads the parameters.
// The volume filter takes "<gain>[:<soft clip>]" and ignores whatever follows,
// so "volume=+5db:0:channels=2" sets +5 dB and nothing else.
bool parseAudioFilters(EncoderJob& job, const std::string& value, std::string* error)
{
    for (auto entry : split(value, ',')) {
        if (entry.empty())
            continue;
        SubOption f = splitItem(entry);
        std::string params(f.value.value_or(""));
        if (f.key == "volume") {
            // volume=<gain>[:<soft clip>], then, in the program's strings, the
            // channel count and resampling chained on with ':'
            // ("+5db:0:channels=2:lavcresample=44100"); they ask for those
            // filters too.
            const auto parts = split(params, ':');
            const std::string gainText(parts[0]);
            const char* p = gainText.c_str();
            char* end = nullptr;
            double gain = std::strtod(p, &end);
            if (end == p || !std::isfinite(gain))
                gain = 0;
            job.audioFilters.volumeDb = std::clamp(gain, -200.0, 60.0);
            if (parts.size() > 1) {
                int soft = 0;
                if (parseInt(parts[1], soft))
                    job.audioFilters.softClip = soft != 0;
            }
            for (size_t i = 2; i < parts.size(); ++i) {
                if (parts[i].find('=') == std::string_view::npos)
                    return fail(error, "-af volume: unexpected parameter " + std::string(parts[i]));
                if (!parseAudioFilters(job, std::string(parts[i]), error))
                    return false;
            }
        } else if (f.key == "channels") {
            auto parts = split(params, ':');
            int n = 0;
            if (!parseInt(parts[0], n) || n < 1 || n > 8)
                return fail(error, "-af channels needs a channel count from 1 to 8");
            if (parts.size() > 1)
                return fail(error, "-af channels: channel routing is not supported");
            job.audioFilters.channels = n;
        } else if (f.key == "lavcresample" || f.key == "resample") {
            int rate = 0;
            if (!parseInt(split(params, ':')[0], rate) || rate < 1000 || rate > 768000)
                return fail(error, "-af " + std::string(f.key) + " needs a sample rate");
            job.audioFilters.resampleRate = rate;
        } else {
            return fail(error, "-af: unknown audio filter " + std::string(f.key));
        }
    }
    return true;
}

bool parseVideoFilters(EncoderJob& job, const std::string& value, std::string* error)
{
    for (auto entry : split(value, ',')) {
        if (entry.empty())
            continue;
        SubOption f = splitItem(entry);
        VideoFilter vf;
        std::vector<std::string_view> params;
        if (f.value)
            params = split(*f.value, ':');
        std::vector<int> numbers;
        for (auto p : params) {
            int n = 0;
            if (!parseInt(p, n) || n < -100000 || n > 100000)
                return fail(error, "-vf " + std::string(f.key) + ": bad number " + std::string(p));
            numbers.push_back(n);
        }
        if (f.key == "scale") {
            if (numbers.size() > 2)
                return fail(error, "-vf scale takes width and height only");
            vf.kind = VideoFilter::Kind::Scale;
            if (numbers.size() > 0) vf.width = numbers[0];
            if (numbers.size() > 1) vf.height = numbers[1];
            if (vf.width < -3 || vf.height < -3)
                return fail(error, "-vf scale: unsupported size " + std::string(*f.value));
        } else if (f.key == "expand") {
            if (numbers.size() > 4)
                return fail(error, "-vf expand takes width, height, x and y only");
            vf.kind = VideoFilter::Kind::Expand;
            if (numbers.size() > 0) vf.width = numbers[0];
            if (numbers.size() > 1) vf.height = numbers[1];
            if (numbers.size() > 2) vf.x = numbers[2];
            if (numbers.size() > 3) vf.y = numbers[3];
        } else if (f.key == "harddup") {
            if (!numbers.empty())
                return fail(error, "-vf harddup takes no parameters");
            vf.kind = VideoFilter::Kind::HardDup;
        } else {
            return fail(error, "-vf: unknown video filter " + std::string(f.key));
        }
        job.videoFilters.push_back(vf);
    }
    return true;
}

bool parseFrameRate(EncoderJob& job, const std::string& value, std::string* error)
{
    FrameRate r;
    auto slash = value.find('/');
    if (slash != std::string::npos) {
        int num = 0, den = 0;
        if (!parseInt(std::string_view(value).substr(0, slash), num) ||
            !parseInt(std::string_view(value).substr(slash + 1), den) || num <= 0 || den <= 0)
            return fail(error, "-ofps: cannot read frame rate " + value);
        r.num = num;
        r.den = den;
        r.value = double(num) / den;
    } else if (!parseDouble(value, r.value) || r.value <= 0 || r.value > 100000) {
        return fail(error, "-ofps: cannot read frame rate " + value);
    }
    job.outputFrameRate = r;
    return true;
}

// "[[hh:]mm:]ss[.ms]" or a size "<n>b", "<n>kb", "<n>mb".
bool parseEndPosition(EncoderJob& job, const std::string& value, std::string* error)
{
    std::string lower = value;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    EndPosition e;
    static const std::pair<std::string_view, int64_t> units[] = {
        {"kb", 1024}, {"mb", 1024 * 1024}, {"b", 1}};
    for (auto [suffix, factor] : units) {
        if (lower.size() > suffix.size() && lower.ends_with(suffix)) {
            int n = 0;
            if (!parseInt(std::string_view(lower).substr(0, lower.size() - suffix.size()), n) || n <= 0)
                return fail(error, "-endpos: cannot read size " + value);
            e.bytes = int64_t(n) * factor;
            job.endPosition = e;
            return true;
        }
    }
    auto parts = split(value, ':');
    if (parts.size() > 3)
        return fail(error, "-endpos: cannot read time " + value);
    double total = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        double part = 0;
        bool last = i + 1 == parts.size();
        int whole = 0;
        bool ok = last ? parseDouble(parts[i], part) : parseInt(parts[i], whole);
        if (!last)
            part = whole;
        if (!ok || part < 0)
            return fail(error, "-endpos: cannot read time " + value);
        total = total * 60 + part;
    }
    if (total <= 0)
        return fail(error, "-endpos: the limit must be above zero");
    e.seconds = total;
    job.endPosition = e;
    return true;
}

bool oneOf(const std::string& value, std::initializer_list<std::string_view> allowed)
{
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

using Handler = bool (*)(EncoderJob&, const std::string&, std::string*);

struct OptionSpec {
    std::string_view name;
    Handler handler;
};

const OptionSpec kOptions[] = {
    {"-o", [](EncoderJob& j, const std::string& v, std::string*) {
         j.outputPath = v;
         return true;
     }},
    {"-oac", [](EncoderJob& j, const std::string& v, std::string* e) {
         j.audioEncoder = v;
         return oneOf(v, {"mp3lame", "lavc", "copy", "pcm"}) || fail(e, "-oac: unknown audio encoder " + v);
     }},
    {"-ovc", [](EncoderJob& j, const std::string& v, std::string* e) {
         j.videoEncoder = v;
         return oneOf(v, {"lavc", "xvid", "copy"}) || fail(e, "-ovc: unknown video encoder " + v);
     }},
    {"-lavcopts", parseLavcopts},
    {"-lameopts", parseLameopts},
    {"-xvidencopts", parseXvidencopts},
    {"-ffourcc", [](EncoderJob& j, const std::string& v, std::string* e) {
         j.fourcc = v;
         return (v.size() >= 1 && v.size() <= 4) || fail(e, "-ffourcc takes up to four characters");
     }},
    {"-of", [](EncoderJob& j, const std::string& v, std::string* e) {
         j.muxer = v;
         return oneOf(v, {"lavf", "mpeg", "avi"}) || fail(e, "-of: unknown container " + v);
     }},
    {"-lavfopts", parseLavfopts},
    {"-mpegopts", parseMpegopts},
    {"-sws", [](EncoderJob& j, const std::string& v, std::string* e) {
         int n = 0;
         if (!parseInt(v, n) || n < 0 || n > 10)
             return fail(e, "-sws takes a scaler number from 0 to 10");
         j.scaler = n;
         return true;
     }},
    {"-af", parseAudioFilters},
    {"-srate", [](EncoderJob& j, const std::string& v, std::string* e) {
         int n = 0;
         if (!parseInt(v, n) || n < 1000 || n > 768000)
             return fail(e, "-srate takes a sample rate in Hz");
         j.sampleRate = n;
         return true;
     }},
    {"-ofps", parseFrameRate},
    {"-vf", parseVideoFilters},
    {"-endpos", parseEndPosition},
};

}  // namespace

std::optional<EncoderJob> parseArguments(std::string_view text, std::string* error)
{
    std::vector<Token> tokens;
    if (!tokenize(text, tokens, error))
        return std::nullopt;

    // The tail: -endpos <limit> <mode> <descriptor>, always the last four.
    const size_t n = tokens.size();
    if (n < 4 || tokens[n - 4].quoted || tokens[n - 4].text != "-endpos") {
        fail(error, "missing tail: -endpos <limit> <mode> <descriptor>");
        return std::nullopt;
    }
    EncoderJob job;
    int mode = 0, descriptor = 0;
    if (tokens[n - 2].quoted || !parseInt(tokens[n - 2].text, mode) ||
        (mode != kModeConvert && mode != kModeProbe)) {
        fail(error, "bad mode " + tokens[n - 2].text + " (0 converts, 1 probes)");
        return std::nullopt;
    }
    if (tokens[n - 1].quoted || !parseInt(tokens[n - 1].text, descriptor) || descriptor < 0) {
        fail(error, "bad report descriptor " + tokens[n - 1].text);
        return std::nullopt;
    }
    job.mode = mode;
    job.reportDescriptor = descriptor;

    bool haveOutput = false;
    for (size_t i = 0; i + 2 < n; ++i) {
        const Token& t = tokens[i];
        if (t.quoted || t.text.empty() || t.text[0] != '-') {
            if (!job.sourcePath.empty()) {
                fail(error, "more than one source: \"" + job.sourcePath + "\" and \"" + t.text + "\"");
                return std::nullopt;
            }
            if (t.text.empty()) {
                fail(error, "empty source path");
                return std::nullopt;
            }
            job.sourcePath = t.text;
            continue;
        }
        auto spec = std::find_if(std::begin(kOptions), std::end(kOptions),
                                 [&](const OptionSpec& s) { return s.name == t.text; });
        if (spec == std::end(kOptions)) {
            fail(error, "unknown option " + t.text);
            return std::nullopt;
        }
        // The tail's mode and descriptor, or the next option, are never an
        // option's value.
        auto isOption = [](const Token& v) {
            return !v.quoted && std::any_of(std::begin(kOptions), std::end(kOptions),
                                            [&](const OptionSpec& s) { return s.name == v.text; });
        };
        if (i + 1 >= n - 2 || isOption(tokens[i + 1])) {
            fail(error, "option " + t.text + " needs a value");
            return std::nullopt;
        }
        const Token& value = tokens[++i];
        if (!spec->handler(job, value.text, error))
            return std::nullopt;
        if (spec->name == "-o") {
            if (value.text.empty()) {
                fail(error, "empty output path");
                return std::nullopt;
            }
            haveOutput = true;
        }
    }
    if (job.sourcePath.empty()) {
        fail(error, "no source path");
        return std::nullopt;
    }
    if (!haveOutput) {
        fail(error, "no output path (-o)");
        return std::nullopt;
    }
    return job;
}

std::string joinArguments(int argc, const char* const* argv)
{
    if (argc == 2)
        return argv[1];
    // By hand the shell has already taken the quotes off; put them back
    // around the entries that hold blanks.
    std::string joined;
    for (int i = 1; i < argc; ++i) {
        std::string_view entry = argv[i];
        if (i > 1)
            joined += ' ';
        bool blank = std::any_of(entry.begin(), entry.end(), isBlank);
        if (blank && entry.find('"') == std::string_view::npos)
            joined.append("\"").append(entry).append("\"");
        else
            joined.append(entry);
    }
    return joined;
}

}  // namespace brantixenc
