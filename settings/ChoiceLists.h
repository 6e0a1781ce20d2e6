#pragma once
// What the settings combo boxes show for a settings record: items, selection
// and enabled state, and where a chosen item is stored. The Output Settings
// dialog and the main window's quick settings fill their combos from these.

#include <string>
#include <vector>

#include "settings/OutputSettings.h"

namespace quelvo {

struct ChoiceList {
    std::vector<std::string> items;
    int selection = -1;  // -1: nothing selected (also for an index outside the items)
    bool enabled = true;
};

// The ten format texts, item index = OutputFormat.
const std::vector<std::string>& formatNames();

// The Output Settings dialog's lists for the record's outputFormat. An
// outputFormat outside 0..9 gives empty, disabled lists.
ChoiceList formatChoices(const OutputSettings& s);
ChoiceList qualityChoices(const OutputSettings& s);
ChoiceList videoCodecChoices(const OutputSettings& s);
ChoiceList audioCodecChoices(const OutputSettings& s);
ChoiceList tvModeChoices(const OutputSettings& s);
ChoiceList resolutionChoices(const OutputSettings& s);
ChoiceList frameRateChoices(const OutputSettings& s);
ChoiceList aspectChoices(const OutputSettings& s);

// The main window's aspect combo: four MPEG aspects for MPEG1/MPEG2, else the
// two disc aspects, enabled only for VCD, SVCD and DVD.
ChoiceList quickAspectChoices(const OutputSettings& s);
// The TV mode applies to the disc formats only.
bool tvModeEnabled(int format);

// "+0db", "-20db", "+20db": the gain of a volume step (step 20 is 0 dB).
std::string volumeLabel(int volume);

// Store a chosen item index into the field the record's format uses; a
// negative index (a combo just emptied) and a field-less format change nothing.
void storeFormat(OutputSettings& s, int index);
void storeQuality(OutputSettings& s, int index);
void storeVideoCodec(OutputSettings& s, int index);
void storeAudioCodec(OutputSettings& s, int index);
void storeTvMode(OutputSettings& s, int index);
void storeResolution(OutputSettings& s, int index);
void storeFrameRate(OutputSettings& s, int index);
void storeAspect(OutputSettings& s, int index);
void storeQuickAspect(OutputSettings& s, int index);

}  // namespace quelvo
