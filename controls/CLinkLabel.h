#pragma once
// A static text of a dialog template turned into a hyperlink: link colours,
// underlined font, hand cursor, the target as tooltip, red while the pointer
// is over it, and a click that opens the target through OpenLink.

#include <QBasicTimer>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QSize>

namespace quelvo {

// Horizontal placement bits of a static control's type, as FitToText reads them.
enum StaticType : int {
    StaticLeft = 0,
    StaticCenter = 1,
    StaticRight = 2,
    StaticLeftNoWordWrap = 11,
};

// FitToText's arithmetic: the window rectangle (parent coordinates) shrunk
// or cut to the text extent (frame included).
QRect fitRectToText(const QRect& window, const QSize& extent, bool centreVertical, int staticType);

class CLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit CLinkLabel(const QString& text, QWidget* parent = nullptr);
    ~CLinkLabel() override;

    // Takes over the template control once it has its text, font and place.
    void setUp(int staticType, bool centreVertical);

    void SetLinkTarget(const QString& target);
    void SetUnderlineMode(int mode);
    void MarkVisited(bool visited);

    QString linkTarget() const { return linkTarget_; }
    int underlineMode() const { return underlineMode_; }
    bool isVisited() const { return visited_; }
    bool isPointerOver() const { return pointerOver_; }
    // Hover, else visited, else link colour.
    QColor textColour() const;

    QColor linkColour{0, 0, 238};
    QColor visitedColour{85, 26, 139};
    QColor hoverColour{255, 0, 0};
    bool fitToText = true;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void FitToText();
    void pointerEntered();
    void click();

    bool pointerOver_ = false;
    bool visited_ = false;
    int underlineMode_ = -1;
    QString linkTarget_;
    QFont underlinedFont_;
    QFont standardFont_;
    int staticType_ = StaticLeft;
    bool centreVertical_ = false;
    bool isSetUp_ = false;
    QBasicTimer hoverTimer_;
};

}  // namespace quelvo
