// Bad input and faults through the main window, the real Brantixenc and
// ffmpeg: what the user is told, that the program goes on working, that the
// sources keep their bytes, that no partial output and no process is left,
// and that the settings are written when the window goes.

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

#include <signal.h>
#include <sys/resource.h>

#include <memory>
#include <random>

#include "ScriptedUi.h"
#include "app/AppInfo.h"
#include "encoding/CProgressDlg.h"
#include "encoding/ProgressReporter.h"
#include "fault_system.h"
#include "platform/ProfileFile.h"
#include "settings/OutputSettings.h"
#include "sources/SourceListPanel.h"
#include "ui/CConverterDlg.h"
#include "ui/MainWindowIds.h"

using namespace quelvo;
using test::ScriptedUi;

namespace {

QString appName()
{
    return QString::fromStdString(ApplicationName());
}

// The completion message with its time made comparable.
QStringList comparable(QStringList texts)
{
    static const QRegularExpression time("^(Mission accomplished! Total Time:)\\d\\d:\\d\\d:\\d\\d$");
    for (QString& t : texts)
        t.replace(time, "\\1hh:mm:ss");
    return texts;
}
const QString kDone = QStringLiteral("Mission accomplished! Total Time:hh:mm:ss");

QString convertFailed(const QString& path)
{
    return QStringLiteral("Convert file %1 failed.").arg(path);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An AVI whose main and stream headers claim another frame size.
QByteArray withFrameSize(QByteArray avi, qint32 width, qint32 height)
{
    const qsizetype main = avi.indexOf("avih");
    const qsizetype format = avi.indexOf("strf");
    if (main < 0 || format < 0)
        return {};
    // avih: chunk header, then dwWidth and dwHeight at 32 and 36.
    qToLittleEndian(width, avi.data() + main + 8 + 32);
    qToLittleEndian(height, avi.data() + main + 8 + 36);
    // strf of a video stream: BITMAPINFOHEADER with biWidth and biHeight at 4 and 8.
    qToLittleEndian(width, avi.data() + format + 8 + 4);
    qToLittleEndian(height, avi.data() + format + 8 + 8);
    return avi;
}

// One run of the program: its own folder with the encoder beside the option
// file, and the main window.
struct Session {
    QString programFolder;
    std::unique_ptr<CConverterDlg> window;

    Session(const QString& folder, const QString& outputFolder) : programFolder(folder + "/")
    {
        QDir().mkpath(folder);
        QFile::link(QUELVO_BIN_DIR "/Brantixenc", programFolder + "Brantixenc");
        writeFile(programFolder + "option.ini",
                  QStringLiteral("[Destinate]\r\nTemporary folder=%1\r\n").arg(outputFolder).toUtf8());
        window = std::make_unique<CConverterDlg>(nullptr, programFolder.toStdString());
    }

    void setOutputFolder(const QString& folder)
    {
        qobject_cast<QLineEdit*>(window->control(ids::OutputFolderEdit))->setText(folder);
    }
    void add(const QStringList& paths) { window->sourceList().addPaths(paths); }
    void convert() { window->onCommand(ids::Convert); }
    QStringList rows() const
    {
        const SourceList& s = window->context().sources;
        QStringList out;
        for (int i = 0; i < s.count; ++i)
            out << QString::fromStdString(s.path[i]);
        return out;
    }
    // Destroys the window, which writes the settings.
    void end() { window.reset(); }
    QString option(const char* key) const
    {
        return QString::fromStdString(
            readProfileString((programFolder + "option.ini").toStdString(), "Destinate", key, "<missing>"));
    }
};

}  // namespace

class TestFaults : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString sources;  // every source file lives below here
    QString good;
    QString longClip;
    bool mounts = false;
    int cases = 0;
    QMap<QString, QByteArray> sourceBytes;
    QStringList mounted;
    QStringList immutable;
    QStringList readOnly;
    QString startFolder;

    QString fresh(const QString& kind)
    {
        const QString path = dir.filePath(QStringLiteral("%1/%2").arg(kind).arg(++cases));
        QDir().mkpath(path);
        return path;
    }

    bool ffmpeg(const QStringList& args)
    {
        QProcess p;
        p.start("ffmpeg", QStringList{"-nostdin", "-v", "error", "-y"} + args);
        return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    // What every case ends with: sources untouched, no process left, no
    // partial output in the folders written to, the window usable again.
    void verifyClean(const Session& s, const QStringList& outputFolders)
    {
        QCOMPARE(test::fileHashes(sources), sourceBytes);
        QTRY_COMPARE_WITH_TIMEOUT(test::strayProcesses(dir.path()), QStringList(), 10000);
        for (const QString& folder : outputFolders)
            for (const QString& name : test::folderEntries(folder))
                QVERIFY2(!name.startsWith('.'), qPrintable(folder + ": " + name));
        if (s.window) {
            QVERIFY(s.window->isEnabled());
            QVERIFY(!s.window->progressWindow().isVisible());
            QVERIFY(!s.window->encoder().running());
        }
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
            QSKIP("ffmpeg is not installed");
        QVERIFY2(QFile::exists(QUELVO_BIN_DIR "/Brantixenc"), "Brantixenc is not built");
        QVERIFY(dir.isValid());
        startFolder = QDir::currentPath();
        mounts = test::privateMountsAvailable();
        sources = dir.filePath("src");
        QDir().mkpath(sources + "/names");

        good = sources + "/good.avi";
        longClip = sources + "/long.avi";
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=2:size=160x120:rate=25", "-f", "lavfi", "-i",
                        "sine=duration=2", "-shortest", "-c:v", "mpeg4", "-c:a", "libmp3lame", good}));
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=30:size=320x240:rate=25", "-f", "lavfi", "-i",
                        "sine=duration=30", "-shortest", "-c:v", "mpeg4", "-c:a", "libmp3lame", longClip}));
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "sine=duration=2", "-c:a", "libmp3lame", sources + "/sound-only.avi"}));
        const QString raw = dir.filePath("raw.avi");
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=1:size=32x24:rate=5", "-c:v", "rawvideo",
                        "-pix_fmt", "bgr24", raw}));

        std::mt19937 noise(20240611);
        QByteArray random(64 * 1024, '\0');
        for (char& c : random)
            c = static_cast<char>(noise());
        const QByteArray clip = readFile(good);
        const QByteArray rawClip = readFile(raw);
        const struct {
            const char* name;
            QByteArray bytes;
        } made[] = {
            {"empty.avi", {}},
            {"random.avi", random},
            {"text.avi", "Shopping list\r\nmilk\r\nbread\r\n"},
            {"truncated.avi", clip.left(clip.size() * 3 / 10)},
            {"zero-frame.avi", withFrameSize(rawClip, 0, 0)},
            {"huge-frame.avi", withFrameSize(rawClip, 65535, 65535)},
            // Large enough to pass a look at the headers, too large for the frames that follow.
            {"frames-too-small.avi", withFrameSize(rawClip, 8000, 8000)},
        };
        for (const auto& m : made)
            QVERIFY(writeFile(sources + "/" + m.name, m.bytes));
        QVERIFY(!readFile(sources + "/zero-frame.avi").isEmpty());
        QVERIFY(QDir().mkpath(sources + "/folder.avi"));

        // Good clips under awkward names; a name of 255 characters is as
        // long as the file system allows.
        const QString names = sources + "/names/";
        const QStringList awkward = {
            "with  two blanks .avi",
            QStringLiteral("Gr\u00fc\u00dfe \u65e5\u672c \u00f1.avi"),
            "it's $HOME `id` & ;.avi",
            "say \"cheese\".avi",
            "--help -o x.avi",
            "-i.avi",
            QString(255 - names.toUtf8().size() - 4, 'p') + ".avi",
            QString(256 - names.toUtf8().size() - 4, 'q') + ".avi",
            QString(251, 'n') + ".avi",
        };
        for (const QString& name : awkward)
            QVERIFY2(QFile::copy(good, names + name), qPrintable(name));
        sourceBytes = test::fileHashes(sources);
    }

    void cleanup()
    {
        QDir::setCurrent(startFolder);
        for (const QString& folder : std::as_const(immutable))
            test::setImmutable(folder, false);
        immutable.clear();
        for (const QString& folder : std::as_const(readOnly))
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        readOnly.clear();
        for (const QString& folder : std::as_const(mounted))
            test::unmount(folder);
        mounted.clear();
    }

    // A bad file is named after the add and the other files of the same add
    // still go in; a file that goes in but cannot be converted is named after
    // the batch, whose other files are converted.
    void badSources_data()
    {
        QTest::addColumn<QString>("file");     // below the sources folder
        QTest::addColumn<QString>("refusal");  // after "Load file <path> failed."; "-": added
        QTest::addColumn<QString>("output");   // what it converts to; empty: its conversion fails

        QTest::addRow("empty file") << "empty.avi" << "" << "";
        QTest::addRow("random bytes") << "random.avi" << "" << "";
        QTest::addRow("text named .avi") << "text.avi" << "" << "";
        QTest::addRow("sound only") << "sound-only.avi" << "" << "";
        QTest::addRow("zero-sized frame in the header") << "zero-frame.avi" << "" << "";
        QTest::addRow("huge frame in the header") << "huge-frame.avi" << "" << "";
        QTest::addRow("frame size beyond the data") << "frames-too-small.avi" << "-" << "";
        QTest::addRow("missing file") << "gone.avi" << "" << "";
        QTest::addRow("a folder") << "folder.avi" << "" << "";
        QTest::addRow("first 30%% of a clip") << "truncated.avi" << "-" << "truncated.avi";

        const QString names = QStringLiteral("names/");
        const QString n = sources + "/" + names;
        QTest::addRow("blanks") << names + "with  two blanks .avi" << "-" << "with  two blanks .avi";
        const QString accents = QStringLiteral("Gr\u00fc\u00dfe \u65e5\u672c \u00f1.avi");
        QTest::addRow("non-ASCII letters") << names + accents << "-" << accents;
        QTest::addRow("shell characters") << names + "it's $HOME `id` & ;.avi" << "-" << "it's $HOME `id` & ;.avi";
        QTest::addRow("double quotes") << names + "say \"cheese\".avi"
                                       << QStringLiteral(" Its path holds a double quote (\").") << "";
        QTest::addRow("leading dashes") << names + "--help -o x.avi" << "-" << "--help -o x.avi";
        QTest::addRow("leading dash, option name") << names + "-i.avi" << "-" << "-i.avi";
        const QString p255 = QString(255 - n.toUtf8().size() - 4, 'p') + ".avi";
        QTest::addRow("path of 255 characters") << names + p255 << "-" << p255;
        QTest::addRow("path of 256 characters") << names + QString(256 - n.toUtf8().size() - 4, 'q') + ".avi"
                                                << " Its path is longer than 255 characters." << "";
        QTest::addRow("name of 255 characters") << names + QString(251, 'n') + ".avi"
                                                << " Its path is longer than 255 characters." << "";
    }
    void badSources()
    {
        QFETCH(QString, file);
        QFETCH(QString, refusal);
        QFETCH(QString, output);
        const QString path = sources + "/" + file;
        const QString out = fresh("o");
        ScriptedUi ui;
        Session s(fresh("program"), out + "/");
        QCOMPARE(QString::fromStdString(s.window->context().settings.outputFolder), out + "/");

        s.add({path, good});
        const bool added = refusal == "-";
        if (added) {
            QCOMPARE(ui.messageTexts(), QStringList());
            QCOMPARE(s.rows(), (QStringList{path, good}));
        } else {
            QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Load file %1 failed.%2").arg(path, refusal)});
            QCOMPARE(ui.messages[0].caption, appName());
            QCOMPARE(ui.messages[0].owner, s.window.get());
            QCOMPARE(s.rows(), QStringList{good});
        }
        verifyClean(s, {out});
        ui.messages.clear();

        s.convert();
        QStringList expected;
        if (added && output.isEmpty())
            expected << convertFailed(path);
        expected << kDone;
        QCOMPARE(comparable(ui.messageTexts()), expected);
        for (const auto& m : ui.messages) {
            QCOMPARE(m.caption, appName());
            QCOMPARE(m.owner, s.window.get());
        }
        QStringList outputs{"good.avi"};
        if (added && !output.isEmpty())
            outputs << output;
        outputs.sort();
        QCOMPARE(test::folderEntries(out), outputs);
        verifyClean(s, {out});

        s.end();
        QCOMPARE(s.option("Temporary folder"), out + "/");
    }

    // A folder that cannot take the outputs is named before any encoder
    // runs; one that fills up fails the file being written. Either way the
    // next batch into a good folder works in the same window.
    void outputFolderFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("refusedAtStart");  // else the file fails while written
        QTest::addRow("read-only folder") << "read-only" << true;
        QTest::addRow("names a file") << "file" << true;
        QTest::addRow("below a file") << "below file" << true;
        QTest::addRow("disk fills up") << "full disk" << false;
        QTest::addRow("file-size limit reached") << "size limit" << false;
    }
    void outputFolderFaults()
    {
        QFETCH(QString, fault);
        QFETCH(bool, refusedAtStart);
        QString folder = fresh("o");
        const QString plain = folder + "/plain";
        const QByteArray fileBytes = "not a folder";
        if (fault == "read-only") {
            if (mounts && test::mountTmpfs(folder, "size=1m", true)) {
                mounted << folder;
            } else if (geteuid() != 0) {
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
                readOnly << folder;
            } else if (test::setImmutable(folder, true)) {
                immutable << folder;
            } else {
                QSKIP("running as root without mounts or the immutable attribute: no folder refuses root");
            }
        } else if (fault == "file" || fault == "below file") {
            QVERIFY(writeFile(plain, fileBytes));
            folder = fault == "file" ? plain : plain + "/sub";
        } else if (fault == "full disk") {
            if (!mounts || !test::mountTmpfs(folder, "size=64k", false))
                QSKIP("cannot mount a small file system here; the file-size limit row covers a full disk");
            mounted << folder;
        }
        ScriptedUi ui;
        Session s(fresh("program"), folder);
        s.add({good});
        QCOMPARE(s.rows(), QStringList{good});

        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        if (fault == "size limit") {
            rlimit small = previous;
            small.rlim_cur = 64 * 1024;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        s.convert();
        setrlimit(RLIMIT_FSIZE, &previous);

        if (refusedAtStart) {
            QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Fail to create tmp folder %1").arg(folder)});
        } else {
            QCOMPARE(comparable(ui.messageTexts()), (QStringList{convertFailed(good), kDone}));
        }
        QCOMPARE(ui.messages[0].caption, appName());
        QCOMPARE(ui.messages[0].owner, s.window.get());
        if (fault.endsWith("file"))
            QCOMPARE(readFile(plain), fileBytes);
        else
            QCOMPARE(test::folderEntries(folder), QStringList());
        verifyClean(s, {folder});

        // The same window, a good folder.
        ui.messages.clear();
        const QString out = fresh("o");
        s.setOutputFolder(out);
        s.convert();
        QCOMPARE(comparable(ui.messageTexts()), QStringList{kDone});
        QCOMPARE(test::folderEntries(out), QStringList{"good.avi"});
        verifyClean(s, {out});
        s.end();
        QCOMPARE(s.option("Temporary folder"), out);
    }

    // The encoder killed while it writes, or the window closed then: while
    // ffmpeg runs, or while the encoder waits for the program's answer to a
    // report (ffmpeg then stands stopped).
    void interrupted_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("inReport");
        QTest::addRow("encoder killed while encoding") << "kill" << false;
        QTest::addRow("encoder killed during a report") << "kill" << true;
        QTest::addRow("window closed while encoding") << "close" << false;
        QTest::addRow("window closed during a report") << "close" << true;
    }
    void interrupted()
    {
        QFETCH(QString, action);
        QFETCH(bool, inReport);
        const QString out = fresh("o");
        const QString after = dir.filePath("after/after.avi");
        QVERIFY(writeFile(after, readFile(good)));
        ScriptedUi ui;
        Session s(fresh("program"), out);
        s.window->show();
        s.add({good, longClip, after});
        QCOMPARE(s.rows().size(), 3);
        // A setting changed in this session must survive the interruption.
        auto* format = qobject_cast<QComboBox*>(s.window->control(ids::FormatCombo));
        QVERIFY(format);
        format->setCurrentIndex(FormatDivx);
        s.window->onCommand(ids::FormatCombo);

        int victim = 0;
        // Acts once the long clip's output has data. During a report the
        // encoder waits for the answer; one that is slow in coming stops
        // ffmpeg, the state of a question to the user, so the strike waits
        // for that (a second at most).
        auto strike = [&](bool reporting) {
            if (victim)
                return;
            const auto encoders = test::childrenNaming(longClip);
            if (encoders.isEmpty())
                return;
            bool writing = false;
            for (const QFileInfo& f : QDir(out).entryInfoList({".brantixenc-*.part"}, QDir::Files | QDir::Hidden))
                writing |= f.size() > 0;
            auto workers = test::childrenNaming("ffmpeg", encoders[0].pid);
            // Outside a report ffmpeg must be running; during one it may
            // already be stopped (a slow machine answers after the grace).
            if (!writing || workers.isEmpty() || (!reporting && workers[0].state == 'T'))
                return;
            for (int waited = 0; reporting && waited < 1000 && !workers.isEmpty() && workers[0].state != 'T';
                 waited += 5) {
                QThread::msleep(5);
                workers = test::childrenNaming("ffmpeg", encoders[0].pid);
            }
            victim = encoders[0].pid;
            if (action == "kill")
                ::kill(victim, SIGKILL);
            else
                s.window->close();
        };
        QTimer trigger;
        // The same wiring as the window's own, with the strike before the answer.
        ProgressReporter reporter(s.window->context(), s.window->progressWindow(), s.window.get());
        if (inReport) {
            s.window->encoder().setProgressSink([&](double position) {
                strike(true);
                return reporter.ReportSink(1, position);
            });
        } else {
            QObject::connect(&trigger, &QTimer::timeout, [&] { strike(false); });
            trigger.start(2);
        }
        s.convert();
        trigger.stop();
        QVERIFY2(victim, "the long clip was never caught while it was written");

        verifyClean(s, {out});
        const bool stillShown = s.window->isVisible();
        const int result = s.window->result();
        s.end();
        QCOMPARE(s.option("Temporary folder"), out);
        QCOMPARE(s.option("Output format"), QString::number(FormatDivx));

        if (action == "kill") {
            // Earlier and later files are converted.
            QCOMPARE(comparable(ui.messageTexts()), (QStringList{convertFailed(longClip), kDone}));
            QCOMPARE(test::folderEntries(out), (QStringList{"after.avi", "good.avi"}));
            QVERIFY(stillShown);
        } else {
            QVERIFY(!stillShown);
            QCOMPARE(result, int(QDialog::Rejected));
            // No question and no later file: closing ends the batch.
            QCOMPARE(ui.messageTexts(), QStringList());
            QCOMPARE(test::folderEntries(out), QStringList{"good.avi"});
        }
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
