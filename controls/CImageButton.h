#pragma once
// The main window's flat command button: an icon above its caption, the
// parent's own pixels as background, a raised border while hovered and a
// sunken one while pressed, and a tooltip.

#include <QColor>
#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QPushButton>
#include <QSize>

#include "platform/DialogTemplate.h"

namespace quelvo {

class CImageButton;

// Posted to the parent on pointer moves (the platform's WM_USER + 1).
class ImageButtonMoveEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 1);
    explicit ImageButtonMoveEvent(CImageButton* button) : QEvent(kType), button_(button) {}
    CImageButton* button() const { return button_; }

private:
    CImageButton* button_;
};

class CImageButton : public QPushButton {
    Q_OBJECT
public:
    enum Result { Done = 0, IconInfoFailed = 1, PlacementOutOfRange = 4 };
    enum Placement { IconLeft = 0, IconAbove = 1, IconRight = 2, IconOver = 3 };

    explicit CImageButton(const QString& text = QString(), QWidget* parent = nullptr);
    // For the dialog builder: a template's owner-drawn button paints itself;
    // a plain push button keeps the platform's look.
    static CImageButton* fromTemplate(const ControlTemplate& c, QWidget* parent);

    // Width and height 0: the icon's own size. A missing resource leaves the
    // button without an icon.
    int SetIconResource(int resourceId, int width, int height);
    int SetIconFile(const QString& path, int width, int height);
    void SetTipText(const QString& text, bool activate);
    void UseParentBackground(bool repaint);
    int SetIconPlacement(int placement, bool repaint);
    void ResetColours(bool repaint);
    void EndHover();

    void setOwnerDrawn(bool on);
    bool isOwnerDrawn() const { return ownerDrawn_; }
    bool isHovered() const { return pointerOver_; }
    bool isPressed() const { return isDown(); }
    int iconPlacement() const { return placement_; }
    bool hasIcon() const { return !icon_.isNull(); }
    QSize imageSize() const { return iconSize_; }
    QString tipText() const { return tipText_; }
    bool isTipActive() const { return tipActive_; }
    bool drawsParentBackground() const { return drawsParentBackground_; }
    bool hasBackgroundCache() const { return !background_.isNull(); }
    int backgroundCaptures() const { return backgroundCaptures_; }
    int hoverRepaints() const { return hoverRepaints_; }
    int moveNoticesPosted() const { return moveNotices_; }

    static constexpr QPoint kImageOrigin{3, 3};
    static constexpr QPoint kPressedOffset{1, 1};

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void setHovered(bool on);
    void dropBackgroundCache();
    void copyParentBackground(QPainter& p);
    void paintBackground(QPainter& p);
    void paintBorder(QPainter& p);
    QRect paintIcon(QPainter& p, QRect captionRect);
    void paintCaption(QPainter& p, QRect captionRect);
    void moveFocusToNextTabStop();
    void invalidate();

    bool ownerDrawn_ = true;
    bool pointerOver_ = false;
    bool drawsParentBackground_ = false;
    int placement_ = IconLeft;
    QIcon icon_;
    QSize iconSize_;
    QString tipText_;
    bool tipActive_ = false;
    QPixmap background_;
    QColor backgroundIn_, backgroundOut_, backgroundFocus_;
    QColor captionIn_, captionOut_, captionFocus_;
    int backgroundCaptures_ = 0;
    int hoverRepaints_ = 0;
    int moveNotices_ = 0;
};

}  // namespace quelvo
