#pragma once
// Control and command ids of the main window, by range. They route commands
// (see the command table in CConverterDlg.cpp) and tests drive them.

#include <array>

namespace quelvo::ids {

// Image buttons and the list (1000..1028).
constexpr int Convert = 1000;
constexpr int Settings = 1001;
constexpr int Add = 1002;
constexpr int Help = 1003;
constexpr int SourceListView = 1006;
constexpr int OutputFolderEdit = 1018;
constexpr int ChangeFolder = 1019;
constexpr int SmallAdd = 1025;
constexpr int SmallRemove = 1026;
constexpr int SmallUp = 1027;
constexpr int SmallDown = 1028;

// Quick settings (1066..1069) and the push buttons (1079, 1080).
constexpr int FormatCombo = 1066;
constexpr int TvModeCombo = 1067;
constexpr int AspectCombo = 1069;
constexpr int SettingsButton = 1079;
constexpr int ConvertButton = 1080;

// Menu commands (32771..32778): the help popup and the list's context menu.
constexpr int HelpContent = 32771;
constexpr int HelpAbout = 32772;
constexpr int HelpHomePage = 32773;
constexpr int HelpTipOfTheDay = 32774;
constexpr int MenuAddFiles = 32775;
constexpr int MenuRemove = 32776;
constexpr int MenuMoveUp = 32777;
constexpr int MenuMoveDown = 32778;

// System menu entry.
constexpr int SysAbout = 16;

// Resources.
constexpr int MainTemplate = 102;
constexpr int HelpMenu = 136;
constexpr int ListMenu = 144;
constexpr int ProgramIcon = 128;

namespace detail {
constexpr std::array kAll = {Convert, Settings, Add, Help, SourceListView, OutputFolderEdit,
                             ChangeFolder, SmallAdd, SmallRemove, SmallUp, SmallDown, FormatCombo,
                             TvModeCombo, AspectCombo, SettingsButton, ConvertButton, HelpContent,
                             HelpAbout, HelpHomePage, HelpTipOfTheDay, MenuAddFiles, MenuRemove,
                             MenuMoveUp, MenuMoveDown, SysAbout};
constexpr bool unique()
{
    for (size_t i = 0; i < kAll.size(); ++i)
        for (size_t j = i + 1; j < kAll.size(); ++j)
            if (kAll[i] == kAll[j])
                return false;
    return true;
}
}  // namespace detail
static_assert(detail::unique(), "main window ids must be unique");

}  // namespace quelvo::ids
