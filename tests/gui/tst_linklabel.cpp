#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

#include "controls/CLinkLabel.h"
#include "platform/ShellOpen.h"
#include "ScriptedUi.h"

using namespace quelvo;

namespace {

// Answers OpenLink's questions from fixed values and records what it was asked.
class FakeShell : public ShellServices {
public:
    FakeShell() { previous_ = setShellServices(this); }
    ~FakeShell() override { setShellServices(previous_); }

    int openResult = 42;
    std::optional<QString> handler;
    int startResult = 33;
    QStringList opened;
    QStringList started;

    int shellOpen(const QString& target, int) override
    {
        opened << target;
        return openResult;
    }
    std::optional<QString> htmlHandlerCommand() override { return handler; }
    int startCommand(const QString& commandLine, int) override
    {
        started << commandLine;
        return startResult;
    }

private:
    ShellServices* previous_ = nullptr;
};

bool hasPixel(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() == colour.rgb())
                return true;
    return false;
}

void writeFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

}  // namespace

class TestLinkLabel : public QObject {
    Q_OBJECT
private slots:
    void handlerCommand_data();
    void handlerCommand();
    void errorTexts_data();
    void errorTexts();
    void openLinkFallback_data();
    void openLinkFallback();
    void handlerFromDesktopFiles();
    void fitToText_data();
    void fitToText();
    void setUpKeepsTextAndShowsTarget();
    void coloursByState();
    void failedClickReportsAndStaysUnvisited();
};

void TestLinkLabel::handlerCommand_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QString>("command");
    const QString t = "https://a.example/x";
    // The blank before a bare placeholder stays, so two blanks precede the target.
    QTest::newRow("bare %u") << "firefox %u" << "firefox  " + t;
    QTest::newRow("bare %U with options after") << "chromium --flag %U --new" << "chromium --flag  " + t;
    QTest::newRow("quoted %U cut at the quote") << "\"/opt/web browser/run\" \"%U\" -x"
                                                << "\"/opt/web browser/run\"  " + t;
    QTest::newRow("quoted wins over an earlier bare") << "app %f \"%u\"" << "app %f  " + t;
    QTest::newRow("%F") << "viewer --open %F" << "viewer --open  " + t;
    QTest::newRow("literal percent is no placeholder") << "app 100%%u %u" << "app 100%%u  " + t;
    QTest::newRow("other field codes stay") << "app %i" << "app %i " + t;
    QTest::newRow("no placeholder") << "browser" << "browser " + t;
}

void TestLinkLabel::handlerCommand()
{
    QFETCH(QString, exec);
    QFETCH(QString, command);
    QCOMPARE(handlerCommandLine(exec, "https://a.example/x"), command);
}

void TestLinkLabel::errorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "The operating system is out\nof memory or resources.";
    QTest::newRow("2") << 2 << "The specified file was not found.";
    QTest::newRow("3") << 3 << "The specified path was not found.";
    QTest::newRow("5") << 5 << "The operating system denied\naccess to the specified file.";
    QTest::newRow("8") << 8 << "There was not enough memory to complete the operation.";
    QTest::newRow("11") << 11 << "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    QTest::newRow("26 keeps its blank") << 26 << "A sharing violation occurred. ";
    QTest::newRow("27") << 27 << "The filename association is\nincomplete or invalid.";
    QTest::newRow("28") << 28
                        << "The DDE transaction could not\nbe completed because the request timed out.";
    QTest::newRow("29") << 29 << "The DDE transaction failed.";
    QTest::newRow("30") << 30
                        << "The DDE transaction could not\nbe completed because other DDE "
                           "transactions\nwere being processed.";
    QTest::newRow("31") << 31
                        << "There is no application associated\nwith the given filename extension.";
    QTest::newRow("32") << 32 << "The specified dynamic-link library was not found.";
    QTest::newRow("4") << 4 << "Unknown Error (4) occurred.";
    QTest::newRow("-7") << -7 << "Unknown Error (-7) occurred.";
}

void TestLinkLabel::errorTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(openErrorText(code), text);
    QCOMPARE(openErrorMessage(code), "Unable to open hyperlink:\n\n" + text);
}

void TestLinkLabel::openLinkFallback_data()
{
    QTest::addColumn<int>("openResult");
    QTest::addColumn<QString>("handler");  // "" for none
    QTest::addColumn<int>("startResult");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("started");
    const QString t = "https://quelvo.example.org/";
    QTest::newRow("desktop opens it") << 42 << "firefox %u" << 33 << 42 << QStringList{};
    QTest::newRow("handler takes over") << 31 << "firefox %u" << 33 << 33
                                        << QStringList{"firefox  " + t};
    QTest::newRow("no handler: the desktop's code") << 2 << "" << 33 << 2 << QStringList{};
    QTest::newRow("handler fails too") << 31 << "\"/no/such\" \"%U\"" << 3 << 3
                                       << QStringList{"\"/no/such\"  " + t};
    QTest::newRow("33 is success, 32 is not") << 32 << "b" << 33 << 33 << QStringList{"b " + t};
}

void TestLinkLabel::openLinkFallback()
{
    QFETCH(int, openResult);
    QFETCH(QString, handler);
    QFETCH(int, startResult);
    QFETCH(int, result);
    QFETCH(QStringList, started);
    FakeShell shell;
    shell.openResult = openResult;
    if (!handler.isEmpty())
        shell.handler = handler;
    shell.startResult = startResult;
    QCOMPARE(OpenLink("https://quelvo.example.org/", kShowWindow), result);
    QCOMPARE(shell.opened, QStringList{"https://quelvo.example.org/"});
    QCOMPARE(shell.started, started);
}

void TestLinkLabel::handlerFromDesktopFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("XDG_CONFIG_DIRS", (root + "/etc").toUtf8());
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    qputenv("XDG_DATA_DIRS", (root + "/share").toUtf8());

    QCOMPARE(defaultHandlerExec("text/html"), std::nullopt);

    writeFile(root + "/share/applications/mimeapps.list",
              "[Added Associations]\ntext/html=wrong.desktop;\n"
              "[Default Applications]\ntext/plain=editor.desktop\ntext/html=gone.desktop;web.desktop;\n");
    writeFile(root + "/share/applications/web.desktop",
              "[Desktop Entry]\nName=Web\n# Exec=commented\n"
              "[Desktop Action new]\nExec=web --new-window\n");
    // No Exec in its own group: the entry does not count.
    QCOMPARE(defaultHandlerExec("text/html"), std::nullopt);

    writeFile(root + "/share/applications/web.desktop",
              "[Desktop Entry]\nName=Web\nExec=web --private \"%U\"\n");
    QCOMPARE(defaultHandlerExec("text/html"), QString("web --private \"%U\""));

    // The user's own list comes first.
    writeFile(root + "/config/mimeapps.list", "[Default Applications]\ntext/html=kde-view.desktop\n");
    writeFile(root + "/data/applications/kde/view.desktop", "[Desktop Entry]\nExec=view %u\n");
    QCOMPARE(defaultHandlerExec("text/html"), QString("view %u"));
}

void TestLinkLabel::fitToText_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QSize>("extent");
    QTest::addColumn<bool>("centreVertical");
    QTest::addColumn<int>("type");
    QTest::addColumn<QRect>("fitted");
    QTest::newRow("left: right edge moves") << QRect(10, 20, 100, 30) << QSize(40, 12) << false
                                            << int(StaticLeft) << QRect(10, 20, 40, 12);
    QTest::newRow("right: left edge moves") << QRect(10, 20, 100, 30) << QSize(40, 12) << false
                                            << int(StaticRight) << QRect(70, 20, 40, 12);
    QTest::newRow("type 11 keeps the centre") << QRect(10, 20, 100, 30) << QSize(40, 12) << false
                                              << int(StaticLeftNoWordWrap) << QRect(40, 20, 40, 12);
    QTest::newRow("odd difference truncates") << QRect(0, 0, 101, 30) << QSize(40, 12) << false
                                              << int(StaticCenter) << QRect(30, 0, 41, 12);
    QTest::newRow("centred vertically") << QRect(0, 0, 50, 31) << QSize(40, 12) << true
                                        << int(StaticLeft) << QRect(0, 9, 40, 13);
    QTest::newRow("text wider than the window") << QRect(50, 0, 40, 12) << QSize(60, 12) << false
                                                << int(StaticLeftNoWordWrap) << QRect(40, 0, 60, 12);
}

void TestLinkLabel::fitToText()
{
    QFETCH(QRect, window);
    QFETCH(QSize, extent);
    QFETCH(bool, centreVertical);
    QFETCH(int, type);
    QFETCH(QRect, fitted);
    QCOMPARE(fitRectToText(window, extent, centreVertical, type), fitted);
}

void TestLinkLabel::setUpKeepsTextAndShowsTarget()
{
    QDialog owner;
    auto* label = new CLinkLabel("Home page", &owner);
    label->setGeometry(100, 40, 200, 30);
    label->setUp(StaticLeftNoWordWrap, false);
    QCOMPARE(label->linkTarget(), QString("Home page"));  // the text until a target is set
    label->SetLinkTarget("https://quelvo.example.org/");
    label->SetUnderlineMode(1);
    QCOMPARE(label->text(), QString("Home page"));
    QCOMPARE(label->toolTip(), QString("https://quelvo.example.org/"));
    QVERIFY(label->font().underline());
    QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
    // Shrunk to its text around the old centre, as high as its text from the old top.
    const QFontMetrics fm(label->font());
    // Both sides move by half the difference, truncated: one pixel may stay.
    const int spare = label->width() - fm.horizontalAdvance("Home page");
    QVERIFY2(spare == 0 || spare == 1, qPrintable(QString::number(spare)));
    QCOMPARE(label->height(), fm.height());
    QVERIFY(qAbs(label->geometry().center().x() - QRect(100, 40, 200, 30).center().x()) <= 1);
    QCOMPARE(label->y(), 40);
}

void TestLinkLabel::coloursByState()
{
    FakeShell shell;
    QDialog owner;
    owner.resize(400, 200);
    auto* label = new CLinkLabel("Technical support", &owner);
    label->setGeometry(20, 20, 300, 30);
    label->setUp(StaticLeftNoWordWrap, false);
    label->SetLinkTarget("https://quelvo.example.org/support/");
    label->SetUnderlineMode(1);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));

    auto shows = [&](const QColor& colour) {
        const QImage image = label->grab().toImage();
        return hasPixel(image, colour);
    };
    QCOMPARE(label->textColour(), QColor(0, 0, 238));
    QVERIFY(shows(QColor(0, 0, 238)));
    QVERIFY(!shows(QColor(255, 0, 0)));

    // The pointer enters: red at once.
    QCursor::setPos(label->mapToGlobal(QPoint(5, 5)));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(label, &move);
    QVERIFY(label->isPointerOver());
    QVERIFY(shows(QColor(255, 0, 0)));
    QVERIFY(!shows(QColor(0, 0, 238)));

    // The pointer leaves: the hover timer gives the link colour back.
    QCursor::setPos(owner.mapToGlobal(QPoint(390, 190)));
    QTRY_VERIFY(!label->isPointerOver());
    QVERIFY(shows(QColor(0, 0, 238)));

    // A successful click: visited colour, the target opened once.
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(shell.opened, QStringList{"https://quelvo.example.org/support/"});
    QVERIFY(label->isVisited());
    QCOMPARE(label->textColour(), QColor(85, 26, 139));
    QVERIFY(shows(QColor(85, 26, 139)));
}

void TestLinkLabel::failedClickReportsAndStaysUnvisited()
{
    FakeShell shell;
    shell.openResult = 2;
    test::ScriptedUi ui;
    QDialog owner;
    auto* label = new CLinkLabel("Home page", &owner);
    label->setGeometry(20, 20, 200, 30);
    label->setUp(StaticLeft, false);
    label->SetLinkTarget("/no/such/file.htm");
    label->MarkVisited(true);
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(ui.messageTexts(),
             QStringList{"Unable to open hyperlink:\n\nThe specified file was not found."});
    QCOMPARE(ui.messages[0].buttons, MessageButtons::Ok);
    QCOMPARE(ui.messages[0].icon, MessageIcon::Warning);
    QVERIFY(!label->isVisited());
    QVERIFY(!label->isPointerOver());
    QCOMPARE(label->textColour(), QColor(0, 0, 238));
}

QTEST_MAIN(TestLinkLabel)
#include "tst_linklabel.moc"
