#pragma once
// The main window's commands that lead away from converting: the Help
// button's popup, the help file, the About box, the home page and the Tip of
// the Day. The main window routes its commands here.

#include <string>

#include "platform/UiServices.h"

class QWidget;

namespace quelvo {

// Menu 136, the Help button's popup.
constexpr int kHelpMenuId = 136;
constexpr int kCmdHelpContents = 32771;
constexpr int kCmdAbout = 32772;
constexpr int kCmdHomePage = 32773;
constexpr int kCmdTipOfTheDay = 32774;
static_assert(kCmdHelpContents < kCmdAbout && kCmdAbout < kCmdHomePage &&
              kCmdHomePage < kCmdTipOfTheDay);
const MenuTemplate& helpMenu();

// The About entry of the main window's system menu: string 101, command 16.
constexpr int kSysCmdAbout = 16;
inline constexpr const char* kAboutMenuText = "&About Quelvo...";
// True for the About entry; a system command's low four bits are the system's.
constexpr bool isAboutSystemCommand(int command) { return (command & ~0xF) == kSysCmdAbout; }

// The help file's first topic, under the program directory.
inline constexpr const char* kHelpContentsTopic = "help.chm::/overview/overview.htm";

// Shows menu 136 at the pointer (5,5 into the client area when the pointer
// position reads -1,-1) and returns the chosen command id, or 0.
int showHelpMenu(QWidget* mainWindow);
// Runs a help command; false for an id that is not one.
bool runHelpCommand(QWidget* mainWindow, int command);

void showHelpContents();
// The About box with the version text the main window loaded, or, without
// one, the version text of the program directory's version file.
void showAbout(QWidget* owner);
void showAbout(QWidget* owner, const std::string& versionText);
void openHomePage();
// Runs the Tip of the Day whatever its start-up setting.
void showTipOfTheDay(QWidget* owner);

}  // namespace quelvo
