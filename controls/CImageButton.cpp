#include "controls/CImageButton.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace quelvo {

namespace {

// The icon's own size, or an invalid size when its data cannot be read.
QSize iconFileSize(const QString& path)
{
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgRenderer svg(path);
        return svg.isValid() ? svg.defaultSize() : QSize();
    }
    QImageReader reader(path);
    return reader.canRead() ? reader.size() : QSize();
}

}  // namespace

CImageButton::CImageButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setFlat(true);
    setAutoDefault(false);
    // Hover is followed with no button held, whether or not the window is active.
    setMouseTracking(true);
    ResetColours(false);
    connect(this, &QAbstractButton::clicked, this, [this] { setFocus(Qt::MouseFocusReason); });
}

CImageButton* CImageButton::fromTemplate(const ControlTemplate& c, QWidget* parent)
{
    auto* b = new CImageButton(c.text ? QString::fromUtf8(c.text) : QString(), parent);
    b->setOwnerDrawn(c.kind == ControlKind::OwnerDrawButton);
    b->setDefault(c.kind == ControlKind::DefPushButton);
    return b;
}

int CImageButton::SetIconResource(int resourceId, int width, int height)
{
    const QString path = QStringLiteral(":/icons/%1.svg").arg(resourceId);
    if (!QFile::exists(path)) {
        icon_ = QIcon();
        iconSize_ = QSize();
        invalidate();
        return Done;
    }
    return SetIconFile(path, width, height);
}

int CImageButton::SetIconFile(const QString& path, int width, int height)
{
    icon_ = QIcon();
    iconSize_ = QSize();
    const QSize own = iconFileSize(path);
    if (!own.isValid() || own.isEmpty()) {
        invalidate();
        return IconInfoFailed;
    }
    icon_ = QIcon(path);
    iconSize_ = QSize(width > 0 ? width : own.width(), height > 0 ? height : own.height());
    invalidate();
    return Done;
}

void CImageButton::SetTipText(const QString& text, bool activate)
{
    if (text.isNull())
        return;
    tipText_ = text;
    tipActive_ = activate;
    setToolTip(activate ? text : QString());
}

void CImageButton::UseParentBackground(bool repaint)
{
    drawsParentBackground_ = true;
    dropBackgroundCache();
    if (repaint)
        invalidate();
}

int CImageButton::SetIconPlacement(int placement, bool repaint)
{
    if (placement < IconLeft || placement > IconOver)
        return PlacementOutOfRange;
    placement_ = placement;
    if (repaint)
        invalidate();
    return Done;
}

void CImageButton::ResetColours(bool repaint)
{
    const QPalette& pal = palette();
    backgroundIn_ = backgroundOut_ = backgroundFocus_ = pal.color(QPalette::Button);
    captionIn_ = captionOut_ = captionFocus_ = pal.color(QPalette::ButtonText);
    if (repaint)
        invalidate();
}

void CImageButton::EndHover()
{
    setHovered(false);
}

void CImageButton::setOwnerDrawn(bool on)
{
    ownerDrawn_ = on;
    setFlat(on);
    invalidate();
}

void CImageButton::setHovered(bool on)
{
    if (pointerOver_ == on)
        return;
    pointerOver_ = on;
    ++hoverRepaints_;
    invalidate();
}

void CImageButton::invalidate()
{
    update();
}

void CImageButton::dropBackgroundCache()
{
    background_ = QPixmap();
}

void CImageButton::paintEvent(QPaintEvent* event)
{
    if (!ownerDrawn_) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter p(this);
    if (drawsParentBackground_)
        copyParentBackground(p);
    else
        paintBackground(p);
    paintBorder(p);
    QRect captionRect = rect();
    if (hasIcon())
        captionRect = paintIcon(p, captionRect);
    if (!text().isEmpty())
        paintCaption(p, captionRect);
}

void CImageButton::copyParentBackground(QPainter& p)
{
    QWidget* parent = parentWidget();
    if (!parent) {
        paintBackground(p);
        return;
    }
    const qreal dpr = devicePixelRatioF();
    if (background_.isNull() || background_.size() != size() * dpr) {
        // Only the parent itself: its other children are not our background.
        QPixmap capture(size() * dpr);
        capture.setDevicePixelRatio(dpr);
        capture.fill(parent->palette().color(parent->backgroundRole()));
        parent->render(&capture, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
        background_ = capture;
        ++backgroundCaptures_;
    }
    p.drawPixmap(0, 0, background_);
}

void CImageButton::paintBackground(QPainter& p)
{
    const QColor& c = (pointerOver_ || isDown()) ? backgroundIn_ : hasFocus() ? backgroundFocus_ : backgroundOut_;
    p.fillRect(rect(), c);
}

void CImageButton::paintBorder(QPainter& p)
{
    if (!isDown() && !pointerOver_)
        return;
    const QColor highlight = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor& topLeft = isDown() ? shadow : highlight;
    const QColor& bottomRight = isDown() ? highlight : shadow;
    const int w = width(), h = height();
    p.fillRect(0, 0, w - 1, 1, topLeft);
    p.fillRect(0, 0, 1, h - 1, topLeft);
    p.fillRect(w - 1, 0, 1, h, bottomRight);
    p.fillRect(0, h - 1, w, 1, bottomRight);
}

QRect CImageButton::paintIcon(QPainter& p, QRect captionRect)
{
    const QSize s = iconSize_;
    const bool hasCaption = !text().isEmpty();
    const int centreX = (width() - s.width()) / 2;
    const int centreY = (height() - s.height()) / 2;
    QPoint at(centreX, centreY);
    switch (placement_) {
    case IconAbove:
        if (hasCaption) {
            at.setY(kImageOrigin.y());
            captionRect.setTop(captionRect.top() + s.height());
        }
        break;
    case IconLeft:
        if (hasCaption) {
            at.setX(kImageOrigin.x());
            captionRect.setLeft(at.x() + s.width());
        }
        break;
    case IconRight:
        if (hasCaption) {
            at.setX(width() - kImageOrigin.x() - s.width());
            captionRect.setRight(at.x() - 1);
        }
        break;
    default:
        break;
    }
    if (isDown())
        at += kPressedOffset;
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    p.drawPixmap(QRect(at, s), icon_.pixmap(s, devicePixelRatioF(), mode));
    return captionRect;
}

void CImageButton::paintCaption(QPainter& p, QRect captionRect)
{
    if (isDown())
        captionRect.translate(kPressedOffset);
    const int flags = Qt::AlignHCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    const QSize measured =
        p.fontMetrics().boundingRect(QRect(0, 0, captionRect.width(), 0x7fff), flags, text()).size();
    const QRect textRect(captionRect.left() + (captionRect.width() - measured.width()) / 2,
                         captionRect.top() + (captionRect.height() - measured.height()) / 2,
                         measured.width(), measured.height());
    if (!isEnabled()) {
        p.setPen(palette().color(QPalette::Light));
        p.drawText(textRect.translated(1, 1), flags, text());
        p.setPen(palette().color(QPalette::Dark));
        p.drawText(textRect, flags, text());
        return;
    }
    p.setPen((pointerOver_ || isDown()) ? captionIn_ : hasFocus() ? captionFocus_ : captionOut_);
    p.drawText(textRect, flags, text());
}

void CImageButton::mouseMoveEvent(QMouseEvent* event)
{
    QPushButton::mouseMoveEvent(event);
    // A drag that began elsewhere does not light the button up.
    if ((event->buttons() & Qt::LeftButton) && !pointerOver_)
        return;
    if (QWidget* parent = parentWidget())
        QCoreApplication::postEvent(parent, new ImageButtonMoveEvent(this));
    ++moveNotices_;
    // While pressed the button keeps the pointer, so a move may lie outside it.
    if (rect().contains(event->position().toPoint()))
        setHovered(true);
    else
        EndHover();
}

void CImageButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                      event->globalPosition(), event->button(), event->buttons(), event->modifiers(),
                      event->pointingDevice());
    mousePressEvent(&press);
    event->setAccepted(press.isAccepted());
}

void CImageButton::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    EndHover();
}

void CImageButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            // Only when this button itself was disabled, not its window.
            if (testAttribute(Qt::WA_ForceDisabled))
                moveFocusToNextTabStop();
            EndHover();
        }
        break;
    case QEvent::PaletteChange:
        dropBackgroundCache();
        ResetColours(true);
        break;
    case QEvent::StyleChange:
        dropBackgroundCache();
        break;
    default:
        break;
    }
}

bool CImageButton::event(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        EndHover();
    return QPushButton::event(event);
}

void CImageButton::moveFocusToNextTabStop()
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (parent->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
            w->isEnabled() && w->isVisibleTo(parent)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    parent->setFocus(Qt::OtherFocusReason);
}

}  // namespace quelvo
