#include "controls/CStyledLabel.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

#include "platform/DialogTemplate.h"

namespace quelvo {

CStyledLabel::CStyledLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent),
      textColour_(QApplication::palette().color(QPalette::Active, QPalette::WindowText)),
      // The face colour of dialogs and buttons is the palette's window colour.
      background_(QApplication::palette().color(QPalette::Active, QPalette::Window)),
      font_(templateFont("Arial", 9))
{
    font_.setPixelSize(14);
    // Weight 956 lies past the heaviest weight a font offers.
    font_.setWeight(QFont::Black);
    setTextFormat(Qt::PlainText);
}

void CStyledLabel::paintEvent(QPaintEvent*)
{
    // The label draws with its own font and colours whatever the dialog
    // gives it, as a control does that answers its own colour request.
    QPainter p(this);
    p.fillRect(rect(), background_);
    p.setFont(font_);
    p.setPen(textColour_);
    int flags = int(alignment());
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    p.drawText(contentsRect(), flags, text());
}

}  // namespace quelvo
