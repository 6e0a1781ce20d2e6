#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "controls/CImageButton.h"
#include "platform/Resources.h"

using namespace quelvo;

namespace {

const QColor kParent(0, 128, 128);
const QColor kHighlight(255, 255, 0);
const QColor kShadow(0, 0, 255);
const QColor kCaption(255, 0, 255);
const QColor kFace(200, 200, 200);
const QColor kIconRed(255, 0, 0);

// A window-coloured parent with one image button set up the way the main
// window sets up its command buttons, icon a plain red square.
struct Fixture {
    QWidget host;
    CImageButton* button;
    QTemporaryDir dir;
    int moveEvents = 0;

    explicit Fixture(const QString& caption = "Convert")
    {
        host.resize(200, 150);
        QPalette hp = host.palette();
        hp.setColor(QPalette::Window, kParent);
        host.setPalette(hp);
        host.setAutoFillBackground(true);

        button = new CImageButton(caption, &host);
        button->setGeometry(20, 20, 80, 70);
        QPalette bp = button->palette();
        bp.setColor(QPalette::Light, kHighlight);
        bp.setColor(QPalette::Dark, kShadow);
        bp.setColor(QPalette::ButtonText, kCaption);
        bp.setColor(QPalette::Button, kFace);
        button->setPalette(bp);
        QFont f = button->font();
        f.setStyleStrategy(QFont::NoAntialias);
        f.setPixelSize(12);
        button->setFont(f);
        button->setFocusPolicy(Qt::StrongFocus);

        QCOMPARE_EQ_OR_DIE(button->SetIconFile(writeFile("red.svg", redSquare), 0, 0), 0);
        button->SetTipText("Start converting", true);
        button->UseParentBackground(false);
        button->SetIconPlacement(CImageButton::IconAbove, true);
    }

    static constexpr const char* redSquare =
        "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'>"
        "<rect width='16' height='16' fill='#ff0000'/></svg>";

    QString writeFile(const QString& name, const QByteArray& data)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(data);
        return f.fileName();
    }

    static void QCOMPARE_EQ_OR_DIE(int a, int b)
    {
        if (a != b)
            qFatal("fixture set-up failed");
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button_, Qt::MouseButtons held)
    {
        QMouseEvent e(type, QPointF(at), button->mapToGlobal(QPointF(at)), button_, held, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &e);
    }
    void move(QPoint at, Qt::MouseButtons held = Qt::NoButton) { mouse(QEvent::MouseMove, at, Qt::NoButton, held); }
    void press(QPoint at) { mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void release(QPoint at) { mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
    QPoint inside() const { return QPoint(40, 35); }
    QPoint outside() const { return QPoint(120, 35); }

    QImage image() { return button->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

QRect boundsOf(const QImage& img, const QColor& c)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == c)
                r |= QRect(x, y, 1, 1);
    return r;
}

int countOf(const QImage& img, const QColor& c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixelColor(x, y) == c;
    return n;
}

class MoveEventCounter : public QObject {
public:
    int count = 0;
    CImageButton* last = nullptr;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == ImageButtonMoveEvent::kType) {
            ++count;
            last = static_cast<ImageButtonMoveEvent*>(e)->button();
        }
        return false;
    }
};

}  // namespace

class ImageButtonTest : public QObject {
    Q_OBJECT
private slots:
    void drawingStates_data();
    void drawingStates();
    void pressedShiftsIconAndCaption();
    void disabledLooksEmbossed();
    void parentBackgroundIsCapturedOnce();
    void plainPushButtonKeepsThePlatformLook();
    void setUpResults();
    void tooltip();
    void hoverRules();
    void moveNotices_data();
    void moveNotices();
    void doubleClickActsAsTwoClicks();
    void disablingMovesFocus();
    void skinKeepsTheFlatLook();
};

// Border colours at the four edges; the parent's pixels where no border is drawn.
void ImageButtonTest::drawingStates_data()
{
    QTest::addColumn<bool>("hover");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<QColor>("topLeft");
    QTest::addColumn<QColor>("bottomRight");
    QTest::addColumn<QColor>("caption");
    QTest::newRow("normal") << false << false << kParent << kParent << kCaption;
    QTest::newRow("hovered") << true << false << kHighlight << kShadow << kCaption;
    QTest::newRow("pressed") << true << true << kShadow << kHighlight << kCaption;
}

void ImageButtonTest::drawingStates()
{
    QFETCH(bool, hover);
    QFETCH(bool, pressed);
    QFETCH(QColor, topLeft);
    QFETCH(QColor, bottomRight);
    QFETCH(QColor, caption);
    Fixture f;
    if (hover)
        f.move(f.inside());
    if (pressed)
        f.press(f.inside());
    QCOMPARE(f.button->isHovered(), hover);
    QCOMPARE(f.button->isPressed(), pressed);

    const QImage img = f.image();
    const int w = img.width(), h = img.height();
    QCOMPARE(img.pixelColor(w / 2, 0), topLeft);
    QCOMPARE(img.pixelColor(0, h / 2), topLeft);
    QCOMPARE(img.pixelColor(w / 2, h - 1), bottomRight);
    QCOMPARE(img.pixelColor(w - 1, h / 2), bottomRight);
    // Inside the border the parent shows through: no fill, no focus frame.
    QCOMPARE(img.pixelColor(2, 2), kParent);
    QVERIFY(countOf(img, kFace) == 0);
    QVERIFY(countOf(img, caption) > 0);
    QVERIFY(countOf(img, kIconRed) > 0);
}

void ImageButtonTest::pressedShiftsIconAndCaption()
{
    Fixture f;
    const QImage normal = f.image();
    const QRect icon = boundsOf(normal, kIconRed);
    const QRect caption = boundsOf(normal, kCaption);
    // Icon centred at the top, caption below it.
    QCOMPARE(icon, QRect((80 - 16) / 2, 3, 16, 16));
    QVERIFY(caption.top() >= icon.bottom());

    f.move(f.inside());
    f.press(f.inside());
    const QImage pressed = f.image();
    QCOMPARE(boundsOf(pressed, kIconRed), icon.translated(1, 1));
    QCOMPARE(boundsOf(pressed, kCaption), caption.translated(1, 1));

    f.release(f.inside());
    QVERIFY(!f.button->isPressed());
    QCOMPARE(boundsOf(f.image(), kIconRed), icon);
}

void ImageButtonTest::disabledLooksEmbossed()
{
    Fixture f;
    f.move(f.inside());
    f.button->setEnabled(false);
    QVERIFY(!f.button->isHovered());
    const QImage img = f.image();
    QCOMPARE(countOf(img, kIconRed), 0);
    QCOMPARE(countOf(img, kCaption), 0);
    // The caption in shadow, over the same caption in highlight one pixel down and right.
    int shadow = 0, highlight = 0;
    for (int y = 1; y < img.height(); ++y)
        for (int x = 1; x < img.width(); ++x) {
            if (img.pixelColor(x, y) == kShadow)
                ++shadow;
            if (img.pixelColor(x, y) == kHighlight) {
                ++highlight;
                QCOMPARE(img.pixelColor(x - 1, y - 1), kShadow);
            }
        }
    QVERIFY(shadow > 10);
    QVERIFY(highlight > 10);
    // No border either: the edges show the parent.
    QCOMPARE(img.pixelColor(img.width() / 2, 0), kParent);
}

void ImageButtonTest::parentBackgroundIsCapturedOnce()
{
    Fixture f;
    f.image();
    f.move(f.inside());
    f.image();
    f.move(f.outside());
    QCOMPARE(f.button->backgroundCaptures(), 1);
    QVERIFY(f.button->hasBackgroundCache());

    // A new look of the parent is captured again at the next drawing.
    const QColor other(90, 30, 10);
    QPalette hp = f.host.palette();
    hp.setColor(QPalette::Window, other);
    f.host.setPalette(hp);
    QVERIFY(!f.button->hasBackgroundCache());
    QCOMPARE(f.image().pixelColor(2, 2), other);
    QCOMPARE(f.button->backgroundCaptures(), 2);

    f.button->UseParentBackground(true);
    QVERIFY(!f.button->hasBackgroundCache());
    f.image();
    QCOMPARE(f.button->backgroundCaptures(), 3);
}

void ImageButtonTest::plainPushButtonKeepsThePlatformLook()
{
    QWidget host;
    host.resize(200, 100);
    const ControlTemplate change{1019, ControlKind::PushButton, "Change", 0, 0, 52, 13, StyleTabStop};
    std::unique_ptr<CImageButton> b(CImageButton::fromTemplate(change, &host));
    QPushButton reference("Change", &host);
    b->setGeometry(10, 10, 80, 24);
    reference.setGeometry(10, 50, 80, 24);
    QVERIFY(!b->isOwnerDrawn());
    QCOMPARE(b->text(), QString("Change"));
    QCOMPARE(b->grab().toImage(), reference.grab().toImage());

    const ControlTemplate add{1002, ControlKind::OwnerDrawButton, "Add", 0, 0, 51, 44, StyleTabStop};
    std::unique_ptr<CImageButton> owner(CImageButton::fromTemplate(add, &host));
    QVERIFY(owner->isOwnerDrawn());
}

void ImageButtonTest::setUpResults()
{
    Fixture f;
    QVERIFY(f.button->hasIcon());
    QCOMPARE(f.button->imageSize(), QSize(16, 16));

    struct Case { int id; int w; int h; QSize size; };
    const Case cases[] = {
        {160, 48, 48, QSize(48, 48)},  // program icons, as the main window asks for them
        {145, 0, 0, QSize(16, 16)},
        {150, 0, 0, QSize(48, 48)},
        {160, 24, 0, QSize(24, 48)},
    };
    for (const Case& c : cases) {
        QCOMPARE(f.button->SetIconResource(c.id, c.w, c.h), int(CImageButton::Done));
        QVERIFY(f.button->hasIcon());
        QCOMPARE(f.button->imageSize(), c.size);
    }

    // A resource that is not there leaves the button without an icon.
    QCOMPARE(f.button->SetIconResource(9999, 0, 0), int(CImageButton::Done));
    QVERIFY(!f.button->hasIcon());
    QCOMPARE(countOf(f.image(), kIconRed), 0);

    // Icon data that cannot be read.
    const QString junk = f.writeFile("junk.svg", "this is no icon");
    QCOMPARE(f.button->SetIconFile(f.writeFile("red2.svg", Fixture::redSquare), 0, 0), 0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot read file"));
    QCOMPARE(f.button->SetIconFile(junk, 0, 0), int(CImageButton::IconInfoFailed));
    QVERIFY(!f.button->hasIcon());

    QCOMPARE(f.button->iconPlacement(), int(CImageButton::IconAbove));
    QCOMPARE(f.button->SetIconPlacement(4, true), int(CImageButton::PlacementOutOfRange));
    QCOMPARE(f.button->SetIconPlacement(-1, true), int(CImageButton::PlacementOutOfRange));
    QCOMPARE(f.button->iconPlacement(), int(CImageButton::IconAbove));
    QCOMPARE(f.button->SetIconPlacement(3, false), int(CImageButton::Done));
    QCOMPARE(f.button->iconPlacement(), 3);
}

void ImageButtonTest::tooltip()
{
    Fixture f;
    QCOMPARE(f.button->toolTip(), QString("Start converting"));
    QVERIFY(f.button->isTipActive());
    f.button->SetTipText(QString(), false);  // a null text changes nothing
    QCOMPARE(f.button->tipText(), QString("Start converting"));
    QVERIFY(f.button->isTipActive());
    f.button->SetTipText("Settings...", false);
    QCOMPARE(f.button->tipText(), QString("Settings..."));
    QVERIFY(!f.button->isTipActive());
    QVERIFY(f.button->toolTip().isEmpty());
}

void ImageButtonTest::hoverRules()
{
    Fixture f;
    // Onto the button: one hover redraw; moving within it: none more.
    f.move(f.inside());
    QVERIFY(f.button->isHovered());
    f.move(f.inside() + QPoint(5, 5));
    f.move(f.inside() + QPoint(-5, 2));
    QCOMPARE(f.button->hoverRepaints(), 1);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.button, &leave);
    QVERIFY(!f.button->isHovered());
    QCOMPARE(f.button->hoverRepaints(), 2);

    // Pressed elsewhere and dragged in: no hover.
    f.move(f.inside(), Qt::LeftButton);
    QVERIFY(!f.button->isHovered());
    QCOMPARE(f.image().pixelColor(40, 0), kParent);

    // Hovered, then pressed and dragged out of it (the button keeps the pointer).
    f.move(f.inside());
    f.press(f.inside());
    f.move(f.outside(), Qt::LeftButton);
    QVERIFY(!f.button->isHovered());
    f.release(f.outside());

    // Losing the focus ends the hover.
    f.button->setFocus();
    f.move(f.inside());
    QVERIFY(f.button->isHovered());
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(f.button, &out);
    QVERIFY(!f.button->isHovered());
}

void ImageButtonTest::moveNotices_data()
{
    QTest::addColumn<bool>("hoveredFirst");
    QTest::addColumn<bool>("leftDown");
    QTest::addColumn<bool>("over");
    QTest::addColumn<int>("posted");
    QTest::newRow("move over") << false << false << true << 1;
    QTest::newRow("move over hovered") << true << false << true << 1;
    QTest::newRow("left down, not hovered") << false << true << true << 0;
    QTest::newRow("left down, hovered") << true << true << true << 1;
    QTest::newRow("left down, dragged out") << true << true << false << 1;
}

void ImageButtonTest::moveNotices()
{
    QFETCH(bool, hoveredFirst);
    QFETCH(bool, leftDown);
    QFETCH(bool, over);
    Fixture f;
    MoveEventCounter counter;
    f.host.installEventFilter(&counter);
    if (hoveredFirst) {
        f.move(f.inside());
        QCoreApplication::sendPostedEvents(&f.host);
        counter.count = 0;
    }
    const int before = f.button->moveNoticesPosted();
    f.move(over ? f.inside() : f.outside(), leftDown ? Qt::LeftButton : Qt::NoButton);
    QCoreApplication::sendPostedEvents(&f.host);
    QTEST(counter.count, "posted");
    QTEST(f.button->moveNoticesPosted() - before, "posted");
    if (counter.count)
        QCOMPARE(counter.last, f.button);
}

void ImageButtonTest::doubleClickActsAsTwoClicks()
{
    Fixture f;
    QSignalSpy clicks(f.button, &QAbstractButton::clicked);
    const QPoint at = f.inside();
    f.press(at);
    f.release(at);
    f.mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(f.button->isPressed());
    f.release(at);
    QCOMPARE(clicks.count(), 2);
}

void ImageButtonTest::disablingMovesFocus()
{
    QWidget host;
    auto* first = new CImageButton("Add", &host);
    auto* second = new CImageButton("Convert", &host);
    auto* skipped = new QLineEdit(&host);
    auto* edit = new QLineEdit(&host);
    for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(second),
                       static_cast<QWidget*>(skipped), static_cast<QWidget*>(edit)})
        w->setFocusPolicy(Qt::StrongFocus);
    skipped->setFocusPolicy(Qt::ClickFocus);  // not a tab stop

    // The focus goes to the next tab stop even when the button did not hold it.
    edit->setFocus();
    QCOMPARE(host.focusWidget(), edit);
    first->setEnabled(false);
    QCOMPARE(host.focusWidget(), second);

    // A control that takes no tab focus is passed over.
    first->setEnabled(true);
    second->setFocus();
    second->setEnabled(false);
    QCOMPARE(host.focusWidget(), edit);

    // With no other tab stop the parent takes the focus.
    QWidget lonely;
    auto* only = new CImageButton("Help", &lonely);
    only->setFocusPolicy(Qt::StrongFocus);
    only->setFocus();
    only->setEnabled(false);
    QCOMPARE(lonely.focusWidget(), &lonely);
}

// The skin styles push buttons; an image button keeps drawing itself over
// its parent's pixels, with its border only while hovered.
void ImageButtonTest::skinKeepsTheFlatLook()
{
    qApp->setStyleSheet(QString::fromUtf8(namedResource("SKINMAGIC", "ZORVAN_SKIN")));
    Fixture f;
    QPushButton styled("Change", &f.host);
    styled.setGeometry(110, 20, 80, 70);
    const QColor styledFace = styled.grab().toImage().pixelColor(40, 10);
    const QImage normal = f.image();
    f.move(f.inside());
    const QImage hovered = f.image();
    qApp->setStyleSheet(QString());

    QVERIFY(styledFace != kParent);
    QCOMPARE(countOf(normal, styledFace), 0);
    QCOMPARE(normal.pixelColor(normal.width() / 2, 0), kParent);
    QCOMPARE(normal.pixelColor(2, 2), kParent);
    QVERIFY(countOf(normal, kIconRed) > 0);
    QCOMPARE(hovered.pixelColor(hovered.width() / 2, 0), kHighlight);
    QCOMPARE(hovered.pixelColor(hovered.width() / 2, hovered.height() - 1), kShadow);
}

QTEST_MAIN(ImageButtonTest)
#include "tst_imagebutton.moc"
