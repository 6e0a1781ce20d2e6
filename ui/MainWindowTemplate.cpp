#include "ui/MainWindowTemplate.h"

#include "ui/MainWindowIds.h"

namespace quelvo {

namespace {

using K = ControlKind;
constexpr uint32_t Tab = StyleTabStop;

// Template order is the tab order.
const ControlTemplate kControls[] = {
    {ids::Add, K::OwnerDrawButton, "Add", 15, 3, 51, 44, Tab},
    {ids::Convert, K::OwnerDrawButton, "Convert", 78, 3, 51, 44, Tab},
    {ids::Settings, K::OwnerDrawButton, "Settings", 141, 3, 51, 44, Tab},
    {ids::Help, K::OwnerDrawButton, "Help", 217, 3, 51, 44, Tab},
    {kNoId, K::EtchedHLine, nullptr, 15, 50, 384, 1, StyleNone},
    {ids::SourceListView, K::ListView, nullptr, 15, 55, 384, 163, Tab | StyleBorder | StyleSingleSelect},
    {kNoId, K::Label, "Output folder", 15, 230, 57, 8, StyleNone},
    {ids::OutputFolderEdit, K::Edit, nullptr, 78, 228, 263, 12, Tab | StyleBorder | StyleAutoHScroll},
    {ids::ChangeFolder, K::PushButton, "Change", 347, 227, 52, 13, Tab | StyleCenterText},
    {kNoId, K::EtchedVLine, nullptr, 204, 12, 1, 28, StyleDisabled},
    {ids::SmallAdd, K::OwnerDrawButton, "", 405, 68, 18, 17, Tab},
    {ids::SmallRemove, K::OwnerDrawButton, "", 405, 95, 18, 17, Tab},
    {ids::SmallUp, K::OwnerDrawButton, "", 405, 122, 18, 17, Tab},
    {ids::SmallDown, K::OwnerDrawButton, "", 405, 149, 18, 17, Tab},
    {kNoId, K::Label, "TV mode", 15, 270, 29, 8, StyleNone},
    {kNoId, K::Label, "Output format", 15, 251, 53, 8, StyleNone},
    {ids::FormatCombo, K::DropList, nullptr, 78, 247, 263, 222, Tab | StyleVScroll},
    {kNoId, K::Label, "Aspect ratio", 186, 270, 49, 8, StyleNone},
    {ids::AspectCombo, K::DropList, nullptr, 249, 267, 92, 60, Tab | StyleVScroll},
    {ids::TvModeCombo, K::DropList, nullptr, 78, 267, 92, 55, Tab | StyleVScroll},
    {ids::SettingsButton, K::PushButton, "Settings", 347, 247, 52, 13, Tab | StyleCenterText},
    {ids::ConvertButton, K::PushButton, "Convert", 347, 267, 52, 13, Tab},
};

const DialogTemplate kTemplate = {
    ids::MainTemplate, "Quelvo", 429, 285, "MS Sans Serif", 8,
    DialogSystemMenu | DialogMinimizeBox | DialogAppWindow, kControls,
};

}  // namespace

const DialogTemplate& mainWindowTemplate()
{
    return kTemplate;
}

}  // namespace quelvo
