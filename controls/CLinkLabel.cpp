#include "controls/CLinkLabel.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "app/AppInfo.h"
#include "platform/ShellOpen.h"
#include "platform/UiServices.h"

namespace quelvo {

namespace {
constexpr int kHoverPeriodMs = 100;
}

QRect fitRectToText(const QRect& window, const QSize& extent, bool centreVertical, int staticType)
{
    int left = window.left();
    int top = window.top();
    int right = window.left() + window.width();
    int bottom = window.top() + window.height();
    if (centreVertical) {
        const int d = (window.height() - extent.height()) / 2;
        top += d;
        bottom -= d;
    } else {
        bottom = top + extent.height();
    }
    if (staticType & 1) {
        const int d = (window.width() - extent.width()) / 2;
        left += d;
        right -= d;
    } else if (staticType & 2) {
        left = right - extent.width();
    } else {
        right = left + extent.width();
    }
    return QRect(left, top, right - left, bottom - top);
}

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

CLinkLabel::~CLinkLabel()
{
    hoverTimer_.stop();
}

void CLinkLabel::setUp(int staticType, bool centreVertical)
{
    staticType_ = staticType;
    centreVertical_ = centreVertical;
    setMouseTracking(true);
    if (linkTarget_.isEmpty())
        linkTarget_ = text();
    if (text().isEmpty())
        setText(linkTarget_);
    standardFont_ = font();
    underlinedFont_ = font();
    underlinedFont_.setUnderline(true);
    isSetUp_ = true;
    FitToText();
    setCursor(Qt::PointingHandCursor);
    SetUnderlineMode(-1);
    setToolTip(linkTarget_);
}

void CLinkLabel::SetLinkTarget(const QString& target)
{
    linkTarget_ = target;
    if (!isSetUp_)
        return;
    FitToText();
    setToolTip(target);
}

void CLinkLabel::SetUnderlineMode(int mode)
{
    if (mode == underlineMode_)
        return;
    if (isSetUp_) {
        setFont(mode == 1 ? underlinedFont_ : standardFont_);
        update();
    }
    underlineMode_ = mode;
}

void CLinkLabel::MarkVisited(bool visited)
{
    visited_ = visited;
    update();
}

QColor CLinkLabel::textColour() const
{
    if (pointerOver_)
        return hoverColour;
    return visited_ ? visitedColour : linkColour;
}

void CLinkLabel::FitToText()
{
    if (!fitToText)
        return;
    const QFontMetrics fm(underlinedFont_);
    QSize extent(fm.horizontalAdvance(text()), fm.height());
    // The window's frame around its client area.
    extent += QSize(width() - contentsRect().width(), height() - contentsRect().height());
    setGeometry(fitRectToText(geometry(), extent, centreVertical_, staticType_));
}

void CLinkLabel::paintEvent(QPaintEvent*)
{
    // Transparent background: only the text in its state's colour.
    QPainter p(this);
    p.setFont(font());
    p.setPen(textColour());
    p.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, text());
}

void CLinkLabel::pointerEntered()
{
    if (pointerOver_)
        return;
    pointerOver_ = true;
    // A label still in mode -1 shows the link underlined while hovered.
    if (underlineMode_ == -1)
        setFont(underlinedFont_);
    update();
    hoverTimer_.start(kHoverPeriodMs, this);
}

void CLinkLabel::enterEvent(QEnterEvent* event)
{
    pointerEntered();
    QLabel::enterEvent(event);
}

void CLinkLabel::mouseMoveEvent(QMouseEvent* event)
{
    pointerEntered();
    QLabel::mouseMoveEvent(event);
}

void CLinkLabel::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != hoverTimer_.timerId()) {
        QLabel::timerEvent(event);
        return;
    }
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    pointerOver_ = false;
    hoverTimer_.stop();
    if (underlineMode_ != 1)
        setFont(standardFont_);
    update();
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        click();
    QLabel::mouseReleaseEvent(event);
}

void CLinkLabel::click()
{
    pointerOver_ = false;
    const int result = OpenLink(linkTarget_, kShowWindow);
    visited_ = static_cast<unsigned>(result) > 32;
    if (!visited_) {
        QApplication::beep();
        showMessageBox(this, openErrorMessage(result), QString::fromStdString(ApplicationName()),
                       MessageButtons::Ok, MessageIcon::Warning);
        update();
        return;
    }
    MarkVisited(true);
}

}  // namespace quelvo
