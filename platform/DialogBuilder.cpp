#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>

#include "platform/DialogTemplate.h"
#include "platform/Resources.h"

namespace quelvo {

namespace {

const char* kIdProperty = "quelvoControlId";

// A drop-down list whose open list is as wide as its longest item, so items
// the closed box has to clip can still be read in full when choosing.
class DropListBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    void showPopup() override
    {
        const QFontMetrics fm(font());
        int widest = 0;
        for (int i = 0; i < count(); ++i)
            widest = std::max(widest, fm.horizontalAdvance(itemText(i)));
        view()->setMinimumWidth(widest + 24);
        QComboBox::showPopup();
    }
};

// "&Next Tip" keeps its mnemonic on buttons; a static shows the text
// without the marker, "&&" standing for one ampersand.
QString stripMnemonic(const QString& text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
        }
        out += text[i];
    }
    return out;
}

Qt::Alignment labelAlignment(uint32_t style)
{
    Qt::Alignment a = (style & StyleCenterText) ? Qt::AlignHCenter : Qt::AlignLeft;
    a |= (style & StyleCenterVertical) ? Qt::AlignVCenter : Qt::AlignTop;
    return a;
}

QWidget* defaultWidget(const ControlTemplate& c, QWidget* parent, const QRect& r)
{
    const QString text = c.text ? QString::fromUtf8(c.text) : QString();
    switch (c.kind) {
    case ControlKind::Label: {
        auto* l = new QLabel((c.style & StyleNoPrefix) ? text : stripMnemonic(text), parent);
        l->setAlignment(labelAlignment(c.style));
        l->setWordWrap(!(c.style & StyleNoWrap));
        l->setTextFormat(Qt::PlainText);
        return l;
    }
    case ControlKind::IconImage: {
        auto* l = new QLabel(parent);
        const int side = std::min(r.width(), r.height()) >= 32 ? 32 : std::min(r.width(), r.height());
        l->setPixmap(iconResource(c.resource).pixmap(side, side));
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    }
    case ControlKind::BitmapImage: {
        auto* l = new QLabel(parent);
        if (c.resource)
            l->setPixmap(bitmapResource(c.resource));
        return l;
    }
    case ControlKind::BlackFrame: {
        auto* f = new QFrame(parent);
        f->setFrameShape(QFrame::Box);
        return f;
    }
    case ControlKind::EtchedHLine:
    case ControlKind::EtchedVLine: {
        auto* f = new QFrame(parent);
        f->setFrameShape(c.kind == ControlKind::EtchedHLine ? QFrame::HLine : QFrame::VLine);
        f->setFrameShadow(QFrame::Sunken);
        return f;
    }
    case ControlKind::Edit: {
        auto* e = new QLineEdit(text, parent);
        e->setMaxLength(255);
        return e;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::OwnerDrawButton: {
        auto* b = new QPushButton(text, parent);
        b->setAutoDefault(false);
        b->setDefault(c.kind == ControlKind::DefPushButton);
        return b;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::DropList: {
        auto* cb = new DropListBox(parent);
        cb->setMaxVisibleItems(20);
        return cb;
    }
    case ControlKind::ListView: {
        auto* t = new QTreeWidget(parent);
        t->setRootIsDecorated(false);
        t->setItemsExpandable(false);
        t->setUniformRowHeights(true);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        t->setSelectionBehavior(QAbstractItemView::SelectItems);
        t->setAllColumnsShowFocus(true);
        t->header()->setStretchLastSection(false);
        t->header()->setSectionsMovable(false);
        return t;
    }
    case ControlKind::ProgressBar: {
        auto* p = new QProgressBar(parent);
        p->setTextVisible(false);
        return p;
    }
    case ControlKind::Trackbar: {
        auto* s = new QSlider(Qt::Horizontal, parent);
        s->setTickPosition(QSlider::NoTicks);
        return s;
    }
    }
    return new QWidget(parent);
}

}  // namespace

QFont templateFont(const char* face, int pointSize)
{
    QFont f;
    QStringList families;
    const QString name = QString::fromUtf8(face ? face : "");
    // The template faces are Windows fonts; Liberation Sans is metric
    // compatible with Arial and close to MS Sans Serif, so the templates keep
    // their proportions. DejaVu Sans is wider and only the last resort.
    families << name << "Liberation Sans" << "Arimo" << "DejaVu Sans";
    families << "Sans Serif";
    f.setFamilies(families);
    f.setPointSize(pointSize > 0 ? pointSize : 8);
    return f;
}

DialogBase dialogBase(const QFont& font)
{
    QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, fm.height()};
}

QRect dialogUnitsToPixels(const DialogBase& base, int x, int y, int width, int height)
{
    auto mulDiv = [](int v, int mul, int div) {
        const long long p = static_cast<long long>(v) * mul;
        return static_cast<int>(p >= 0 ? (p + div / 2) / div : (p - div / 2) / div);
    };
    return QRect(mulDiv(x, base.x, 4), mulDiv(y, base.y, 8), mulDiv(width, base.x, 4),
                 mulDiv(height, base.y, 8));
}

void buildDialog(QDialog* dialog, const DialogTemplate& t, const ControlFactory& factory)
{
    dialog->setProperty(kIdProperty, t.id);
    dialog->setWindowTitle(QString::fromUtf8(t.caption ? t.caption : ""));
    const QFont font = templateFont(t.fontFace, t.pointSize);
    dialog->setFont(font);
    const DialogBase base = dialogBase(font);
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (t.style & DialogSystemMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.style & DialogMinimizeBox)
        flags |= Qt::WindowMinimizeButtonHint;
    if (t.style & DialogAppWindow)
        flags = (flags & ~Qt::Dialog) | Qt::Window;
    dialog->setWindowFlags(flags);
    dialog->setFixedSize(dialogUnitsToPixels(base, 0, 0, t.width, t.height).size());

    for (const ControlTemplate& c : t.controls) {
        QRect r = dialogUnitsToPixels(base, c.x, c.y, c.width, c.height);
        QWidget* w = factory ? factory(c, dialog) : nullptr;
        if (!w)
            w = defaultWidget(c, dialog, r);
        w->setParent(dialog);
        w->setFont(font);
        // A drop-down list's template height is that of its open list; the
        // closed box takes the height its font needs.
        if (c.kind == ControlKind::DropList)
            r.setHeight(w->sizeHint().height());
        if (c.kind == ControlKind::IconImage && r.width() >= 32 && r.height() >= 32)
            r.setSize(QSize(32, 32));
        // A one-line label whose text is a little wider in our fonts than in
        // the template's keeps its text on one line instead of losing a word.
        if (auto* label = qobject_cast<QLabel*>(w); label && c.kind == ControlKind::Label) {
            const QFontMetrics fm(font);
            if (r.height() < 2 * fm.height()) {
                label->setWordWrap(false);
                r.setWidth(std::max(r.width(), fm.horizontalAdvance(label->text()) + 2));
            }
        }
        w->setGeometry(r);
        w->setProperty(kIdProperty, c.id);
        if (c.id != kNoId)
            w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
        if (c.kind == ControlKind::Label || c.kind == ControlKind::IconImage ||
            c.kind == ControlKind::BitmapImage || c.kind == ControlKind::BlackFrame ||
            c.kind == ControlKind::EtchedHLine || c.kind == ControlKind::EtchedVLine ||
            c.kind == ControlKind::ProgressBar)
            w->setFocusPolicy(Qt::NoFocus);
        else
            w->setFocusPolicy((c.style & StyleTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
        w->setEnabled(!(c.style & StyleDisabled));
        w->setVisible(!(c.style & StyleHidden));
    }
}

QWidget* controlById(const QWidget* dialog, int id)
{
    if (!dialog || id == kNoId)
        return nullptr;
    return dialog->findChild<QWidget*>(QStringLiteral("ctl%1").arg(id), Qt::FindDirectChildrenOnly);
}

int controlId(const QWidget* control)
{
    if (!control)
        return kNoId;
    const QVariant v = control->property(kIdProperty);
    return v.isValid() ? v.toInt() : kNoId;
}

}  // namespace quelvo
