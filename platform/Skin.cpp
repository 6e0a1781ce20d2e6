#include "platform/Skin.h"

#include <QApplication>
#include <QPalette>
#include <QRegularExpression>
#include <QStyle>
#include <QWidget>

#include "platform/Resources.h"

namespace quelvo {

namespace {
QString g_sheet;
bool g_ready = false;
std::vector<int> g_log;
}  // namespace

void skinInit()
{
    g_log.push_back(1);
    g_ready = true;
}

bool skinLoadResource(const QString& name, const QString& type)
{
    g_log.push_back(4);
    if (!g_ready)
        return false;
    const QByteArray data = namedResource(type, name);
    if (data.isEmpty())
        return false;
    g_sheet = QString::fromUtf8(data);
    return true;
}

void skinApplyToDialogs(const QString& style)
{
    g_log.push_back(8);
    if (!g_ready || g_sheet.isEmpty() || style != QLatin1String("Dialog"))
        return;
    if (!qApp)
        return;
    qApp->setStyleSheet(g_sheet);
    // Widgets that paint the dialog's face themselves (the About box's title)
    // read it from the palette, so it follows the skin's dialog colour.
    static const QRegularExpression face(R"(QDialog\s*\{[^}]*background-color:\s*(#[0-9a-fA-F]{6}))");
    if (auto m = face.match(g_sheet); m.hasMatch()) {
        QPalette p = QApplication::palette();
        p.setColor(QPalette::Window, QColor(m.captured(1)));
        QApplication::setPalette(p);
    }
}

int skinTrackPopupMenu(PopupRequest request)
{
    g_log.push_back(13);
    request.skinned = g_ready && !g_sheet.isEmpty();
    return showPopupMenu(request);
}

void skinAttachWindow(QWidget* window)
{
    g_log.push_back(7);
    // The style sheet already reaches every child window; marking it lets the
    // sheet give the About box's links their own look.
    if (window)
        window->setProperty("skinned", true);
}

void skinRelease()
{
    g_log.push_back(2);
    if (qApp && !g_sheet.isEmpty()) {
        qApp->setStyleSheet(QString());
        QApplication::setPalette(QApplication::style()->standardPalette());
    }
    g_sheet.clear();
    g_ready = false;
}

QString skinStyleSheet()
{
    return g_sheet;
}

const std::vector<int>& skinCallLog()
{
    return g_log;
}

void clearSkinCallLog()
{
    g_log.clear();
}

}  // namespace quelvo
