#include "app/CConverterApp.h"

#include <QDialog>
#include <QPointer>

#include "controls/CTipOfTheDayDlg.h"
#include "platform/Skin.h"

namespace quelvo {

namespace {
QPointer<QWidget> g_mainWindow;
}

CConverterApp::CConverterApp(Windows windows) : windows_(std::move(windows)) {}

bool CConverterApp::InitInstance()
{
    // No player control to register on this platform, and no window hosts one.

    skinInit();
    skinLoadResource(QStringLiteral("ZORVAN_SKIN"), QStringLiteral("SKINMAGIC"));
    skinApplyToDialogs(QStringLiteral("Dialog"));

    // The program takes no command-line options, so the tip is never
    // suppressed for an embedding or automation start. Constructing and
    // destroying it moves the stored tip position even when it is not shown.
    {
        std::unique_ptr<CTipOfTheDayDlg> tip = windows_.tipOfTheDay();
        if (tip->showAtStartup())
            tip->exec();
    }

    std::unique_ptr<QDialog> main = windows_.mainWindow();
    g_mainWindow = main.get();
    main->exec();
    g_mainWindow = nullptr;
    // Destroying the main window saves the settings.
    main.reset();
    return false;
}

int CConverterApp::ExitInstance()
{
    skinRelease();
    return 0;
}

QWidget* applicationMainWindow()
{
    return g_mainWindow;
}

}  // namespace quelvo
