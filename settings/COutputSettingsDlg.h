#pragma once
// The modal "Output Settings" dialog: edits a working copy of the settings
// record and writes it back only on OK. It saves nothing itself.

#include <QDialog>

#include "platform/DialogTemplate.h"
#include "settings/OutputSettings.h"

namespace quelvo {

class COutputSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 166;
    enum ControlId : int {
        FormatCombo = 1066,
        QualityCombo = 1067,
        VideoCodecCombo = 1068,
        AudioCodecCombo = 1069,
        ResolutionCombo = 1070,
        FrameRateCombo = 1071,
        LetterboxCheck = 1072,
        VolumeSlider = 1073,
        VolumeLabel = 1074,
        TvModeCombo = 1077,
        AspectCombo = 1078,
    };

    explicit COutputSettingsDlg(OutputSettings& settings, QWidget* parent = nullptr);

    static const DialogTemplate& dialogTemplate();
    // The edited values; letterbox and outputFolder are not part of them.
    const OutputSettings& workingCopy() const { return working_; }

    void accept() override;

private:
    void refillFormatLists();
    void refillTvModeLists();
    void showVolume();
    void onComboChanged(int id, int index);

    OutputSettings& settings_;
    OutputSettings working_;
};

}  // namespace quelvo
