#include <QApplication>

#include "app/AppInfo.h"
#include "app/CConverterApp.h"
#include "controls/CTipOfTheDayDlg.h"
#include "ui/CConverterDlg.h"

int main(int argc, char** argv)
{
    quelvo::setInvocationPath(argc > 0 ? argv[0] : "");
    QApplication app(argc, argv);
    quelvo::CConverterApp converter({
        [] { return std::make_unique<quelvo::CTipOfTheDayDlg>(); },
        [] { return std::make_unique<quelvo::CConverterDlg>(); },
    });
    converter.InitInstance();
    return converter.ExitInstance();
}
