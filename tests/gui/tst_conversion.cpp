// The conversion run with the stand-in encoder (each source "video" is its
// script), scripted message boxes and a clock the tests control; one run
// through the real Brantixenc and ffmpeg.

#include <QDialog>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <functional>
#include <memory>

#include "ScriptedUi.h"
#include "app/AppInfo.h"
#include "encoding/CProgressDlg.h"
#include "encoding/ConversionRun.h"
#include "encoding/EncoderInterface.h"
#include "encoding/ProgressReporter.h"

using namespace quelvo;

namespace {

// The main window's part in a run: the records, a window to disable, the
// progress window, the reports and the run, wired as the main window does.
struct Harness {
    ConverterContext ctx;
    QDialog window;
    std::unique_ptr<CProgressDlg> progress;
    std::unique_ptr<EncoderInterface> encoder;
    std::unique_ptr<ProgressReporter> reporter;
    std::unique_ptr<ConversionRun> run;
    QString folderText;
    uint32_t now = 0xFFFFF000u;  // wraps during the run
    // Runs after each progress report has been answered.
    std::function<void(double position)> afterReport;
    // Window state the first time a report arrives in each run.
    QStringList firstReportState;

    Harness()
    {
        progress = std::make_unique<CProgressDlg>(&window);
        encoder = std::make_unique<EncoderInterface>(ctx, &window);
        encoder->setEncoderPath(QUELVO_TEST_BIN "/test_encoder");
        auto clock = [this] { return now; };
        reporter = std::make_unique<ProgressReporter>(ctx, *progress, &window, clock);
        encoder->setProgressSink([this](double position) {
            if (firstReportState.size() < runs)
                firstReportState << progress->statusText() + QStringLiteral(" | %1").arg(progress->barPosition());
            const int32_t result = reporter->ReportSink(1, position);
            now += 60000;  // each report a minute later
            if (afterReport)
                afterReport(position);
            return result;
        });
        run = std::make_unique<ConversionRun>(ctx, *encoder, *progress, &window,
                                              [this] { return folderText; }, clock);
    }

    void addRow(const QString& path, double seconds, int width = 320, int height = 240)
    {
        SourceList& s = ctx.sources;
        s.durationSeconds[s.count] = seconds;
        s.frameWidth[s.count] = width;
        s.frameHeight[s.count] = height;
        s.frameRate[s.count] = 25;
        s.appendRow(path.toStdString());
    }

    void convert()
    {
        ++runs;
        run->ConvertAll();
    }

    void clickCancel() { control<QPushButton>(progress.get(), progress_ids::Cancel)->click(); }

    int runs = 0;
};

QString appName()
{
    return QString::fromStdString(ApplicationName());
}

}  // namespace

class TestConversion : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString logPath;
    QString startFolder;

    QString script(const QString& relPath, const QString& text)
    {
        const QString path = dir.filePath(relPath);
        QDir().mkpath(QFileInfo(path).path());
        std::ofstream(path.toStdString()) << text.toStdString();
        return path;
    }
    static QString read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
    }
    QStringList log()
    {
        if (!QFile::exists(logPath))
            return {};
        return read(logPath).split('\n', Qt::SkipEmptyParts);
    }
    // The -o argument of every encoder run, in order.
    QStringList outputsRun()
    {
        QStringList out;
        for (const QString& line : log()) {
            if (!line.startsWith("args "))
                continue;
            const int o = line.indexOf(" -o \"") + 5;
            out << line.mid(o, line.indexOf('"', o) - o);
        }
        return out;
    }

private slots:
    void initTestCase() { startFolder = QDir::currentPath(); }
    void init()
    {
        logPath = dir.filePath("log.txt");
        QFile::remove(logPath);
        qputenv("TEST_ENCODER_LOG", logPath.toUtf8());
        QDir(dir.filePath("out")).removeRecursively();
        QDir(dir.filePath("in")).removeRecursively();
    }
    void cleanup() { QDir::setCurrent(startFolder); }

    void emptyList()
    {
        test::ScriptedUi ui;
        Harness h;
        h.folderText = dir.filePath("out/");
        h.convert();
        QCOMPARE(ui.messageTexts(), QStringList{"No file in the list"});
        QCOMPARE(ui.messages[0].owner, &h.window);
        QCOMPARE(ui.messages[0].caption, appName());
        QCOMPARE(ui.messages[0].buttons, MessageButtons::Ok);
        QVERIFY(!QDir(dir.filePath("out")).exists());
        QVERIFY(h.window.isEnabled());
        QVERIFY(!h.progress->isVisible());
    }

    // The progress window stands centred on the main window wherever that
    // has been moved since the progress window was made.
    void progressWindowIsCentredOnTheMainWindow()
    {
        test::ScriptedUi ui;
        Harness h;
        h.window.resize(600, 400);
        h.window.move(310, 170);
        h.window.show();
        h.folderText = dir.filePath("out/");
        h.addRow(script("in/centred.avi", "[convert]\nreport 6 1\nwrite x\n"), 2);
        QPoint progressCentre;
        ui.onMessage = [&](const MessageBoxRequest&) { progressCentre = h.progress->frameGeometry().center(); };
        h.convert();
        QCOMPARE(ui.messageTexts().size(), 1);
        QVERIFY2((progressCentre - h.window.frameGeometry().center()).manhattanLength() <= 8,
                 qPrintable(QStringLiteral("%1,%2").arg(progressCentre.x()).arg(progressCentre.y())));
    }

    void twoRowsThenAnotherRun()
    {
        test::ScriptedUi ui;
        Harness h;
        h.folderText = dir.filePath("out/");
        const QString a = script("in/first.mpg", "[convert]\nreport 6 20\nreport 6 40\nwrite one\n");
        const QString b = script("in/second", "[convert]\nreport 6 30\nwrite two\n");
        h.addRow(a, 60);
        h.addRow(b, 60);
        h.ctx.settings.outputFormat = FormatDvd;

        bool windowStateOk = false;
        ui.onMessage = [&](const MessageBoxRequest&) {
            // The last report (30 s into the second of two 60 s files).
            windowStateOk = !h.window.isEnabled() && h.progress->isVisible() && h.progress->isEnabled() &&
                            h.progress->barPosition() == 750 &&
                            h.progress->statusText().endsWith(";Finished 75.0%");
        };
        h.convert();

        QVERIFY(windowStateOk);
        // Three reports a minute apart.
        QCOMPARE(ui.messageTexts(), QStringList{"Mission accomplished! Total Time:00:03:00"});
        QCOMPARE(ui.messages[0].icon, MessageIcon::Information);
        QCOMPARE(ui.messages[0].caption, appName());
        QCOMPARE(ui.messages[0].owner, &h.window);
        QCOMPARE(read(dir.filePath("out/first.vob")).trimmed(), QStringLiteral("one"));
        QCOMPARE(read(dir.filePath("out/second.vob")).trimmed(), QStringLiteral("two"));
        QCOMPARE(outputsRun(), (QStringList{dir.filePath("out/first.vob"), dir.filePath("out/second.vob")}));
        QVERIFY(log().first().contains(QRegularExpression(" -endpos 9:0:0 0 \\d+$")));
        QCOMPARE(QDir::currentPath(), dir.filePath("out"));  // the encoder's working folder
        QCOMPARE(h.ctx.settings.outputFolder, dir.filePath("out/").toStdString());
        QCOMPARE(h.ctx.run.currentIndex, 1);
        QCOMPARE(h.ctx.run.doneSeconds, 120.0);
        QVERIFY(h.window.isEnabled());
        QVERIFY(!h.progress->isVisible());

        // The next run starts again from the initial text and an empty bar,
        // and writes anew over outputs of an earlier run.
        h.progress->setStatusText("left over");
        h.convert();
        const QString initial = "Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0% | 0";
        QCOMPARE(h.firstReportState, (QStringList{initial, initial}));
        QCOMPARE(outputsRun().mid(2), (QStringList{dir.filePath("out/first_mpg.vob"), dir.filePath("out/second_.vob")}));
    }

    void cancel_data()
    {
        QTest::addColumn<double>("clickAfter");  // position after which Cancel is clicked
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("outputs");  // files left in out/
        QTest::addColumn<bool>("secondRun");        // the second file was started

        const QString q = "Do you really want to stop?";
        const QString done = "Mission accomplished! Total Time:00:05:00";
        QTest::addRow("No: the run goes on") << 110.0 << 1 << kAnswerNo << QStringList{q, done}
                                             << QStringList{"a.avi", "b.avi"} << true;
        QTest::addRow("twice, asked once") << 110.0 << 2 << kAnswerNo << QStringList{q, done}
                                           << QStringList{"a.avi", "b.avi"} << true;
        QTest::addRow("Yes: stopped, earlier output kept")
            << 110.0 << 1 << kAnswerYes << QStringList{q} << QStringList{"a.avi"} << true;
        QTest::addRow("after the last report of a file")
            << 20.0 << 1 << kAnswerYes << QStringList{} << QStringList{} << false;
    }
    void cancel()
    {
        QFETCH(double, clickAfter);
        QFETCH(int, clicks);
        QFETCH(int, answer);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, outputs);
        QFETCH(bool, secondRun);

        test::ScriptedUi ui;
        ui.messageAnswers = {answer};
        Harness h;
        h.folderText = dir.filePath("out");
        h.addRow(script("in/a.mpg", "[convert]\nwrite a\nreport 6 10\nreport 6 20\n"), 30);
        h.addRow(script("in/b.mpg", "[convert]\nwrite b\nreport 6 110\nreport 6 120\nreport 6 130\n"), 200);
        h.afterReport = [&](double position) {
            if (position == clickAfter)
                for (int i = 0; i < clicks; ++i)
                    h.clickCancel();
        };
        ui.onMessage = [&](const MessageBoxRequest& r) {
            if (r.buttons == MessageButtons::YesNo)
                QCOMPARE(h.progress->statusText(), QStringLiteral("Cancel processing..."));
        };
        h.convert();

        QCOMPARE(ui.messageTexts(), messages);
        QStringList left = QDir(dir.filePath("out")).entryList(QDir::Files, QDir::Name);
        QCOMPARE(left, outputs);
        QCOMPARE(outputsRun().size(), secondRun ? 2 : 1);
        if (answer == kAnswerYes && secondRun) {
            QVERIFY(log().contains("result 6 120 1"));
            QVERIFY(!log().join('\n').contains("result 6 130"));
        }
        if (answer == kAnswerNo) {
            // The report after the question overwrote "Cancel processing...".
            QVERIFY(log().contains("result 6 120 0"));
            QVERIFY(!h.progress->cancelRequested());
        }
        QVERIFY(h.window.isEnabled());
        QVERIFY(!h.progress->isVisible());
    }

    void failedFilesAreNamed()
    {
        test::ScriptedUi ui;
        Harness h;
        h.folderText = dir.filePath("out");
        const QString bad = script("in/bad.avi", "[convert]\nwrite partial\nreport 6 5\nexit 2\n");
        const QString good = script("in/good.avi", "[convert]\nwrite fine\n");
        const QString killed = script("in/killed.avi", "[convert]\nwrite partial\nexit 139\n");
        // Folder and name together beyond 255 characters: no name to write.
        const QString longName = script("in/" + QString(256 - dir.filePath("out/").size(), 'n') + ".avi", "");
        h.addRow(bad, 10);
        h.addRow(good, 10);
        h.addRow(killed, 10);
        h.addRow(longName, 10);
        h.convert();

        QCOMPARE(ui.messageTexts(), (QStringList{QStringLiteral("Convert file %1 failed.").arg(bad),
                                                 QStringLiteral("Convert file %1 failed.").arg(killed),
                                                 QStringLiteral("Convert file %1 failed.").arg(longName),
                                                 "Mission accomplished! Total Time:00:01:00"}));
        for (const auto& m : ui.messages) {
            QCOMPARE(m.owner, &h.window);
            QCOMPARE(m.caption, appName());
            QCOMPARE(m.buttons, MessageButtons::Ok);
        }
        QCOMPARE(QDir(dir.filePath("out")).entryList(QDir::Files), QStringList{"good.avi"});
        QCOMPARE(outputsRun().size(), 3);
    }

    void missingEncoderFailsEveryFile()
    {
        test::ScriptedUi ui;
        Harness h;
        h.encoder->setEncoderPath(dir.filePath("no-such-encoder").toStdString());
        h.folderText = dir.filePath("out");
        h.addRow(dir.filePath("in/x.avi"), 10);
        h.addRow(dir.filePath("in/y.avi"), 10);
        h.convert();
        const QStringList texts = ui.messageTexts();
        QCOMPARE(texts.size(), 4);
        QVERIFY2(texts[0].contains("no-such-encoder"), qPrintable(texts[0]));  // told once
        QCOMPARE(texts.mid(1), (QStringList{QStringLiteral("Convert file %1 failed.").arg(dir.filePath("in/x.avi")),
                                            QStringLiteral("Convert file %1 failed.").arg(dir.filePath("in/y.avi")),
                                            "Mission accomplished! Total Time:00:00:00"}));
    }

    void sourcesAreNeverOverwritten()
    {
        test::ScriptedUi ui;
        Harness h;
        h.folderText = dir.filePath("out");
        // Sources in the output folder, one of them where the variant name lies;
        // three sources of one name from different folders.
        const QString clip = script("out/clip.avi", "[convert]\nwrite from clip\n");
        const QString clipAvi = script("out/clip_avi.avi", "[convert]\nwrite from clip_avi\n");
        const QString x1 = script("in/1/x.avi", "[convert]\nwrite x1\n");
        const QString x2 = script("in/2/x.avi", "[convert]\nwrite x2\n");
        const QString x3 = script("in/3/x.avi", "[convert]\nwrite x3\n");
        for (const QString& s : {clip, clipAvi, x1, x2, x3})
            h.addRow(s, 10);
        const QString clipScript = read(clip);
        const QString clipAviScript = read(clipAvi);

        h.convert();

        QCOMPARE(read(clip), clipScript);
        QCOMPARE(read(clipAvi), clipAviScript);
        const QString out = dir.filePath("out/");
        QCOMPARE(outputsRun(), (QStringList{out + "clip_avi_2.avi", out + "clip_avi_avi.avi", out + "x.avi",
                                            out + "x_avi.avi", out + "x_avi_2.avi"}));
        QCOMPARE(read(out + "clip_avi_2.avi").trimmed(), QStringLiteral("from clip"));
        QCOMPARE(read(out + "x.avi").trimmed(), QStringLiteral("x1"));
        QCOMPARE(read(out + "x_avi.avi").trimmed(), QStringLiteral("x2"));
        QCOMPARE(read(out + "x_avi_2.avi").trimmed(), QStringLiteral("x3"));
        QCOMPARE(ui.messages.size(), size_t(1));
    }

    void outputFolder_data()
    {
        QTest::addColumn<QString>("folder");  // "@" stands for the temporary folder
        QTest::addColumn<bool>("works");
        QTest::addRow("nested missing levels") << "@/out/new/sub/" << true;
        QTest::addRow("without trailing separator") << "@/out/plain" << true;
        QTest::addRow("names a file") << "@/out/file.txt" << false;
        QTest::addRow("below a file") << "@/out/file.txt/sub" << false;
        QTest::addRow("cannot be created") << "/proc/quelvo-out" << false;
        QTest::addRow("exists, not writable") << "/proc" << false;
        QTest::addRow("empty") << "" << false;
    }
    void outputFolder()
    {
        QFETCH(QString, folder);
        QFETCH(bool, works);
        folder.replace("@", dir.path());
        script("out/file.txt", "not a folder");
        test::ScriptedUi ui;
        Harness h;
        h.folderText = folder;
        h.addRow(script("in/v.avi", "[convert]\nwrite v\n"), 10);
        h.convert();

        QCOMPARE(h.ctx.settings.outputFolder, folder.toStdString());
        if (works) {
            QCOMPARE(ui.messageTexts(), QStringList{"Mission accomplished! Total Time:00:00:00"});
            QCOMPARE(read(QDir(folder).filePath("v.avi")).trimmed(), QStringLiteral("v"));
            QCOMPARE(QDir::currentPath(), QDir::cleanPath(folder));
        } else {
            QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Fail to create tmp folder %1").arg(folder)});
            QCOMPARE(ui.messages[0].caption, appName());
            QCOMPARE(ui.messages[0].owner, &h.window);
            QVERIFY(log().isEmpty());
            QVERIFY(!h.progress->isVisible());
        }
        QVERIFY(h.window.isEnabled());
    }

    // Two clips made by ffmpeg, converted by the real Brantixenc.
    void realEncoderConvertsTwoClipsToTwoFormats()
    {
        const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
        const QString ffprobe = QStandardPaths::findExecutable("ffprobe");
        if (ffmpeg.isEmpty() || ffprobe.isEmpty())
            QSKIP("ffmpeg is not installed");
        const QString encoder = QUELVO_BIN_DIR "/Brantixenc";
        QVERIFY2(QFile::exists(encoder), "Brantixenc is not built");
        QDir().mkpath(dir.filePath("in"));
        const QStringList clips = {dir.filePath("in/clip one.avi"), dir.filePath("in/clip-two.mpg")};
        for (const QString& clip : clips) {
            QProcess p;
            p.start(ffmpeg, {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=duration=2:size=320x240:rate=25",
                             "-f", "lavfi", "-i", "sine=duration=2", "-shortest", clip});
            QVERIFY(p.waitForFinished(120000));
            QCOMPARE(p.exitCode(), 0);
        }
        struct Target {
            int32_t format;
            const char* extension;
            const char* ffprobeFormat;
        };
        const Target targets[] = {{FormatMpeg1, "mpeg", "mpeg"}, {FormatWmv, "wmv", "asf"}};
        for (const Target& t : targets) {
            test::ScriptedUi ui;
            Harness h;
            h.encoder->setEncoderPath(encoder.toStdString());
            h.run->setClock(tickCount);
            h.reporter->setClock(tickCount);
            h.folderText = dir.filePath(QStringLiteral("out/%1").arg(t.extension));
            h.ctx.settings.outputFormat = t.format;
            for (const QString& clip : clips)
                h.addRow(clip, 2);
            h.convert();

            QCOMPARE(ui.messages.size(), size_t(1));
            QVERIFY2(ui.messages[0].text.startsWith("Mission accomplished! Total Time:"),
                     qPrintable(ui.messages[0].text));
            for (const QString& name : {QStringLiteral("clip one"), QStringLiteral("clip-two")}) {
                const QString out = QStringLiteral("%1/%2.%3").arg(h.folderText, name, t.extension);
                QProcess probe;
                probe.start(ffprobe, {"-v", "error", "-show_entries", "format=format_name,duration", "-of",
                                      "default=noprint_wrappers=1", out});
                QVERIFY(probe.waitForFinished(60000));
                const QString info = QString::fromUtf8(probe.readAllStandardOutput());
                QVERIFY2(probe.exitCode() == 0, qPrintable(out));
                QVERIFY2(info.contains(QStringLiteral("format_name=%1").arg(t.ffprobeFormat)), qPrintable(info));
                const double seconds =
                    QRegularExpression("duration=([0-9.]+)").match(info).captured(1).toDouble();
                QVERIFY2(seconds > 1.5 && seconds < 2.6, qPrintable(info));
            }
        }
    }
};

QTEST_MAIN(TestConversion)
#include "tst_conversion.moc"
