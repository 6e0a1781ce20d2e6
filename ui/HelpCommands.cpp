#include "ui/HelpCommands.h"

#include <QCursor>
#include <QWidget>

#include <array>

#include "app/AppInfo.h"
#include "app/ProductInfo.h"
#include "controls/CAboutDlg.h"
#include "controls/CTipOfTheDayDlg.h"
#include "platform/HelpViewer.h"
#include "platform/ShellOpen.h"
#include "settings/OutputSettings.h"

namespace quelvo {

namespace {

constexpr std::array<MenuItem, 5> kHelpItems{{
    {kCmdHelpContents, "Content"},
    {0, nullptr},
    {kCmdAbout, "About"},
    {kCmdHomePage, "Home page"},
    {kCmdTipOfTheDay, "Tip of the Day..."},
}};
constexpr MenuTemplate kHelpMenu{kHelpMenuId, "help", kHelpItems};

}  // namespace

const MenuTemplate& helpMenu()
{
    return kHelpMenu;
}

int showHelpMenu(QWidget* mainWindow)
{
    QPoint at = QCursor::pos();
    if (at == QPoint(-1, -1) && mainWindow)
        at = mainWindow->mapToGlobal(QPoint(5, 5));
    // The popup belongs to the first window up the chain that is not a child.
    QWidget* owner = mainWindow ? mainWindow->window() : nullptr;
    return showPopupMenu(PopupRequest{owner, &kHelpMenu, at, false});
}

bool runHelpCommand(QWidget* mainWindow, int command)
{
    switch (command) {
    case kCmdHelpContents: showHelpContents(); return true;
    case kCmdAbout: showAbout(mainWindow); return true;
    case kCmdHomePage: openHomePage(); return true;
    case kCmdTipOfTheDay: showTipOfTheDay(mainWindow); return true;
    default: return false;
    }
}

void showHelpContents()
{
    displayHelpTopic(QString::fromStdString(ProgramDirectory()) +
                     QString::fromUtf8(kHelpContentsTopic));
}

void showAbout(QWidget* owner)
{
    OutputSettings unused;
    std::string versionText;
    LoadOptions(ProgramDirectory(), unused, versionText);
    showAbout(owner, versionText);
}

void showAbout(QWidget* owner, const std::string& versionText)
{
    CAboutDlg about(versionText, owner);
    about.exec();
}

void openHomePage()
{
    OpenLink(QString::fromUtf8(kHomePageAddress), kShowWindow);
}

void showTipOfTheDay(QWidget* owner)
{
    CTipOfTheDayDlg tip(owner);
    tip.exec();
}

}  // namespace quelvo
