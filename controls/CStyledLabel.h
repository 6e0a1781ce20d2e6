#pragma once
// A static text drawn in its own heavy 14-pixel Arial, in the window-text
// colour on the dialog face colour. Colours and font are taken once, at
// construction, and survive any later change of text, font or palette.

#include <QColor>
#include <QFont>
#include <QLabel>

namespace quelvo {

class CStyledLabel : public QLabel {
    Q_OBJECT
public:
    explicit CStyledLabel(const QString& text = {}, QWidget* parent = nullptr);

    QFont labelFont() const { return font_; }
    QColor textColour() const { return textColour_; }
    QColor backgroundColour() const { return background_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor textColour_;
    QColor background_;
    QFont font_;
};

}  // namespace quelvo
