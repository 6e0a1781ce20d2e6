#pragma once
// The one settings record that decides what every conversion produces, the
// fixed tables its indices select from, and the values resolved from it
// before each encoder run.

#include <array>
#include <span>
#include <cstdint>
#include <string>
#include <string_view>

namespace quelvo {

// Index 0..9, in the order of the format combo boxes.
enum OutputFormat : int32_t {
    FormatAvi = 0,
    FormatMpeg1 = 1,
    FormatMpeg2 = 2,
    FormatDivx = 3,
    FormatXvid = 4,
    FormatVcd = 5,
    FormatSvcd = 6,
    FormatDvd = 7,
    FormatWmv = 8,
    FormatAsf = 9,
};
constexpr int kFormatCount = 10;

enum class FormatFamily { Avi, Mpeg, Disc, WindowsMedia };

struct FormatInfo {
    const char* comboText;  // "AVI Format (*.avi)" ...
    FormatFamily family;
    const char* extension;  // "avi", "mpeg", "vob", "wmv", "asf"
};
// Table of the ten formats; nullptr for an index outside 0..9.
const FormatInfo* formatInfo(int32_t format);

// Fields in option-file order. Every field but outputFolder is an index, a
// step or a flag taken from the option file without range checks.
struct OutputSettings {
    int32_t letterbox = 1;
    std::string outputFolder;  // defaultOutputFolder() unless loaded
    int32_t outputFormat = FormatAvi;
    int32_t tvMode = 0;
    int32_t mpegAspectRatio = 2;
    int32_t dvdAspectRatio = 1;
    int32_t aviQuality = 4;
    int32_t mpeg1Quality = 3;
    int32_t mpeg2Quality = 3;
    int32_t svcdQuality = 4;
    int32_t dvdQuality = 5;
    int32_t wmvQuality = 5;
    int32_t aviVideoCodec = 0;
    int32_t asfVideoCodec = 2;
    int32_t aviAudioCodec = 0;
    int32_t divxAudioCodec = 0;
    int32_t xvidAudioCodec = 0;
    int32_t dvdAudioCodec = 0;
    int32_t wmvAudioCodec = 1;
    int32_t asfAudioCodec = 1;
    int32_t aviResolution = 0;
    int32_t mpegResolution = 0;
    int32_t aviFrameRate = 0;
    int32_t mpegFrameRate = 0;
    int32_t volume = 20;

    OutputSettings();
    bool operator==(const OutputSettings&) const = default;
};

// "<home>/output video/" here, "C:\output video\" on Windows.
std::string defaultOutputFolder();

// Values derived from OutputSettings before every encoder run.
struct EncodeParameters {
    int32_t videoBitrate = 0;   // kbit/s
    int32_t audioBitrate = 0;   // kbit/s
    int32_t targetWidth = 320;  // start-up value: see startupFrameSize()
    int32_t targetHeight = 240;
    double outputFrameRate = 0.0;
    std::string aspectText;     // "1/1", "4/3", "16/9", "2.21/1"
};

struct FrameSize {
    int32_t width;
    int32_t height;
};
struct Bitrates {
    int32_t video;
    int32_t audio;
};

// Tables, each kept in one place.
std::span<const Bitrates> qualityPresets(int32_t format);  // empty for a bad format
// The MPEG table for formats 1 and 2, the AVI table for every other index
// (disc formats take their size from tvMode, not from a table).
std::span<const FrameSize> frameSizeTable(int32_t format);
// The MPEG list for formats 1 and 2, the AVI list for every other index;
// [0] is "Original" (0.0). Disc and Windows Media formats use no list.
std::span<const double> frameRateTable(int32_t format);
const char* mpegAspectText(int32_t index);                  // nullptr outside 0..3
const char* dvdAspectText(int32_t index);                   // nullptr outside 0..1
// The 18-entry table the main window takes its start-up target size from by
// an index that nothing sets; outside 0..17 it gives 320 x 240.
FrameSize startupFrameSize(int32_t presetIndex);

// Resolve operations: read the settings, write their EncodeParameters fields.
// An index outside its table leaves the bitrates (and the aspect text) as
// they were; a NaN source rate counts as 0.
void ResolveBitrates(const OutputSettings& s, EncodeParameters& p);
void ResolveFrameSize(const OutputSettings& s, EncodeParameters& p);
void ResolveFrameRate(const OutputSettings& s, EncodeParameters& p, double sourceRate);
void ResolveAspectText(const OutputSettings& s, EncodeParameters& p);

// Option file "option.ini" and version file "version.ini" in programDirectory
// (which ends with a separator, or is empty). Loading never fails: missing
// files, sections and keys give the defaults; texts are cut to 255 bytes as
// the original's buffers cut them. Saving writes every key every time, all
// 25 in one atomic rewrite of the file, and ignores failures.
void LoadOptions(const std::string& programDirectory, OutputSettings& s, std::string& versionText);
void SaveOptions(const std::string& programDirectory, const OutputSettings& s);

// C atoi rules: leading white space, optional sign, digits; anything else 0.
// Beyond the 32-bit range the value is clamped to INT32_MIN / INT32_MAX.
int32_t atoiValue(std::string_view text);

}  // namespace quelvo
