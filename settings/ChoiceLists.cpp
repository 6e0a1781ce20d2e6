#include "settings/ChoiceLists.h"

#include <array>
#include <cstdio>
#include <span>

namespace quelvo {

namespace {

using Items = std::span<const char* const>;
using Field = int32_t OutputSettings::*;

// Item texts exactly as the combos show them, padding blanks included.
constexpr const char* kAviQuality[] = {
    "1.Lowest (video bitrate: 384kbps; audio bitrate: 64kbps)",
    "2.Lower  (video bitrate: 512kbps; audio bitrate: 80kbps)",
    "3.Low    (video bitrate: 640kbps; audio bitrate: 96kbps)",
    "4.Normal (video bitrate: 768kbps; audio bitrate: 96kbps)",
    "5.Medium (video bitrate:1000kbps; audio bitrate:128kbps)",
    "6.Good   (video bitrate:1200kbps; audio bitrate:128kbps)",
    "7.Better (video bitrate:1500kbps; audio bitrate:160kbps)",
    "8.High   (video bitrate:2000kbps; audio bitrate:192kbps)",
    "9.Best   (video bitrate:2500kbps; audio bitrate:224kbps)",
};
constexpr const char* kMpeg1Quality[] = {
    "1.Low    (video bitrate: 512kbps; audio bitrate: 96kbps)",
    "2.Normal (video bitrate: 640kbps; audio bitrate:128kbps)",
    "3.Medium (video bitrate: 800kbps; audio bitrate:128kbps)",
    "4.Good   (video bitrate:1000kbps; audio bitrate:192kbps)",
    "5.Best   (video bitrate:1152kbps; audio bitrate:192kbps)",
};
constexpr const char* kMpeg2Quality[] = {
    "1.Lower  (video bitrate: 800kbps; audio bitrate: 96kbps)",
    "2.Low    (video bitrate:1200kbps; audio bitrate:112kbps)",
    "3.Normal (video bitrate:1600kbps; audio bitrate:128kbps)",
    "4.Medium (video bitrate:2000kbps; audio bitrate:160kbps)",
    "5.Good   (video bitrate:3000kbps; audio bitrate:224kbps)",
    "6.Best   (video bitrate:5000kbps; audio bitrate:224kbps)",
};
constexpr const char* kSvcdQuality[] = {
    "1.Low    (video bitrate: 800kbps; audio bitrate:128kbps)",
    "2.Normal (video bitrate:1200kbps; audio bitrate:192kbps)",
    "3.Medium (video bitrate:1600kbps; audio bitrate:224kbps)",
    "4.Good   (video bitrate:2000kbps; audio bitrate:224kbps)",
    "5.Best   (video bitrate:2500kbps; audio bitrate:224kbps)",
};
// The MPEG2 list but for the audio rate of its first preset.
constexpr const char* kDvdQuality[] = {
    "1.Lower  (video bitrate: 800kbps; audio bitrate:112kbps)",
    "2.Low    (video bitrate:1200kbps; audio bitrate:112kbps)",
    "3.Normal (video bitrate:1600kbps; audio bitrate:128kbps)",
    "4.Medium (video bitrate:2000kbps; audio bitrate:160kbps)",
    "5.Good   (video bitrate:3000kbps; audio bitrate:224kbps)",
    "6.Best   (video bitrate:5000kbps; audio bitrate:224kbps)",
};
constexpr const char* kWmvQuality[] = {
    "1.Lowest (video bitrate: 192kbps; audio bitrate: 64kbps)",
    "2.Lower  (video bitrate: 256kbps; audio bitrate: 64kbps)",
    "3.Low    (video bitrate: 384kbps; audio bitrate: 80kbps)",
    "4.Normal (video bitrate: 640kbps; audio bitrate: 96kbps)",
    "5.Medium (video bitrate: 768kbps; audio bitrate:128kbps)",
    "6.Good   (video bitrate:1000kbps; audio bitrate:128kbps)",
    "7.Better (video bitrate:1250kbps; audio bitrate:160kbps)",
    "8.High   (video bitrate:1500kbps; audio bitrate:192kbps)",
    "9.Best   (video bitrate:2000kbps; audio bitrate:224kbps)",
};

constexpr const char* kDivxXvid[] = {"Divx", "Xvid"};
constexpr const char* kDivx[] = {"Divx"};
constexpr const char* kXvid[] = {"Xvid"};
constexpr const char* kMpeg1Video[] = {"MPEG1"};
constexpr const char* kMpeg2Video[] = {"MPEG2"};
constexpr const char* kWmv8[] = {"WMV8"};
constexpr const char* kAsfVideo[] = {"msmpeg4", "msmpeg4v2", "WMV8"};
constexpr const char* kMp3Ac3[] = {"MP3", "AC3"};
constexpr const char* kMp2[] = {"MP2"};
constexpr const char* kAc3Mp2[] = {"AC3", "MP2"};
constexpr const char* kWma[] = {"WMAv1", "WMAv2"};

constexpr const char* kTvModes[] = {"NTSC", "PAL"};
constexpr const char* kNone[] = {"None"};

// Same order as the frame-size tables the encoder resolves from.
constexpr const char* kAviSizes[] = {
    "Original", "80 x 60", "96 x 72", "128 x 96", "160 x 120", "176 x 120", "176 x 144",
    "192 x 144", "240 x 180", "320 x 200", "320 x 240", "352 x 240", "352 x 288", "480 x 272",
    "480 x 480", "480 x 576", "624 x 352", "640 x 480", "720 x 480", "720 x 576",
};
constexpr const char* kMpegSizes[] = {
    "Original", "80 x 60", "96 x 72", "128 x 96", "160 x 120", "176 x 120",
    "176 x 144", "192 x 144", "240 x 180", "320 x 200", "320 x 240", "352 x 240",
    "352 x 288", "480 x 480", "480 x 576", "640 x 480", "720 x 480", "720 x 576",
};
// Disc sizes and rates, item index = TV mode.
constexpr const char* kVcdSizes[] = {"352 x 240", "352 x 288"};
constexpr const char* kSvcdSizes[] = {"480 x 480", "480 x 576"};
constexpr const char* kDvdSizes[] = {"720 x 480", "720 x 576"};

constexpr const char* kAviRates[] = {"Original", "14.985 fps", "20.0 fps", "23.976 fps",
                                     "24.0 fps", "25.0 fps", "29.97 fps", "30.0 fps"};
constexpr const char* kMpegRates[] = {"Original", "23.976 fps", "24.0 fps",
                                      "25.0 fps", "29.97 fps", "30.0 fps"};
constexpr const char* kVcdRates[] = {"23.976 fps", "25.0 fps"};
constexpr const char* kSvcdDvdRates[] = {"29.97 fps", "25.0 fps"};
constexpr const char* kAuto[] = {"Auto"};

constexpr const char* kMpegAspects[] = {"1:1    (PC VAG)", "4:3    (Standard TV)",
                                        "16:9   (Wide screen TV)", "2.21:1 (CinemaScope movie)"};
constexpr const char* kDiscAspects[] = {"4:3    (Standard TV)", "16:9   (Wide screen TV)"};

// One combo's rule for a format: its items, the field holding the selection
// (none: the single item is selected), whether the user may change it, and
// the field a change is stored in (none: a change is dropped).
struct ListRule {
    Items items;
    Field selection;
    bool enabled;
    Field store;
};

struct FormatRules {
    ListRule quality, videoCodec, audioCodec, tvMode, resolution, frameRate, aspect;
};

constexpr Field kNoField = nullptr;
using S = OutputSettings;

constexpr ListRule choose(Items items, Field f) { return {items, f, true, f}; }
constexpr ListRule fixed(Items items, Field store = kNoField) { return {items, kNoField, false, store}; }
constexpr ListRule shown(Items items, Field f, Field store) { return {items, f, false, store}; }

constexpr ListRule kTvChoice = choose(kTvModes, &S::tvMode);
constexpr ListRule kTvNone = fixed(kNone);
constexpr ListRule kAspectNone = fixed(kNone, &S::dvdAspectRatio);
constexpr ListRule kMpegAspect = choose(kMpegAspects, &S::mpegAspectRatio);
constexpr ListRule kDiscAspect = choose(kDiscAspects, &S::dvdAspectRatio);

const std::array<FormatRules, kFormatCount> kRules = {{
    // AVI
    {choose(kAviQuality, &S::aviQuality), choose(kDivxXvid, &S::aviVideoCodec),
     choose(kMp3Ac3, &S::aviAudioCodec), kTvNone, choose(kAviSizes, &S::aviResolution),
     choose(kAviRates, &S::aviFrameRate), kAspectNone},
    // MPEG1
    {choose(kMpeg1Quality, &S::mpeg1Quality), fixed(kMpeg1Video), fixed(kMp2), kTvNone,
     choose(kMpegSizes, &S::mpegResolution), choose(kMpegRates, &S::mpegFrameRate), kMpegAspect},
    // MPEG2
    {choose(kMpeg2Quality, &S::mpeg2Quality), fixed(kMpeg2Video), fixed(kMp2), kTvNone,
     choose(kMpegSizes, &S::mpegResolution), choose(kMpegRates, &S::mpegFrameRate), kMpegAspect},
    // DivX
    {choose(kAviQuality, &S::aviQuality), fixed(kDivx), choose(kMp3Ac3, &S::divxAudioCodec),
     kTvNone, choose(kAviSizes, &S::aviResolution), choose(kAviRates, &S::aviFrameRate),
     kAspectNone},
    // Xvid
    {choose(kAviQuality, &S::aviQuality), fixed(kXvid), choose(kMp3Ac3, &S::xvidAudioCodec),
     kTvNone, choose(kAviSizes, &S::aviResolution), choose(kAviRates, &S::aviFrameRate),
     kAspectNone},
    // VCD
    {choose(kMpeg1Quality, &S::mpeg1Quality), fixed(kMpeg1Video), fixed(kMp2), kTvChoice,
     shown(kVcdSizes, &S::tvMode, &S::aviResolution), shown(kVcdRates, &S::tvMode, &S::aviFrameRate),
     kDiscAspect},
    // SVCD
    {choose(kSvcdQuality, &S::svcdQuality), fixed(kMpeg2Video), fixed(kMp2), kTvChoice,
     shown(kSvcdSizes, &S::tvMode, &S::aviResolution),
     shown(kSvcdDvdRates, &S::tvMode, &S::aviFrameRate), kDiscAspect},
    // DVD
    {choose(kDvdQuality, &S::dvdQuality), fixed(kMpeg2Video), choose(kAc3Mp2, &S::dvdAudioCodec),
     kTvChoice, shown(kDvdSizes, &S::tvMode, &S::aviResolution),
     shown(kSvcdDvdRates, &S::tvMode, &S::aviFrameRate), kDiscAspect},
    // WMV
    {choose(kWmvQuality, &S::wmvQuality), fixed(kWmv8), choose(kWma, &S::wmvAudioCodec), kTvNone,
     choose(kAviSizes, &S::aviResolution), fixed(kAuto, &S::aviFrameRate), kAspectNone},
    // ASF
    {choose(kWmvQuality, &S::wmvQuality), choose(kAsfVideo, &S::asfVideoCodec),
     choose(kWma, &S::asfAudioCodec), kTvNone, choose(kAviSizes, &S::aviResolution),
     fixed(kAuto, &S::aviFrameRate), kAspectNone},
}};

const FormatRules* rulesFor(int32_t format)
{
    if (format < 0 || format >= kFormatCount)
        return nullptr;
    return &kRules[static_cast<size_t>(format)];
}

bool isMpeg(int32_t format)
{
    return format == FormatMpeg1 || format == FormatMpeg2;
}

// A hand-edited option file may hold any number; such an index selects nothing.
int validSelection(int32_t index, size_t count)
{
    return index >= 0 && static_cast<size_t>(index) < count ? index : -1;
}

ChoiceList makeList(Items items, int32_t index, bool enabled)
{
    ChoiceList list;
    list.items.assign(items.begin(), items.end());
    list.selection = validSelection(index, list.items.size());
    list.enabled = enabled;
    return list;
}

ChoiceList apply(const OutputSettings& s, ListRule FormatRules::* which)
{
    const FormatRules* rules = rulesFor(s.outputFormat);
    if (!rules)
        return {{}, -1, false};
    const ListRule& rule = rules->*which;
    return makeList(rule.items, rule.selection ? s.*rule.selection : 0, rule.enabled);
}

void store(OutputSettings& s, ListRule FormatRules::* which, int index)
{
    const FormatRules* rules = rulesFor(s.outputFormat);
    if (!rules || index < 0)
        return;
    const ListRule& rule = rules->*which;
    if (rule.store)
        s.*rule.store = index;
}

}  // namespace

const std::vector<std::string>& formatNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (int32_t f = 0; f < kFormatCount; ++f)
            v.emplace_back(formatInfo(f)->comboText);
        return v;
    }();
    return names;
}

ChoiceList formatChoices(const OutputSettings& s)
{
    ChoiceList list{formatNames(), validSelection(s.outputFormat, formatNames().size()), true};
    return list;
}

ChoiceList qualityChoices(const OutputSettings& s) { return apply(s, &FormatRules::quality); }
ChoiceList videoCodecChoices(const OutputSettings& s) { return apply(s, &FormatRules::videoCodec); }
ChoiceList audioCodecChoices(const OutputSettings& s) { return apply(s, &FormatRules::audioCodec); }
ChoiceList tvModeChoices(const OutputSettings& s) { return apply(s, &FormatRules::tvMode); }
ChoiceList resolutionChoices(const OutputSettings& s) { return apply(s, &FormatRules::resolution); }
ChoiceList frameRateChoices(const OutputSettings& s) { return apply(s, &FormatRules::frameRate); }
ChoiceList aspectChoices(const OutputSettings& s) { return apply(s, &FormatRules::aspect); }

ChoiceList quickAspectChoices(const OutputSettings& s)
{
    if (isMpeg(s.outputFormat))
        return makeList(kMpegAspects, s.mpegAspectRatio, true);
    return makeList(kDiscAspects, s.dvdAspectRatio, tvModeEnabled(s.outputFormat));
}

bool tvModeEnabled(int format)
{
    return format == FormatVcd || format == FormatSvcd || format == FormatDvd;
}

std::string volumeLabel(int volume)
{
    char text[32];
    if (volume < 20)
        std::snprintf(text, sizeof text, "-%ddb", 20 - volume);
    else
        std::snprintf(text, sizeof text, "+%ddb", volume - 20);
    return text;
}

void storeFormat(OutputSettings& s, int index)
{
    if (index >= 0)
        s.outputFormat = index;
}

void storeQuality(OutputSettings& s, int index) { store(s, &FormatRules::quality, index); }
void storeVideoCodec(OutputSettings& s, int index) { store(s, &FormatRules::videoCodec, index); }
void storeAudioCodec(OutputSettings& s, int index) { store(s, &FormatRules::audioCodec, index); }
void storeResolution(OutputSettings& s, int index) { store(s, &FormatRules::resolution, index); }
void storeFrameRate(OutputSettings& s, int index) { store(s, &FormatRules::frameRate, index); }
void storeAspect(OutputSettings& s, int index) { store(s, &FormatRules::aspect, index); }

void storeTvMode(OutputSettings& s, int index)
{
    if (index >= 0)
        s.tvMode = index;
}

void storeQuickAspect(OutputSettings& s, int index)
{
    if (index < 0)
        return;
    if (isMpeg(s.outputFormat))
        s.mpegAspectRatio = index;
    else
        s.dvdAspectRatio = index;
}

}  // namespace quelvo
