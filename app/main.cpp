#include <QApplication>
#include <QWidget>

#include "app/AppInfo.h"

int main(int argc, char** argv)
{
    quelvo::setInvocationPath(argc > 0 ? argv[0] : "");
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle("Quelvo");
    w.show();
    return app.exec();
}
