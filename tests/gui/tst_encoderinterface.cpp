// The program's side of the encoder contract, driven by the stand-in encoder.

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <fstream>

#include "ScriptedUi.h"
#include "encoding/CommandLine.h"
#include "encoding/EncoderInterface.h"

using namespace quelvo;

class TestEncoderInterface : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString logPath;
    int partsWhileRunning = 0;

    std::string script(const char* name, const std::string& text)
    {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path) << text;
        return path;
    }
    QStringList logLines()
    {
        QFile f(logPath);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    void useTestEncoder(EncoderInterface& e) { e.setEncoderPath(QUELVO_TEST_BIN "/test_encoder"); }

private slots:
    void init()
    {
        logPath = dir.filePath("log.txt");
        QFile::remove(logPath);
        qputenv("TEST_ENCODER_LOG", logPath.toUtf8());
    }

    void probeReportsFillTheStagingSlot()
    {
        ConverterContext ctx;
        ctx.sources.count = 2;
        ctx.sources.durationSeconds[2] = 11;  // left from an earlier probe
        EncoderInterface enc(ctx, nullptr);
        useTestEncoder(enc);
        const auto src = script("probe.txt",
                                "[probe]\nreport 1 3725\nreport 2 640\nreport 3 480\n"
                                "report 4 299700300\n[convert]\nexit 9\n");
        QCOMPARE(enc.RunEncoder(src, dir.filePath("out.avi").toStdString(), 0, 0, kModeProbe), 0);
        QVERIFY(enc.lastResult().succeeded());
        QCOMPARE(ctx.sources.durationSeconds[2], 3725.0);
        QCOMPARE(ctx.sources.frameWidth[2], 640);
        QCOMPARE(ctx.sources.frameHeight[2], 480);
        QVERIFY(qAbs(ctx.sources.frameRate[2] - 29.9700300) < 1e-9);
        QVERIFY(!ctx.sources.probeFailed);
        QCOMPARE(ctx.sources.count, 2);  // rows are the caller's business

        // The argument string: quoted paths first, the probe tail last.
        const QStringList log = logLines();
        QVERIFY(log.size() >= 2);
        const QString args = log.first();
        QVERIFY2(args.startsWith(QStringLiteral("args \"%1\" -o \"%2\"")
                                     .arg(QString::fromStdString(src), dir.filePath("out.avi"))),
                 qPrintable(args));
        QVERIFY2(QRegularExpression(" -endpos 9:0:0 1 \\d+$").match(args).hasMatch(), qPrintable(args));
        QVERIFY(log.contains("result 1 3725 0"));
        QCOMPARE(log.last(), QStringLiteral("exit 0"));
    }

    void reportRules_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<double>("duration");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("rate");
        // The slot starts at duration 7, 8 x 9, 1.5 fps.
        QTest::newRow("duration") << 1u << 60 << false << 60.0 << 8 << 9 << 1.5;
        QTest::newRow("zero duration") << 1u << 0 << true << 7.0 << 8 << 9 << 1.5;
        QTest::newRow("negative duration") << 1u << -5 << true << 7.0 << 8 << 9 << 1.5;
        QTest::newRow("zero width") << 2u << 0 << true << 7.0 << 8 << 9 << 1.5;
        QTest::newRow("negative height") << 3u << -1 << true << 7.0 << 8 << 9 << 1.5;
        QTest::newRow("zero rate") << 4u << 0 << true << 7.0 << 8 << 9 << 1.5;
        QTest::newRow("negative rate") << 4u << -1 << false << 7.0 << 8 << 9 << 214.7483647;
        QTest::newRow("code 0 ignored") << 0u << 5 << false << 7.0 << 8 << 9 << 1.5;
        QTest::newRow("code 5 ignored") << 5u << 5 << false << 7.0 << 8 << 9 << 1.5;
        QTest::newRow("code 7 ignored") << 7u << 5 << false << 7.0 << 8 << 9 << 1.5;
        QTest::newRow("huge code ignored") << 4294967295u << 5 << false << 7.0 << 8 << 9 << 1.5;
    }
    void reportRules()
    {
        QFETCH(uint, code);
        QFETCH(int, value);
        ConverterContext ctx;
        ctx.sources.count = 1;
        ctx.sources.durationSeconds[1] = 7;
        ctx.sources.frameWidth[1] = 8;
        ctx.sources.frameHeight[1] = 9;
        ctx.sources.frameRate[1] = 1.5;
        EncoderInterface enc(ctx, nullptr);
        int progressCalls = 0;
        enc.setProgressSink([&](double) { ++progressCalls; return 1; });
        QCOMPARE(enc.OnEncoderReport(code, value), 0);
        QTEST(ctx.sources.probeFailed, "failed");
        QTEST(ctx.sources.durationSeconds[1], "duration");
        QTEST(ctx.sources.frameWidth[1], "width");
        QTEST(ctx.sources.frameHeight[1], "height");
        QFETCH(double, rate);
        QVERIFY(qAbs(ctx.sources.frameRate[1] - rate) < 1e-9);
        QCOMPARE(progressCalls, 0);
        QCOMPARE(ctx.sources.durationSeconds[0], 0.0);  // rows are never written
    }

    void failedDurationThenValidOneStillStores()
    {
        ConverterContext ctx;
        EncoderInterface enc(ctx, nullptr);
        enc.OnEncoderReport(1, 0);
        QVERIFY(ctx.sources.probeFailed);
        QCOMPARE(ctx.sources.durationSeconds[0], 0.0);
        enc.OnEncoderReport(1, 42);
        QCOMPARE(ctx.sources.durationSeconds[0], 42.0);
    }

    void progressResultReachesTheEncoder()
    {
        ConverterContext ctx;
        EncoderInterface enc(ctx, nullptr);
        useTestEncoder(enc);
        QList<double> positions;
        enc.setProgressSink([&](double p) {
            positions << p;
            return p >= 2 ? 1 : 0;
        });
        const auto src = script("convert.txt",
                                "[convert]\nwrite partial\nreport 6 1\nreport 6 2\nreport 6 3\n");
        const QString out = dir.filePath("stopped.avi");
        enc.RunEncoder(src, out.toStdString(), 0, 0, kModeConvert);
        QCOMPARE(positions, (QList<double>{1, 2}));
        QVERIFY(enc.lastResult().started);
        QCOMPARE(enc.lastResult().exitCode, kEncoderExitStopped);
        QVERIFY(!enc.lastResult().succeeded());
        QVERIFY(logLines().contains("result 6 2 1"));
        QVERIFY(!QFile::exists(out));
        QVERIFY(QRegularExpression(" -endpos 9:0:0 0 \\d+$").match(logLines().first()).hasMatch());
    }

    void exitStatusIsKept()
    {
        ConverterContext ctx;
        EncoderInterface enc(ctx, nullptr);
        useTestEncoder(enc);
        enc.RunEncoder(script("fail.txt", "exit 5\n"), dir.filePath("x.avi").toStdString(), 0, 0, 0);
        QVERIFY(enc.lastResult().started);
        QVERIFY(enc.lastResult().exited);
        QCOMPARE(enc.lastResult().exitCode, 5);
        QVERIFY(!enc.lastResult().succeeded());
    }

    void eventsAreDispatchedWhileWaiting()
    {
        ConverterContext ctx;
        EncoderInterface enc(ctx, nullptr);
        useTestEncoder(enc);
        bool fired = false;
        bool runningWhenFired = false;
        QTimer::singleShot(0, [&] {
            fired = true;
            runningWhenFired = enc.running();
        });
        enc.RunEncoder(script("slow.txt", "sleep 300\n"), dir.filePath("y.avi").toStdString(), 0, 0, 0);
        QVERIFY(fired);
        QVERIFY(runningWhenFired);
        QVERIFY(!enc.running());
    }

    void terminateEndsAHangingEncoder()
    {
        ConverterContext ctx;
        EncoderInterface enc(ctx, nullptr);
        useTestEncoder(enc);
        QTimer::singleShot(100, [&] { enc.terminate(); });
        enc.RunEncoder(script("hang.txt", "hang\n"), dir.filePath("z.avi").toStdString(), 0, 0, 0);
        QVERIFY(!enc.lastResult().exited);
        QCOMPARE(enc.lastResult().signal, SIGTERM);
    }

    void temporaryFileOfAKilledEncoderIsRemoved()
    {
        ConverterContext ctx;
        EncoderInterface enc(ctx, nullptr);
        useTestEncoder(enc);
        const QString out = dir.filePath("killed.avi");
        const auto src = script("part.txt", "part half written\nreport 6 1\nhang\n");
        enc.setProgressSink([&](double) {
            const QStringList parts = QDir(dir.path()).entryList({".brantixenc-*.part"}, QDir::Hidden | QDir::Files);
            partsWhileRunning = parts.size();
            QTimer::singleShot(0, [&] { enc.terminate(); });
            return 0;
        });
        enc.RunEncoder(src, out.toStdString(), 0, 0, kModeConvert);
        QCOMPARE(partsWhileRunning, 1);
        QCOMPARE(enc.lastResult().signal, SIGTERM);
        QVERIFY(QDir(dir.path()).entryList({".brantixenc-*.part"}, QDir::Hidden | QDir::Files).isEmpty());
    }

    void missingEncoderIsReportedOnceAndReturnsAtOnce()
    {
        test::ScriptedUi ui;
        ConverterContext ctx;
        EncoderInterface enc(ctx, nullptr);
        enc.setEncoderPath("/nonexistent/folder/Brantixenc");
        const auto src = script("any.txt", "report 1 5\n");
        enc.RunEncoder(src, "/tmp/o.avi", 0, 0, kModeProbe);
        enc.RunEncoder(src, "/tmp/o.avi", 0, 0, kModeProbe);
        QVERIFY(!enc.lastResult().started);
        QCOMPARE(ui.messages.size(), size_t(1));
        QVERIFY(ui.messages[0].text.contains("/nonexistent/folder/Brantixenc"));
        enc.resetStartFailureNotice();
        enc.RunEncoder(src, "/tmp/o.avi", 0, 0, kModeProbe);
        QCOMPARE(ui.messages.size(), size_t(2));
        QCOMPARE(ctx.sources.durationSeconds[0], 0.0);
    }
};

QTEST_MAIN(TestEncoderInterface)
#include "tst_encoderinterface.moc"
