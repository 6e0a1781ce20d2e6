#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "controls/CTipOfTheDayDlg.h"
#include "platform/AppProfile.h"
#include "platform/ProfileFile.h"
#include "platform/Resources.h"
#include "platform/Skin.h"
#include "ScriptedUi.h"

using namespace quelvo;

namespace {
enum class Ending { Close, Escape, CloseBox };
}
Q_DECLARE_METATYPE(Ending)

class TestTipOfTheDay : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void endingStoresStartUp_data();
    void endingStoresStartUp();
    void nextTipWrapsAndPaints();
    void missingFileDisablesNextTip();
    void fileWithoutTipsComplainsOnce();
    void templateControls();

private:
    void writeTips(const QByteArray& text);
    QString stored(const char* key) const
    {
        return QString::fromStdString(readProfileString(appProfilePath(), "Tip", key, "<none>"));
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::string tips_;
};

void TestTipOfTheDay::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    qputenv("XDG_CONFIG_HOME", (dir_->path() + "/config").toUtf8());
    tips_ = (dir_->path() + "/tips.txt").toStdString();
}

void TestTipOfTheDay::cleanup()
{
    dir_.reset();
}

void TestTipOfTheDay::writeTips(const QByteArray& text)
{
    QFile f(QString::fromStdString(tips_));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

void TestTipOfTheDay::endingStoresStartUp_data()
{
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("startUp");
    QTest::newRow("Close, box clear") << Ending::Close << false << "1";
    QTest::newRow("Close, box ticked") << Ending::Close << true << "0";
    QTest::newRow("Esc, box clear") << Ending::Escape << false << "<none>";
    QTest::newRow("close box, box clear") << Ending::CloseBox << false << "<none>";
}

void TestTipOfTheDay::endingStoresStartUp()
{
    QFETCH(Ending, ending);
    QFETCH(bool, ticked);
    QFETCH(QString, startUp);
    writeTips("First\nSecond\n");
    {
        CTipOfTheDayDlg dlg(tips_, nullptr);
        // First run: no profile values, so the box starts ticked.
        QVERIFY(dlg.showAtStartup());
        auto* box = qobject_cast<QCheckBox*>(controlById(&dlg, kIdShowAtStartup));
        QVERIFY(box->isChecked());
        QCOMPARE(dlg.tipText(), QString("First\n"));
        box->setChecked(ticked);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        switch (ending) {
        case Ending::Close:
            QTest::mouseClick(qobject_cast<QPushButton*>(controlById(&dlg, kIdOk)), Qt::LeftButton);
            break;
        case Ending::Escape: QTest::keyClick(&dlg, Qt::Key_Escape); break;
        case Ending::CloseBox: dlg.close(); break;
        }
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), ending == Ending::Close ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(stored("FilePos"), QString("<none>"));  // only at destruction
    }
    QCOMPARE(stored("StartUp"), startUp);
    QCOMPARE(stored("FilePos"), QString("6"));
    QVERIFY(stored("TimeStamp") != "<none>");
}

void TestTipOfTheDay::nextTipWrapsAndPaints()
{
    writeTips("; comments are never shown\nOne tip\n  continued\nAnother tip\n");
    writeAppProfileInt("Tip", "StartUp", 1);
    CTipOfTheDayDlg dlg(tips_, nullptr);
    QVERIFY(!dlg.showAtStartup());
    QVERIFY(!qobject_cast<QCheckBox*>(controlById(&dlg, kIdShowAtStartup))->isChecked());
    auto* next = qobject_cast<QPushButton*>(controlById(&dlg, kIdNextTip));
    QVERIFY(next->isEnabled());
    QCOMPARE(dlg.tipText(), QString("One tip\n"));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(dlg.tipText(), QString("Another tip\n"));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(dlg.tipText(), QString("One tip\n"));

    // The white panel with the picture at its top left, ending 50 pixels above
    // the bottom of control 1045.
    const QImage shot = dlg.grab().toImage();
    const QRect panel = controlById(&dlg, kIdTipPanel)->geometry();
    const QImage picture = bitmapResource(kTipBitmapId).toImage();
    QCOMPARE(picture.size(), QSize(40, 53));
    QCOMPARE(shot.pixelColor(panel.right() - 2, panel.bottom() - 52), QColor(Qt::white));
    QVERIFY(shot.pixelColor(panel.right() - 2, panel.bottom() - 45) != QColor(Qt::white));
    for (const QPoint p : {QPoint(20, 17), QPoint(20, 40), QPoint(5, 5)})
        QCOMPARE(shot.pixelColor(panel.topLeft() + p), picture.pixelColor(p));
    if (const QByteArray docs = qgetenv("QUELVO_DOCS_DIR"); !docs.isEmpty()) {
        writeAppProfileInt("Tip", "StartUp", 0);
        skinInit();
        skinLoadResource("ZORVAN_SKIN", "SKINMAGIC");
        skinApplyToDialogs("Dialog");
        CTipOfTheDayDlg shipped(QUELVO_SOURCE_DIR "/resources/tips.txt", nullptr);
        shipped.grab().save(QString::fromLocal8Bit(docs) + "/tip-of-the-day.png");
        skinRelease();
    }
}

void TestTipOfTheDay::missingFileDisablesNextTip()
{
    {
        CTipOfTheDayDlg dlg(tips_, nullptr);
        QCOMPARE(dlg.tipText(), QString("Tips file does not exist in the prescribed directory"));
        QVERIFY(!controlById(&dlg, kIdNextTip)->isEnabled());
    }
    QCOMPARE(stored("FilePos"), QString("<none>"));
    QCOMPARE(stored("TimeStamp"), QString("<none>"));
}

void TestTipOfTheDay::fileWithoutTipsComplainsOnce()
{
    test::ScriptedUi ui;
    writeTips("; nothing but comments\n\n   and indented lines\n");
    CTipOfTheDayDlg dlg(tips_, nullptr);
    QCOMPARE(ui.messageTexts(), QStringList{"Trouble reading the tips file"});
    QCOMPARE(ui.messages[0].buttons, MessageButtons::Ok);
    QCOMPARE(dlg.tipText(), QString());
    QVERIFY(controlById(&dlg, kIdNextTip)->isEnabled());
}

void TestTipOfTheDay::templateControls()
{
    writeTips("Tip\n");
    CTipOfTheDayDlg dlg(tips_, nullptr);
    QCOMPARE(dlg.windowTitle(), QString("Tip of the Day"));
    QVERIFY(!controlById(&dlg, kIdTipText)->isVisibleTo(&dlg));
    QCOMPARE(qobject_cast<QCheckBox*>(controlById(&dlg, kIdShowAtStartup))->text(),
             QString("&Show Tips on StartUp"));
    QCOMPARE(qobject_cast<QPushButton*>(controlById(&dlg, kIdNextTip))->text(), QString("&Next Tip"));
    auto* close = qobject_cast<QPushButton*>(controlById(&dlg, kIdOk));
    QCOMPARE(close->text(), QString("&Close"));
    QVERIFY(close->isDefault());
}

QTEST_MAIN(TestTipOfTheDay)
#include "tst_tipoftheday.moc"
