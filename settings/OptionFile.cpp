#include "settings/OutputSettings.h"

#include <iterator>
#include <string>
#include <vector>

#include "platform/ProfileFile.h"

namespace quelvo {

namespace {

constexpr const char* kOptionSection = "Destinate";
constexpr const char* kFolderKey = "Temporary folder";

// The option file's keys in file order. The folder row has no integer field.
struct OptionKey {
    const char* key;
    int32_t OutputSettings::*field;
};
constexpr OptionKey kOptionKeys[] = {
    {"Letterbox", &OutputSettings::letterbox},
    {kFolderKey, nullptr},
    {"Output format", &OutputSettings::outputFormat},
    {"TV mode", &OutputSettings::tvMode},
    {"MPEG aspect ratio", &OutputSettings::mpegAspectRatio},
    {"DVD aspect ratio", &OutputSettings::dvdAspectRatio},
    {"AVI quality", &OutputSettings::aviQuality},
    {"MPEG1 quality", &OutputSettings::mpeg1Quality},
    {"MPEG2 quality", &OutputSettings::mpeg2Quality},
    {"SVCD quality", &OutputSettings::svcdQuality},
    {"DVD quality", &OutputSettings::dvdQuality},
    {"WMV quality", &OutputSettings::wmvQuality},
    {"AVI video codec", &OutputSettings::aviVideoCodec},
    {"ASF video codec", &OutputSettings::asfVideoCodec},
    {"AVI audio codec", &OutputSettings::aviAudioCodec},
    {"Divx audio codec", &OutputSettings::divxAudioCodec},
    {"Xvid audio codec", &OutputSettings::xvidAudioCodec},
    {"DVD audio codec", &OutputSettings::dvdAudioCodec},
    {"WMV audio codec", &OutputSettings::wmvAudioCodec},
    {"ASF audio codec", &OutputSettings::asfAudioCodec},
    {"AVI resolution", &OutputSettings::aviResolution},
    {"MPEG resolution", &OutputSettings::mpegResolution},
    {"AVI frame rate", &OutputSettings::aviFrameRate},
    {"MPEG frame rate", &OutputSettings::mpegFrameRate},
    {"Volume", &OutputSettings::volume},
};
static_assert(std::size(kOptionKeys) == 25);

// The original reads into 256-character buffers: at most 255 characters
// arrive. The cut backs off to the start of a UTF-8 sequence.
std::string bounded(std::string text)
{
    constexpr size_t kMax = 255;
    if (text.size() <= kMax)
        return text;
    size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
    return text;
}

}  // namespace

void LoadOptions(const std::string& programDirectory, OutputSettings& s, std::string& versionText)
{
    versionText = bounded(
        readProfileString(programDirectory + "version.ini", "General", "Version", "1.00"));

    const std::string optionFile = programDirectory + "option.ini";
    const OutputSettings defaults;
    for (const OptionKey& k : kOptionKeys) {
        if (k.field == nullptr) {
            s.outputFolder =
                bounded(readProfileString(optionFile, kOptionSection, k.key, defaults.outputFolder));
            continue;
        }
        const std::string defaultText = std::to_string(defaults.*k.field);
        s.*k.field = atoiValue(
            bounded(readProfileString(optionFile, kOptionSection, k.key, defaultText)));
    }
}

void SaveOptions(const std::string& programDirectory, const OutputSettings& s)
{
    std::vector<ProfileEntry> entries;
    entries.reserve(std::size(kOptionKeys));
    for (const OptionKey& k : kOptionKeys)
        entries.push_back({k.key, k.field ? std::to_string(s.*k.field) : s.outputFolder});
    // Failures are ignored: the settings of this run are lost, nothing else.
    writeProfileStrings(programDirectory + "option.ini", kOptionSection, entries);
}

}  // namespace quelvo
