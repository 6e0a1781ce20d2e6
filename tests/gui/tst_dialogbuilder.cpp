// Dialog templates: dialog units to pixels, controls by id, tab order.

#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "platform/DialogTemplate.h"

using namespace quelvo;

class TestDialogBuilder : public QObject {
    Q_OBJECT
private slots:
    void dialogUnitsScaleByTheFontBase_data()
    {
        QTest::addColumn<int>("bx");
        QTest::addColumn<int>("by");
        QTest::addColumn<QRect>("du");
        QTest::addColumn<QRect>("px");
        QTest::newRow("6x13 base") << 6 << 13 << QRect(15, 3, 51, 44) << QRect(23, 5, 77, 72);
        QTest::newRow("7x15 base") << 7 << 15 << QRect(429, 285, 4, 8) << QRect(751, 534, 7, 15);
        QTest::newRow("rounds half up") << 6 << 13 << QRect(1, 1, 2, 4) << QRect(2, 2, 3, 7);
        QTest::newRow("zero") << 6 << 13 << QRect(0, 0, 0, 0) << QRect(0, 0, 0, 0);
    }
    void dialogUnitsScaleByTheFontBase()
    {
        QFETCH(int, bx);
        QFETCH(int, by);
        QFETCH(QRect, du);
        QFETCH(QRect, px);
        const QRect r = dialogUnitsToPixels({bx, by}, du.x(), du.y(), du.width(), du.height());
        QCOMPARE(r, px);
    }

    void buildsControlsFindableByIdInTabOrder()
    {
        static const ControlTemplate controls[] = {
            {10, ControlKind::Edit, nullptr, 5, 5, 100, 12, StyleTabStop},
            {kNoId, ControlKind::Label, "&Name", 5, 20, 40, 8, StyleNone},
            {11, ControlKind::CheckBox, "&Show", 5, 30, 80, 10, StyleTabStop},
            {12, ControlKind::DropList, nullptr, 5, 45, 80, 90, StyleTabStop},
            {13, ControlKind::PushButton, "Hidden", 5, 60, 40, 14, StyleTabStop | StyleHidden},
            {kIdOk, ControlKind::DefPushButton, "OK", 50, 60, 40, 14, StyleTabStop | StyleDisabled},
        };
        static const DialogTemplate t = {500, "Caption", 200, 80, "MS Sans Serif", 8, DialogSystemMenu,
                                         controls};
        QDialog d;
        buildDialog(&d, t);
        QCOMPARE(d.windowTitle(), QStringLiteral("Caption"));
        const DialogBase base = dialogBase(d.font());
        QVERIFY(base.x > 0 && base.y > 0);
        QCOMPARE(d.size(), dialogUnitsToPixels(base, 0, 0, 200, 80).size());

        auto* edit = control<QLineEdit>(&d, 10);
        auto* check = control<QCheckBox>(&d, 11);
        auto* combo = control<QComboBox>(&d, 12);
        auto* hidden = control<QPushButton>(&d, 13);
        auto* ok = control<QPushButton>(&d, kIdOk);
        QVERIFY(edit && check && combo && hidden && ok);
        QCOMPARE(controlById(&d, 99), nullptr);
        QCOMPARE(control<QComboBox>(&d, 10), nullptr);  // wrong kind
        QCOMPARE(controlId(check), 11);
        QCOMPARE(edit->geometry(), dialogUnitsToPixels(base, 5, 5, 100, 12));
        // A drop-down list keeps its font's height, not its open list's.
        QVERIFY(combo->height() < dialogUnitsToPixels(base, 0, 0, 0, 90).height());
        QVERIFY(ok->isDefault());
        QVERIFY(!ok->isEnabled());
        QVERIFY(hidden->isHidden());
        QCOMPARE(check->text(), QStringLiteral("&Show"));
        auto* label = d.findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Name"));

        // Tab order is the template order.
        QCOMPARE(edit->nextInFocusChain(), static_cast<QWidget*>(label));
        QCOMPARE(check->nextInFocusChain(), static_cast<QWidget*>(combo));
    }

    void openListShowsLongItemsInFull()
    {
        static const ControlTemplate controls[] = {
            {20, ControlKind::DropList, nullptr, 5, 5, 40, 60, StyleTabStop},
        };
        static const DialogTemplate t = {501, "", 100, 40, "MS Sans Serif", 8, DialogNone, controls};
        QDialog d;
        buildDialog(&d, t);
        d.show();
        auto* combo = control<QComboBox>(&d, 20);
        const QString item = QStringLiteral("2.21:1 (CinemaScope movie)");
        combo->addItem(item);
        QVERIFY(combo->width() < QFontMetrics(combo->font()).horizontalAdvance(item));
        combo->showPopup();
        QVERIFY(combo->view()->width() > QFontMetrics(combo->font()).horizontalAdvance(item));
        combo->hidePopup();
    }
};

QTEST_MAIN(TestDialogBuilder)
#include "tst_dialogbuilder.moc"
