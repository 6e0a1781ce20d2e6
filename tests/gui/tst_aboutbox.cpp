#include <QImage>
#include <QPushButton>
#include <QtTest>

#include "app/ProductInfo.h"
#include "controls/CAboutDlg.h"
#include "controls/CLinkLabel.h"
#include "controls/CStyledLabel.h"
#include "platform/Skin.h"

using namespace quelvo;

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void title_data();
    void title();
    void titleAndLinks();
    void linksShrinkAroundTheirTemplateCentres();
    void styledTitleKeepsItsLook();
    void everyOpeningStartsUnvisited();
};

void TestAboutBox::title_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QByteArray>("title");
    QTest::newRow("1.00") << QByteArray("1.00") << QByteArray("Quelvo 1.00");
    QTest::newRow("empty") << QByteArray() << QByteArray("Quelvo ");
    QTest::newRow("exactly 63 bytes") << QByteArray(56, '9') << "Quelvo " + QByteArray(56, '9');
    QTest::newRow("cut at 63 bytes") << QByteArray(300, 'x') << "Quelvo " + QByteArray(56, 'x');
    // "é" is two bytes; one would end at byte 64, so it is left out whole.
    QTest::newRow("no half character") << QByteArray(55, 'v') + "\xc3\xa9" + "tail"
                                       << "Quelvo " + QByteArray(55, 'v');
    QTest::newRow("three-byte character that fits")
        << QByteArray(53, 'v') + "\xe2\x82\xac" + "tail" << "Quelvo " + QByteArray(53, 'v') + "\xe2\x82\xac";
}

void TestAboutBox::title()
{
    QFETCH(QByteArray, version);
    QFETCH(QByteArray, title);
    const std::string made = aboutTitle(version.toStdString());
    QCOMPARE(QByteArray::fromStdString(made), title);
    QVERIFY(made.size() <= 63);
}

void TestAboutBox::titleAndLinks()
{
    clearSkinCallLog();
    CAboutDlg about("1.00");
    QCOMPARE(about.windowTitle(), QString("About Quelvo"));
    QCOMPARE(about.titleLabel()->text(), QString("Quelvo 1.00"));
    QCOMPARE(controlId(about.titleLabel()), kIdAboutTitle);

    struct Link { CLinkLabel* label; int id; const char* text; const char* target; };
    const Link links[] = {
        {about.homePageLink(), kIdHomePageLink, "Home page", kHomePageAddress},
        {about.supportLink(), kIdSupportLink, "Technical support", kSupportAddress},
    };
    for (const Link& l : links) {
        QCOMPARE(controlId(l.label), l.id);
        QCOMPARE(l.label->text(), QString(l.text));
        QCOMPARE(l.label->linkTarget(), QString(l.target));
        QCOMPARE(l.label->toolTip(), QString(l.target));
        QCOMPARE(l.label->underlineMode(), 1);
        QVERIFY(l.label->font().underline());
        QCOMPARE(l.label->textColour(), QColor(0, 0, 238));
    }
    // Each link label is handed to the skin once, home page first.
    QCOMPARE(skinCallLog(), (std::vector<int>{7, 7}));
    QCOMPARE(about.homePageLink()->property("skinned").toBool(), true);

    auto* ok = qobject_cast<QPushButton*>(controlById(&about, kIdOk));
    QVERIFY(ok && ok->isDefault());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

void TestAboutBox::linksShrinkAroundTheirTemplateCentres()
{
    CAboutDlg about("1.00");
    const DialogBase base = dialogBase(about.font());
    for (const ControlTemplate& c : aboutTemplate().controls) {
        if (c.id != kIdHomePageLink && c.id != kIdSupportLink)
            continue;
        const QRect templ = dialogUnitsToPixels(base, c.x, c.y, c.width, c.height);
        const QWidget* label = controlById(&about, c.id);
        const QFontMetrics fm(label->font());
        QVERIFY2(qAbs(label->width() - fm.horizontalAdvance(QString::fromUtf8(c.text))) <= 1,
                 c.text);
        QVERIFY2(qAbs(label->geometry().center().x() - templ.center().x()) <= 1, c.text);
        QCOMPARE(label->y(), templ.y());
        QCOMPARE(label->height(), fm.height());
    }
}

void TestAboutBox::styledTitleKeepsItsLook()
{
    CAboutDlg about("2.5 beta");
    CStyledLabel* title = about.titleLabel();
    QCOMPARE(title->labelFont().pixelSize(), 14);
    QCOMPARE(title->labelFont().weight(), QFont::Black);
    QVERIFY(title->labelFont().pixelSize() != about.font().pixelSize());

    // Drawn on the button-face colour with its own font: the ink of the text
    // spans the heavy font's width, not the dialog font's.
    auto inkWidth = [&]() -> int {
        const QImage image = title->grab().toImage();
        int left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) != title->backgroundColour()) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        // The corner shows the background, not the dialog's colour.
        if (image.pixelColor(image.width() - 1, image.height() - 1) != title->backgroundColour())
            return -1;
        return right - left + 1;
    };
    const int heavy = QFontMetrics(title->labelFont()).horizontalAdvance("Quelvo 2.5 beta");
    QVERIFY(qAbs(inkWidth() - heavy) <= 3);
    title->setFont(about.font());
    title->setText("Quelvo 2.5 beta");
    QVERIFY(qAbs(inkWidth() - heavy) <= 3);
    QCOMPARE(title->backgroundColour(), QApplication::palette().color(QPalette::Window));

    if (const QByteArray docs = qgetenv("QUELVO_DOCS_DIR"); !docs.isEmpty()) {
        skinInit();
        skinLoadResource("ZORVAN_SKIN", "SKINMAGIC");
        skinApplyToDialogs("Dialog");
        CAboutDlg shot("1.00");
        shot.grab().save(QString::fromLocal8Bit(docs) + "/about-box.png");
        skinRelease();
    }
}

void TestAboutBox::everyOpeningStartsUnvisited()
{
    {
        CAboutDlg first("1.00");
        first.homePageLink()->MarkVisited(true);
        QCOMPARE(first.homePageLink()->textColour(), QColor(85, 26, 139));
    }
    CAboutDlg second("1.00");
    QVERIFY(!second.homePageLink()->isVisited());
    QCOMPARE(second.homePageLink()->textColour(), QColor(0, 0, 238));
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
