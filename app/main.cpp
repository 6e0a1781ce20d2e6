#include <QApplication>
#include <QDialog>

#include "app/AppInfo.h"
#include "app/CConverterApp.h"
#include "controls/CTipOfTheDayDlg.h"
#ifdef QUELVO_HAS_MAIN_WINDOW
#include "ui/CConverterDlg.h"
#endif

int main(int argc, char** argv)
{
    quelvo::setInvocationPath(argc > 0 ? argv[0] : "");
    QApplication app(argc, argv);
    quelvo::CConverterApp converter({
        [] { return std::make_unique<quelvo::CTipOfTheDayDlg>(); },
#ifdef QUELVO_HAS_MAIN_WINDOW
        [] { return std::make_unique<quelvo::CConverterDlg>(); },
#else
        [] {
            auto w = std::make_unique<QDialog>();
            w->setWindowTitle(QStringLiteral("Quelvo"));
            return w;
        },
#endif
    });
    converter.InitInstance();
    return converter.ExitInstance();
}
