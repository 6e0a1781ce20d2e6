#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/CConverterApp.h"
#include "controls/CTipOfTheDayDlg.h"
#include "platform/AppProfile.h"
#include "platform/ProfileFile.h"
#include "platform/Skin.h"

using namespace quelvo;

namespace {

QString skinCalls()
{
    QStringList calls;
    for (int n : skinCallLog())
        calls << QString::number(n);
    return calls.join(',');
}

// Stands in for the main window: notes its construction and destruction.
class RecordingMainWindow : public QDialog {
public:
    explicit RecordingMainWindow(QStringList& log) : log_(log)
    {
        log_ << "main constructed, skin " + skinCalls();
    }
    ~RecordingMainWindow() override { log_ << "main destroyed, skin " + skinCalls(); }

private:
    QStringList& log_;
};

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void startUpOrder_data();
    void startUpOrder();
};

void TestStartup::startUpOrder_data()
{
    QTest::addColumn<QString>("startUp");  // "" leaves the value absent
    QTest::addColumn<QStringList>("events");
    const QStringList shown{
        "tip constructed, skin 1,4,8",
        "tip shown",
        "tip destroyed",
        "main constructed, skin 1,4,8",
        "main shown as the application's main window",
        "main destroyed, skin 1,4,8",
    };
    QStringList notShown = shown;
    notShown.removeAll("tip shown");
    QTest::newRow("first run shows the tip") << "" << shown;
    QTest::newRow("StartUp 0 shows the tip") << "0" << shown;
    QTest::newRow("StartUp 1 does not") << "1" << notShown;
}

void TestStartup::startUpOrder()
{
    QFETCH(QString, startUp);
    QFETCH(QStringList, events);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
    if (!startUp.isEmpty())
        writeAppProfileString("Tip", "StartUp", startUp.toStdString());
    const std::string tips = (dir.path() + "/tips.txt").toStdString();
    {
        QFile f(QString::fromStdString(tips));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("First tip\nSecond tip\n");
    }
    clearSkinCallLog();

    QStringList log;
    // Ends each modal run as soon as it shows, noting whose it was.
    QTimer closer;
    closer.setInterval(5);
    connect(&closer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (qobject_cast<CTipOfTheDayDlg*>(dialog))
            log << "tip shown";
        else if (applicationMainWindow() == dialog)
            log << "main shown as the application's main window";
        else
            log << "main shown";
        QVERIFY(!qApp->styleSheet().isEmpty());  // the skin reaches every dialog
        dialog->reject();
    });
    closer.start();

    CConverterApp app({
        [&] {
            log << "tip constructed, skin " + skinCalls();
            auto tip = std::make_unique<CTipOfTheDayDlg>(tips, nullptr);
            connect(tip.get(), &QObject::destroyed, [&] { log << "tip destroyed"; });
            return tip;
        },
        [&] { return std::make_unique<RecordingMainWindow>(log); },
    });
    QCOMPARE(app.InitInstance(), false);
    QCOMPARE(log, events);
    QCOMPARE(applicationMainWindow(), nullptr);
    QCOMPARE(skinCalls(), QString("1,4,8"));

    QCOMPARE(app.ExitInstance(), 0);
    QCOMPARE(skinCalls(), QString("1,4,8,2"));
    QVERIFY(qApp->styleSheet().isEmpty());
    // Constructing the tip read one tip, shown or not.
    QCOMPARE(readProfileInt(appProfilePath(), "Tip", "FilePos", -1), 10);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
