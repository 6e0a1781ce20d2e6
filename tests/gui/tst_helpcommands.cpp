#include <QCursor>
#include <QDialog>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include "app/AppInfo.h"
#include "app/ProductInfo.h"
#include "controls/CAboutDlg.h"
#include "controls/CStyledLabel.h"
#include "platform/AppProfile.h"
#include "platform/HelpViewer.h"
#include "platform/ShellOpen.h"
#include "ui/HelpCommands.h"
#include "ScriptedUi.h"

using namespace quelvo;

namespace {

class FakeShell : public ShellServices {
public:
    FakeShell() { previous_ = setShellServices(this); }
    ~FakeShell() override { setShellServices(previous_); }
    int openResult = 42;
    QStringList opened;
    int shellOpen(const QString& target, int showState) override
    {
        opened << QStringLiteral("%1 %2").arg(target).arg(showState);
        return openResult;
    }
    std::optional<QString> htmlHandlerCommand() override { return std::nullopt; }
    int startCommand(const QString&, int) override { return 0; }

private:
    ShellServices* previous_ = nullptr;
};

// Ends every modal dialog that opens, after noting its class and, for the
// About box, its title.
class ModalCloser {
public:
    ModalCloser()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen << QString::fromLatin1(dialog->metaObject()->className());
            if (auto* about = qobject_cast<CAboutDlg*>(dialog))
                aboutTitle = about->titleLabel()->text();
            dialog->reject();
        });
        timer_.start();
    }
    QStringList seen;
    QString aboutTitle;

private:
    QTimer timer_;
};

void closeHelpWindow()
{
    if (HelpViewer* w = helpWindow()) {
        w->close();
        QTRY_VERIFY(!helpWindow());
    }
}

const QString kHelpFile = QStringLiteral(QUELVO_BIN_DIR "/help.chm");

}  // namespace

class TestHelpCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void helpMenuAtThePointer_data();
    void helpMenuAtThePointer();
    void commandsReachTheirOperations_data();
    void commandsReachTheirOperations();
    void aboutSystemCommand_data();
    void aboutSystemCommand();
    void helpPath_data();
    void helpPath();
    void everyHelpPageIsInTheHelpFile();
    void viewerFollowsLinks();
    void viewerExplainsWhatIsMissing_data();
    void viewerExplainsWhatIsMissing();

private:
    QTemporaryDir config_;
};

void TestHelpCommands::initTestCase()
{
    // The program directory is the build's bin/, with help.chm and version.ini.
    setInvocationPath(QUELVO_BIN_DIR "/Quelvo");
    QVERIFY2(QFile::exists(kHelpFile), "help.chm is built into bin/ with the program");
    qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
}

void TestHelpCommands::helpMenuAtThePointer_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<int>("answer");
    QTest::newRow("at the pointer") << QPoint(300, 200) << kCmdAbout;
    QTest::newRow("pointer reads -1,-1") << QPoint(-1, -1) << kCmdTipOfTheDay;
    QTest::newRow("dismissed") << QPoint(40, 50) << 0;
}

void TestHelpCommands::helpMenuAtThePointer()
{
    QFETCH(QPoint, pointer);
    QFETCH(int, answer);
    test::ScriptedUi ui;
    ui.menuAnswers = {answer};
    QDialog main;
    main.move(100, 80);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QCursor::setPos(pointer);

    QCOMPARE(showHelpMenu(&main), answer);
    QCOMPARE(ui.popups.size(), size_t(1));
    const PopupRequest& r = ui.popups[0];
    QCOMPARE(r.menu->id, 136);
    QCOMPARE(QString(r.menu->title), QString("help"));
    QCOMPARE(ui.popupItems[0], (std::vector<int>{32771, 0, 32772, 32773, 32774}));
    QStringList texts;
    for (const MenuItem& item : r.menu->items)
        texts << QString::fromUtf8(item.text ? item.text : "");
    QCOMPARE(texts, (QStringList{"Content", "", "About", "Home page", "Tip of the Day..."}));
    QCOMPARE(r.owner, &main);
    QVERIFY(!r.skinned);
    QCOMPARE(r.screenPos, pointer == QPoint(-1, -1) ? main.mapToGlobal(QPoint(5, 5)) : pointer);
}

void TestHelpCommands::commandsReachTheirOperations_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QStringList>("modal");
    QTest::addColumn<QString>("helpTopic");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("Content") << kCmdHelpContents << QStringList{} << "/overview/overview.htm"
                             << QStringList{};
    QTest::newRow("About") << kCmdAbout << QStringList{"quelvo::CAboutDlg"} << "" << QStringList{};
    QTest::newRow("Home page") << kCmdHomePage << QStringList{} << ""
                               << QStringList{QString(kHomePageAddress) + " 5"};
    QTest::newRow("Tip of the Day, off at start-up")
        << kCmdTipOfTheDay << QStringList{"quelvo::CTipOfTheDayDlg"} << "" << QStringList{};
    QTest::newRow("not a help command") << 1003 << QStringList{} << "" << QStringList{};
}

void TestHelpCommands::commandsReachTheirOperations()
{
    QFETCH(int, command);
    QFETCH(QStringList, modal);
    QFETCH(QString, helpTopic);
    QFETCH(QStringList, opened);
    closeHelpWindow();
    writeAppProfileInt("Tip", "StartUp", 1);
    FakeShell shell;
    shell.openResult = 31;  // a failed home page says nothing
    test::ScriptedUi ui;
    ModalCloser closer;
    QDialog main;

    const bool known = command >= kCmdHelpContents && command <= kCmdTipOfTheDay;
    QCOMPARE(runHelpCommand(&main, command), known);
    QCOMPARE(closer.seen, modal);
    QCOMPARE(shell.opened, opened);
    QVERIFY(ui.messages.empty());
    QCOMPARE(helpWindow() != nullptr, !helpTopic.isEmpty());
    if (!helpTopic.isEmpty()) {
        QVERIFY(helpWindow()->isVisible());
        QCOMPARE(helpWindow()->currentTopic(), helpTopic);
        QVERIFY(helpWindow()->pageText().contains("Quelvo overview"));
    }
    if (command == kCmdAbout)
        QCOMPARE(closer.aboutTitle, QString("Quelvo 1.00"));  // version.ini beside the program
}

void TestHelpCommands::aboutSystemCommand_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("about");
    QTest::newRow("16") << 16 << true;
    QTest::newRow("16 with the system's low bits") << 0x1F << true;
    QTest::newRow("32") << 32 << false;
    QTest::newRow("close (0xF060)") << 0xF060 << false;
    QTest::newRow("0") << 0 << false;
}

void TestHelpCommands::aboutSystemCommand()
{
    QFETCH(int, command);
    QFETCH(bool, about);
    QCOMPARE(isAboutSystemCommand(command), about);
    QCOMPARE(QString(kAboutMenuText), QString("&About Quelvo..."));
}

void TestHelpCommands::helpPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("topic");
    QTest::newRow("the contents") << "/opt/q/help.chm::/overview/overview.htm" << "/opt/q/help.chm"
                                  << "/overview/overview.htm";
    QTest::newRow("relative program directory") << "help.chm::/a.htm" << "help.chm" << "/a.htm";
    QTest::newRow("topic without its slash") << "h.chm::a/b.htm" << "h.chm" << "/a/b.htm";
    QTest::newRow("no topic") << "/opt/q/help.chm" << "/opt/q/help.chm" << "";
    QTest::newRow("empty topic") << "help.chm::" << "help.chm" << "";
    QTest::newRow("first separator counts") << "a::/b::c.htm" << "a" << "/b::c.htm";
}

void TestHelpCommands::helpPath()
{
    QFETCH(QString, path);
    QFETCH(QString, file);
    QFETCH(QString, topic);
    const HelpPath parsed = parseHelpPath(path);
    QCOMPARE(parsed.file, file);
    QCOMPARE(parsed.topic, topic);
}

void TestHelpCommands::everyHelpPageIsInTheHelpFile()
{
    HelpViewer viewer;
    const QStringList pages{"/overview/overview.htm", "/adding/adding-files.htm",
                            "/settings/formats-and-settings.htm", "/converting/converting.htm",
                            "/troubleshooting/troubleshooting.htm"};
    for (const QString& page : pages) {
        viewer.displayTopic(kHelpFile + "::" + page);
        QVERIFY2(!viewer.showsMessage(), qPrintable(page));
        QCOMPARE(viewer.currentTopic(), page);
        QVERIFY2(viewer.pageText().size() > 400, qPrintable(page));
    }
}

void TestHelpCommands::viewerFollowsLinks()
{
    FakeShell shell;
    HelpViewer viewer;
    viewer.displayTopic(kHelpFile + "::/overview/overview.htm");
    auto* browser = viewer.findChild<QTextBrowser*>();
    emit browser->anchorClicked(QUrl("../adding/adding-files.htm"));
    QCOMPARE(viewer.currentTopic(), QString("/adding/adding-files.htm"));
    QVERIFY(viewer.pageText().contains("Import video files"));
    QVERIFY(shell.opened.isEmpty());
    // Web addresses go to the desktop, the page stays.
    emit browser->anchorClicked(QUrl("https://quelvo.example.org/faq"));
    QCOMPARE(shell.opened, QStringList{"https://quelvo.example.org/faq 5"});
    QCOMPARE(viewer.currentTopic(), QString("/adding/adding-files.htm"));
}

void TestHelpCommands::viewerExplainsWhatIsMissing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << "/no/such/dir/help.chm::/overview/overview.htm"
                                  << "The help file \"/no/such/dir/help.chm\" could not be opened.";
    QTest::newRow("not a help file") << QUELVO_BIN_DIR "/version.ini::/overview/overview.htm"
                                     << "could not be opened";
    QTest::newRow("missing topic") << kHelpFile + "::/nowhere.htm"
                                   << "The topic \"/nowhere.htm\" is not in the help file.";
}

void TestHelpCommands::viewerExplainsWhatIsMissing()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    HelpViewer viewer;
    viewer.displayTopic(path);
    QVERIFY(viewer.showsMessage());
    QCOMPARE(viewer.currentTopic(), QString());
    QVERIFY2(viewer.pageText().contains(message), qPrintable(viewer.pageText()));
}

QTEST_MAIN(TestHelpCommands)
#include "tst_helpcommands.moc"
