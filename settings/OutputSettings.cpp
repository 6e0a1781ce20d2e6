#include "settings/OutputSettings.h"

#include <cmath>
#include <cstdlib>

#include "platform/ProfileFile.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace quelvo {

namespace {

constexpr FormatInfo kFormats[kFormatCount] = {
    {"AVI Format (*.avi)", FormatFamily::Avi, "avi"},
    {"MPEG1 Format (*.mpg)", FormatFamily::Mpeg, "mpeg"},
    {"MPEG2 Format (*.mpg)", FormatFamily::Mpeg, "mpeg"},
    {"DivX Format (*.avi)", FormatFamily::Avi, "avi"},
    {"Xvid Format (*.avi)", FormatFamily::Avi, "avi"},
    {"VCD compatible MPEG1 Format (*.mpg)", FormatFamily::Disc, "mpeg"},
    {"SVCD compatible MPEG2 Format (*.mpg)", FormatFamily::Disc, "mpeg"},
    {"DVD compatible MPEG2 Format (*.vob)", FormatFamily::Disc, "vob"},
    {"WMV Format (*.wmv)", FormatFamily::WindowsMedia, "wmv"},
    {"ASF Format (*.ASF)", FormatFamily::WindowsMedia, "asf"},
};

constexpr Bitrates kAviPresets[] = {{384, 64},   {512, 80},   {640, 96},   {768, 96},  {1000, 128},
                                    {1200, 128}, {1500, 160}, {2000, 192}, {2500, 224}};
constexpr Bitrates kMpeg1Presets[] = {{512, 96}, {640, 128}, {800, 128}, {1000, 192}, {1152, 192}};
constexpr Bitrates kMpeg2Presets[] = {{800, 96},   {1200, 112}, {1600, 128},
                                      {2000, 160}, {3000, 224}, {5000, 224}};
constexpr Bitrates kSvcdPresets[] = {{800, 128}, {1200, 192}, {1600, 224}, {2000, 224}, {2500, 224}};
constexpr Bitrates kDvdPresets[] = {{800, 112},  {1200, 112}, {1600, 128},
                                    {2000, 160}, {3000, 224}, {5000, 224}};
constexpr Bitrates kWindowsMediaPresets[] = {{192, 64},   {256, 64},   {384, 80},
                                             {640, 96},   {768, 128},  {1000, 128},
                                             {1250, 160}, {1500, 192}, {2000, 224}};

// Preset table and the field that indexes it, by format.
struct QualityRule {
    std::span<const Bitrates> presets;
    int32_t OutputSettings::*index;
};
const QualityRule kQualityRules[kFormatCount] = {
    {kAviPresets, &OutputSettings::aviQuality},
    {kMpeg1Presets, &OutputSettings::mpeg1Quality},
    {kMpeg2Presets, &OutputSettings::mpeg2Quality},
    {kAviPresets, &OutputSettings::aviQuality},
    {kAviPresets, &OutputSettings::aviQuality},
    {kMpeg1Presets, &OutputSettings::mpeg1Quality},
    {kSvcdPresets, &OutputSettings::svcdQuality},
    {kDvdPresets, &OutputSettings::dvdQuality},
    {kWindowsMediaPresets, &OutputSettings::wmvQuality},
    {kWindowsMediaPresets, &OutputSettings::wmvQuality},
};

constexpr FrameSize kAviFrameSizes[] = {
    {0, 0},     {80, 60},   {96, 72},   {128, 96},  {160, 120}, {176, 120}, {176, 144},
    {192, 144}, {240, 180}, {320, 200}, {320, 240}, {352, 240}, {352, 288}, {480, 272},
    {480, 480}, {480, 576}, {624, 352}, {640, 480}, {720, 480}, {720, 576},
};
// The AVI table without 480 x 272 and 624 x 352.
constexpr FrameSize kMpegFrameSizes[] = {
    {0, 0},     {80, 60},   {96, 72},   {128, 96},  {160, 120}, {176, 120},
    {176, 144}, {192, 144}, {240, 180}, {320, 200}, {320, 240}, {352, 240},
    {352, 288}, {480, 480}, {480, 576}, {640, 480}, {720, 480}, {720, 576},
};

// Disc formats: NTSC and PAL frame size, NTSC and PAL frame rate.
struct DiscRule {
    int32_t format;
    FrameSize ntsc, pal;
    double ntscRate, palRate;
};
constexpr DiscRule kDiscRules[] = {
    {FormatVcd, {352, 240}, {352, 288}, 23.976, 25.0},
    {FormatSvcd, {480, 480}, {480, 576}, 29.97, 25.0},
    {FormatDvd, {720, 480}, {720, 576}, 29.97, 25.0},
};

constexpr double kAviFrameRates[] = {0.0, 14.985, 20.0, 23.976, 24.0, 25.0, 29.97, 30.0};
constexpr double kMpegFrameRates[] = {0.0, 23.976, 24.0, 25.0, 29.97, 30.0};
constexpr double kAutoFrameRate = 1000.0;   // Windows Media: "Auto"
constexpr double kOtherFrameRate = 30.0;    // a list index outside the list

constexpr const char* kMpegAspects[] = {"1/1", "4/3", "16/9", "2.21/1"};
constexpr const char* kDvdAspects[] = {"4/3", "16/9"};

constexpr FrameSize kStartupFrameSizes[] = {
    {160, 80},  {160, 120}, {288, 256}, {320, 160}, {320, 180}, {320, 240},
    {480, 240}, {480, 360}, {480, 480}, {576, 400}, {592, 384}, {624, 368},
    {640, 272}, {640, 352}, {672, 336}, {720, 320}, {752, 304}, {784, 288},
};

template <typename T>
const T* entry(std::span<const T> table, int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= table.size())
        return nullptr;
    return &table[static_cast<size_t>(index)];
}

const DiscRule* discRule(int32_t format)
{
    for (const DiscRule& r : kDiscRules)
        if (r.format == format)
            return &r;
    return nullptr;
}

bool isMpeg(int32_t format)
{
    return format == FormatMpeg1 || format == FormatMpeg2;
}

// A list's rate by index; 0 is "Original" and handled by the caller.
double listedRate(std::span<const double> list, int32_t index)
{
    const double* rate = index >= 1 ? entry(list, index) : nullptr;
    return rate ? *rate : kOtherFrameRate;
}

double mpegOriginalRate(double source)
{
    if (source < 24.0)
        return 23.976;
    if (source < 25.0)
        return 24.0;
    if (source < 28.0)
        return 25.0;
    if (source < 30.0)
        return 29.97;
    return 30.0;
}

double aviOriginalRate(double source)
{
    if (source < 14.985)
        return 14.985;
    if (source > 60.0)
        return 30.0;
    return source;
}

}  // namespace

const FormatInfo* formatInfo(int32_t format)
{
    return entry(std::span<const FormatInfo>(kFormats), format);
}

std::span<const Bitrates> qualityPresets(int32_t format)
{
    const QualityRule* rule = entry(std::span<const QualityRule>(kQualityRules), format);
    return rule ? rule->presets : std::span<const Bitrates>();
}

std::span<const FrameSize> frameSizeTable(int32_t format)
{
    if (isMpeg(format))
        return kMpegFrameSizes;
    return kAviFrameSizes;
}

std::span<const double> frameRateTable(int32_t format)
{
    if (isMpeg(format))
        return kMpegFrameRates;
    return kAviFrameRates;
}

const char* mpegAspectText(int32_t index)
{
    const char* const* text = entry(std::span<const char* const>(kMpegAspects), index);
    return text ? *text : nullptr;
}

const char* dvdAspectText(int32_t index)
{
    const char* const* text = entry(std::span<const char* const>(kDvdAspects), index);
    return text ? *text : nullptr;
}

FrameSize startupFrameSize(int32_t presetIndex)
{
    const FrameSize* size = entry(std::span<const FrameSize>(kStartupFrameSizes), presetIndex);
    return size ? *size : FrameSize{320, 240};
}

void ResolveBitrates(const OutputSettings& s, EncodeParameters& p)
{
    const QualityRule* rule = entry(std::span<const QualityRule>(kQualityRules), s.outputFormat);
    if (rule == nullptr)
        return;
    if (const Bitrates* row = entry(rule->presets, s.*rule->index)) {
        p.videoBitrate = row->video;
        p.audioBitrate = row->audio;
    }
}

void ResolveFrameSize(const OutputSettings& s, EncodeParameters& p)
{
    FrameSize size{0, 0};
    if (const DiscRule* disc = discRule(s.outputFormat)) {
        size = s.tvMode == 0 ? disc->ntsc : disc->pal;
    } else {
        const int32_t index = isMpeg(s.outputFormat) ? s.mpegResolution : s.aviResolution;
        if (const FrameSize* row = entry(frameSizeTable(s.outputFormat), index))
            size = *row;
    }
    p.targetWidth = size.width;
    p.targetHeight = size.height;
}

void ResolveFrameRate(const OutputSettings& s, EncodeParameters& p, double sourceRate)
{
    // A NaN rate (never reported by a probe) counts as 0 so the rules below
    // still give a listed rate.
    if (std::isnan(sourceRate))
        sourceRate = 0.0;
    const FormatInfo* info = formatInfo(s.outputFormat);
    if (info == nullptr || info->family == FormatFamily::WindowsMedia) {
        p.outputFrameRate = kAutoFrameRate;
    } else if (const DiscRule* disc = discRule(s.outputFormat)) {
        p.outputFrameRate = s.tvMode == 0 ? disc->ntscRate : disc->palRate;
    } else if (info->family == FormatFamily::Mpeg) {
        p.outputFrameRate = s.mpegFrameRate == 0 ? mpegOriginalRate(sourceRate)
                                                 : listedRate(kMpegFrameRates, s.mpegFrameRate);
    } else {
        p.outputFrameRate = s.aviFrameRate == 0 ? aviOriginalRate(sourceRate)
                                                : listedRate(kAviFrameRates, s.aviFrameRate);
    }
}

void ResolveAspectText(const OutputSettings& s, EncodeParameters& p)
{
    // An index outside its list leaves the text alone, as for the bitrates.
    const char* text = nullptr;
    if (isMpeg(s.outputFormat))
        text = mpegAspectText(s.mpegAspectRatio);
    else if (discRule(s.outputFormat))
        text = dvdAspectText(s.dvdAspectRatio);
    if (text)
        p.aspectText = text;
}

std::string defaultOutputFolder()
{
#ifdef _WIN32
    return "C:\\output video\\";
#else
    std::string home;
    if (const char* env = std::getenv("HOME"); env && env[0] == '/')
        home = env;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        home = pw->pw_dir;
    while (!home.empty() && home.back() == '/')
        home.pop_back();
    return home + "/output video/";
#endif
}

int32_t atoiValue(std::string_view text)
{
    return leadingInteger(text);
}

OutputSettings::OutputSettings()
    : outputFolder(defaultOutputFolder())
{
}

}  // namespace quelvo
