#include "settings/COutputSettingsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <array>

#include "settings/ChoiceLists.h"

namespace quelvo {

namespace {

using D = COutputSettingsDlg;
constexpr uint32_t kCombo = StyleTabStop | StyleVScroll;

constexpr ControlTemplate kControls[] = {
    {kNoId, ControlKind::Label, "Output format", 12, 10, 43, 8, StyleNone},
    {D::FormatCombo, ControlKind::DropList, nullptr, 65, 8, 198, 97, kCombo},
    {kNoId, ControlKind::Label, "Output quality", 12, 28, 43, 8, StyleNone},
    {D::QualityCombo, ControlKind::DropList, nullptr, 65, 26, 198, 80, kCombo},
    {kNoId, ControlKind::Label, "Video codec", 12, 46, 39, 8, StyleNone},
    {D::VideoCodecCombo, ControlKind::DropList, nullptr, 65, 44, 65, 41, kCombo},
    {kNoId, ControlKind::Label, "Audio codec", 149, 46, 39, 8, StyleNone},
    {D::AudioCodecCombo, ControlKind::DropList, nullptr, 198, 44, 65, 41, kCombo},
    {kNoId, ControlKind::Label, "Resolution", 12, 64, 35, 8, StyleNone},
    {D::ResolutionCombo, ControlKind::DropList, nullptr, 65, 62, 65, 209, kCombo},
    {kNoId, ControlKind::Label, "Frame rate", 149, 64, 35, 8, StyleNone},
    {D::FrameRateCombo, ControlKind::DropList, nullptr, 198, 62, 65, 99, kCombo},
    {kNoId, ControlKind::Label, "TV mode", 12, 82, 29, 8, StyleNone},
    {D::TvModeCombo, ControlKind::DropList, nullptr, 65, 80, 65, 30, kCombo},
    {kNoId, ControlKind::Label, "Aspect ratio", 149, 82, 38, 8, StyleNone},
    {D::AspectCombo, ControlKind::DropList, nullptr, 198, 80, 65, 79, kCombo},
    {kNoId, ControlKind::Label, "Volume", 12, 101, 25, 8, StyleNone},
    {D::VolumeSlider, ControlKind::Trackbar, nullptr, 62, 101, 70, 9, StyleTabStop},
    {D::VolumeLabel, ControlKind::Label, "+0db", 149, 100, 38, 8, StyleNone},
    {D::LetterboxCheck, ControlKind::CheckBox, "Add letter box to keep aspect ratio", 64, 113, 121, 10,
     StyleTabStop},
    {kNoId, ControlKind::EtchedHLine, nullptr, 7, 129, 263, 1, StyleNone},
    {kIdOk, ControlKind::DefPushButton, "Ok", 173, 135, 35, 12, StyleTabStop},
    {kIdCancel, ControlKind::PushButton, "Cancel", 220, 135, 35, 12, StyleTabStop},
};

constexpr bool idsUnique()
{
    std::array<int, std::size(kControls)> ids{};
    size_t n = 0;
    for (const ControlTemplate& c : kControls)
        if (c.id != kNoId)
            ids[n++] = c.id;
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            if (ids[i] == ids[j])
                return false;
    return true;
}
static_assert(idsUnique(), "control ids of the Output Settings dialog must be unique");

constexpr DialogTemplate kTemplate = {
    D::kTemplateId, "Output Settings", 279, 151, "Arial", 9, DialogSystemMenu, kControls,
};

// Programmatic refills must not read as the user's choice.
void fill(const QWidget* dialog, int id, const ChoiceList& list)
{
    auto* combo = control<QComboBox>(dialog, id);
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const std::string& item : list.items)
        combo->addItem(QString::fromStdString(item));
    combo->setCurrentIndex(list.selection);
    combo->setEnabled(list.enabled);
}

}  // namespace

const DialogTemplate& COutputSettingsDlg::dialogTemplate()
{
    return kTemplate;
}

COutputSettingsDlg::COutputSettingsDlg(OutputSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), working_(settings)
{
    buildDialog(this, kTemplate);

    fill(this, FormatCombo, formatChoices(working_));
    control<QCheckBox>(this, LetterboxCheck)->setChecked(settings_.letterbox != 0);
    refillFormatLists();
    auto* slider = control<QSlider>(this, VolumeSlider);
    {
        const QSignalBlocker quiet(slider);
        slider->setRange(0, 40);
        slider->setValue(working_.volume);
    }
    showVolume();

    for (int id : {FormatCombo, QualityCombo, VideoCodecCombo, AudioCodecCombo, TvModeCombo,
                   ResolutionCombo, FrameRateCombo, AspectCombo}) {
        connect(control<QComboBox>(this, id), &QComboBox::currentIndexChanged, this,
                [this, id](int index) { onComboChanged(id, index); });
    }
    connect(slider, &QSlider::valueChanged, this, [this](int value) {
        working_.volume = value;
        showVolume();
    });
    connect(control<QPushButton>(this, kIdOk), &QPushButton::clicked, this, &QDialog::accept);
    connect(control<QPushButton>(this, kIdCancel), &QPushButton::clicked, this, &QDialog::reject);
}

void COutputSettingsDlg::refillFormatLists()
{
    fill(this, QualityCombo, qualityChoices(working_));
    fill(this, VideoCodecCombo, videoCodecChoices(working_));
    fill(this, AudioCodecCombo, audioCodecChoices(working_));
    fill(this, TvModeCombo, tvModeChoices(working_));
    refillTvModeLists();
    fill(this, AspectCombo, aspectChoices(working_));
}

void COutputSettingsDlg::refillTvModeLists()
{
    fill(this, ResolutionCombo, resolutionChoices(working_));
    fill(this, FrameRateCombo, frameRateChoices(working_));
}

void COutputSettingsDlg::showVolume()
{
    control<QLabel>(this, VolumeLabel)->setText(QString::fromStdString(volumeLabel(working_.volume)));
}

void COutputSettingsDlg::onComboChanged(int id, int index)
{
    // Where each combo's choice goes in the working copy.
    struct Store {
        int id;
        void (*store)(OutputSettings&, int);
    };
    static const Store kStores[] = {
        {FormatCombo, storeFormat},         {QualityCombo, storeQuality},
        {VideoCodecCombo, storeVideoCodec}, {AudioCodecCombo, storeAudioCodec},
        {TvModeCombo, storeTvMode},         {ResolutionCombo, storeResolution},
        {FrameRateCombo, storeFrameRate},   {AspectCombo, storeAspect},
    };
    for (const Store& s : kStores)
        if (s.id == id)
            s.store(working_, index);
    // A new format or TV mode changes what the other lists offer.
    if (id == FormatCombo)
        refillFormatLists();
    else if (id == TvModeCombo)
        refillTvModeLists();
}

void COutputSettingsDlg::accept()
{
    // The folder is not edited here and the letter box lives in its check box.
    OutputSettings result = working_;
    result.outputFolder = settings_.outputFolder;
    result.letterbox = control<QCheckBox>(this, LetterboxCheck)->isChecked() ? 1 : 0;
    settings_ = result;
    QDialog::accept();
}

}  // namespace quelvo
