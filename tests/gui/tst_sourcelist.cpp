// The source list control and adding files, with the stand-in encoder whose
// script is the "video" file itself, and scripted dialogs.

#include <QDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

#include <fstream>
#include <memory>

#include "ScriptedUi.h"
#include "app/AppInfo.h"
#include "encoding/CProgressDlg.h"
#include "encoding/ConversionRun.h"
#include "encoding/EncoderInterface.h"
#include "platform/DialogTemplate.h"
#include "platform/Skin.h"
#include "sources/SourceListPanel.h"
#include "ui/MainWindowIds.h"

using namespace quelvo;

namespace {

const ControlTemplate kControls[] = {
    {ids::SourceListView, ControlKind::ListView, nullptr, 15, 55, 384, 163,
     StyleTabStop | StyleBorder | StyleSingleSelect},
    {ids::OutputFolderEdit, ControlKind::Edit, nullptr, 78, 228, 263, 12, StyleTabStop},
};
const DialogTemplate kTemplate = {1, "Quelvo", 429, 285, "MS Sans Serif", 8, DialogNone, kControls};

// What a probe of a clip reports.
struct Clip {
    QString name;
    int seconds;
    int width;
    int height;
    int rateTimes1e7;
};

QString probeScript(const Clip& c)
{
    return QStringLiteral("[probe]\nreport 1 %1\nreport 2 %2\nreport 3 %3\nreport 4 %4\n")
        .arg(c.seconds)
        .arg(c.width)
        .arg(c.height)
        .arg(c.rateTimes1e7);
}

// A main window stand-in holding list control 1006, the panel and an
// encoder interface that runs the stand-in encoder.
struct Harness {
    ConverterContext ctx;
    QDialog window;
    QTreeWidget* list = nullptr;
    QLineEdit* edit = nullptr;
    std::unique_ptr<EncoderInterface> encoder;
    std::unique_ptr<SourceListPanel> panel;

    explicit Harness(const QString& outputFolder)
    {
        buildDialog(&window, kTemplate);
        list = control<QTreeWidget>(&window, ids::SourceListView);
        edit = control<QLineEdit>(&window, ids::OutputFolderEdit);
        ctx.settings.outputFolder = outputFolder.toStdString() + "/";
        encoder = std::make_unique<EncoderInterface>(ctx, &window);
        encoder->setEncoderPath(QUELVO_TEST_BIN "/test_encoder");
        panel = std::make_unique<SourceListPanel>(ctx, list, *encoder, &window);
    }

    // A row whose probe reported these values, without an encoder run.
    void addRow(const Clip& c)
    {
        SourceList& s = ctx.sources;
        s.durationSeconds[s.count] = c.seconds;
        s.frameWidth[s.count] = c.width;
        s.frameHeight[s.count] = c.height;
        s.frameRate[s.count] = c.rateTimes1e7 * 0.0000001;
        panel->AppendRow(c.name);
    }

    QStringList column(int c) const
    {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(c);
        return out;
    }
    int selectedRow() const
    {
        const auto items = list->selectedItems();
        return items.size() == 1 ? list->indexOfTopLevelItem(items.first()) : (items.isEmpty() ? -1 : -2);
    }

    // Every row's control texts agree with the tables, and the sum holds.
    void verifyConsistent() const
    {
        const SourceList& s = ctx.sources;
        QCOMPARE(list->topLevelItemCount(), s.count);
        double sum = 0;
        for (int i = 0; i < s.count; ++i) {
            QTreeWidgetItem* item = list->topLevelItem(i);
            QCOMPARE(item->text(0), QStringLiteral("          %1").arg(i + 1));
            QCOMPARE(item->text(1), QString::fromStdString(s.path[i]));
            QCOMPARE(item->text(2),
                     QString::fromStdString(TimeText(static_cast<long long>(s.durationSeconds[i]))));
            sum += s.durationSeconds[i];
        }
        QCOMPARE(s.totalDuration, sum);
    }
};

// Rows A..D with values that tell them apart.
const Clip kRows[] = {
    {"/v/a.avi", 10, 100, 110, 100000000},
    {"/v/b.avi", 20, 200, 220, 200000000},
    {"/v/c.avi", 30, 300, 330, 300000000},
    {"/v/d.avi", 40, 400, 440, 400000000},
};

}  // namespace

class TestSourceList : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString logPath;

    QString clipFile(const Clip& c)
    {
        const QString path = dir.filePath(c.name);
        std::ofstream(path.toStdString()) << probeScript(c).toStdString();
        return path;
    }
    QString scriptFile(const QString& name, const QString& text)
    {
        const QString path = dir.filePath(name);
        std::ofstream(path.toStdString()) << text.toStdString();
        return path;
    }
    // The files the stand-in encoder was started for, in order.
    QStringList probedFiles()
    {
        QFile f(logPath);
        QStringList out;
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
            if (!line.startsWith("args \""))
                continue;
            out << line.mid(6, line.indexOf('"', 6) - 6);
            if (!line.contains(QRegularExpression(" -endpos 9:0:0 1 \\d+$")))
                out.last() += " (not a probe)";
        }
        return out;
    }

private slots:
    void init()
    {
        logPath = dir.filePath("log.txt");
        QFile::remove(logPath);
        qputenv("TEST_ENCODER_LOG", logPath.toUtf8());
    }

    void columnsAndModes()
    {
        Harness h(dir.path());
        const QTreeWidgetItem* header = h.list->headerItem();
        QCOMPARE(h.list->columnCount(), 3);
        const QString texts[] = {" Number", "  File path", "   Duration"};
        const int widths[] = {90, 360, 122};
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(header->text(c), texts[c]);
            QCOMPARE(h.list->columnWidth(c), widths[c]);
            QCOMPARE(header->textAlignment(c) & Qt::AlignHorizontal_Mask,
                     c == 2 ? int(Qt::AlignHCenter) : int(Qt::AlignLeft));
        }
        QCOMPARE(h.list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(h.list->selectionBehavior(), QAbstractItemView::SelectRows);
    }

    void appendedRowTexts_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::addRow("zero") << 0.0 << "00:00:00";
        QTest::addRow("3725 s") << 3725.0 << "01:02:05";
        QTest::addRow("100 hours") << 360000.0 << "100:00:00";
        QTest::addRow("truncated") << 59.9 << "00:00:59";
    }
    void appendedRowTexts()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        Harness h(dir.path());
        h.addRow(kRows[0]);
        h.ctx.sources.durationSeconds[1] = seconds;
        h.panel->AppendRow("/v/x y.avi");
        QCOMPARE(h.column(0), (QStringList{"          1", "          2"}));
        QCOMPARE(h.column(1), (QStringList{"/v/a.avi", "/v/x y.avi"}));
        QCOMPARE(h.column(2)[1], text);
        QCOMPARE(h.list->topLevelItem(1)->textAlignment(2) & Qt::AlignHorizontal_Mask, int(Qt::AlignHCenter));
        QCOMPARE(h.ctx.sources.totalDuration, 10.0 + seconds);
        QCOMPARE(h.selectedRow(), -1);  // a new row is not selected
    }

    void rowCommands_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("selected");  // -1: none
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("order");  // rows by letter afterwards
        QTest::addColumn<int>("selectedAfter");
        QTest::addColumn<bool>("listFocused");
        QTest::addColumn<QString>("warning");

        QTest::addRow("remove 2 of 4") << 4 << 1 << "remove" << "acd" << 1 << true << "";
        QTest::addRow("remove first") << 4 << 0 << "remove" << "bcd" << 0 << true << "";
        QTest::addRow("remove last") << 4 << 3 << "remove" << "abc" << -1 << false << "";
        QTest::addRow("remove only row") << 1 << 0 << "remove" << "" << -1 << false << "";
        QTest::addRow("remove unselected") << 4 << -1 << "remove" << "abcd" << -1 << false << "";
        QTest::addRow("up") << 4 << 2 << "up" << "acbd" << 1 << true << "";
        QTest::addRow("up at top") << 4 << 0 << "up" << "abcd" << 0 << true << "";
        QTest::addRow("down") << 4 << 1 << "down" << "acbd" << 2 << true << "";
        QTest::addRow("down at bottom") << 4 << 3 << "down" << "abcd" << 3 << true << "";
        QTest::addRow("up unselected") << 2 << -1 << "up" << "ab" << -1 << false << "No item was selected!";
        QTest::addRow("down unselected") << 4 << -1 << "down" << "abcd" << -1 << false << "No item was selected!";
        QTest::addRow("up with one row") << 1 << -1 << "up" << "a" << -1 << false << "";
        QTest::addRow("down with one row") << 1 << 0 << "down" << "a" << 0 << false << "";
    }
    void rowCommands()
    {
        QFETCH(int, rows);
        QFETCH(int, selected);
        QFETCH(QString, command);
        QFETCH(QString, order);
        QFETCH(int, selectedAfter);
        QFETCH(bool, listFocused);
        QFETCH(QString, warning);

        test::ScriptedUi ui;
        Harness h(dir.path());
        for (int i = 0; i < rows; ++i)
            h.addRow(kRows[i]);
        if (selected >= 0)
            h.list->topLevelItem(selected)->setSelected(true);
        h.edit->setFocus();

        if (command == "remove")
            h.panel->RemoveSelected();
        else if (command == "up")
            h.panel->MoveSelectedUp();
        else
            h.panel->MoveSelectedDown();

        // Each row's path, duration, frame size and rate moved together.
        QCOMPARE(h.ctx.sources.count, order.size());
        for (int i = 0; i < order.size(); ++i) {
            const Clip& c = kRows[order[i].toLatin1() - 'a'];
            QCOMPARE(QString::fromStdString(h.ctx.sources.path[i]), c.name);
            QCOMPARE(h.ctx.sources.durationSeconds[i], double(c.seconds));
            QCOMPARE(h.ctx.sources.frameWidth[i], c.width);
            QCOMPARE(h.ctx.sources.frameHeight[i], c.height);
            QCOMPARE(h.ctx.sources.frameRate[i], c.rateTimes1e7 * 0.0000001);
        }
        h.verifyConsistent();
        QCOMPARE(h.selectedRow(), selectedAfter);
        const bool swapped = command != "remove" && order != QStringLiteral("abcd").left(rows);
        if (swapped)
            QCOMPARE(h.list->currentItem(), h.list->topLevelItem(selectedAfter));
        QCOMPARE(h.window.focusWidget() == h.list, listFocused);
        if (warning.isEmpty()) {
            QCOMPARE(ui.messages.size(), size_t(0));
        } else {
            QCOMPARE(ui.messages.size(), size_t(1));
            QCOMPARE(ui.messages[0].text, warning);
            QCOMPARE(ui.messages[0].caption, QStringLiteral("Warning"));
            QCOMPARE(ui.messages[0].buttons, MessageButtons::Ok);
            QCOMPARE(ui.messages[0].owner, &h.window);
        }
    }

    void listMenu()
    {
        test::ScriptedUi ui;
        Harness h(dir.path());
        clearSkinCallLog();
        ui.menuAnswers = {ids::MenuMoveUp, 0};
        QCOMPARE(h.panel->ShowListMenu(QPoint(-1, -1)), int(ids::MenuMoveUp));
        QCOMPARE(h.panel->ShowListMenu(QPoint(40, 50)), 0);
        QCOMPARE(ui.popups.size(), size_t(2));
        QCOMPARE(ui.popupItems[0], (std::vector<int>{ids::MenuAddFiles, ids::MenuRemove, ids::MenuMoveUp,
                                                     ids::MenuMoveDown}));
        QCOMPARE(ui.popups[0].menu->id, int(ids::ListMenu));
        QCOMPARE(ui.popups[0].owner, &h.window);
        QCOMPARE(ui.popups[0].screenPos, h.window.mapToGlobal(QPoint(5, 5)));
        QCOMPARE(ui.popups[1].screenPos, QPoint(40, 50));
        QCOMPARE(skinCallLog(), (std::vector<int>{13, 13}));
        const QStringList texts = {"Add video files to list", "Remove video file from list", "Move up",
                                   "Move down"};
        for (size_t i = 0; i < sourceListMenu().items.size(); ++i)
            QCOMPARE(QString::fromUtf8(sourceListMenu().items[i].text), texts[int(i)]);
    }

    void addFilesDialog()
    {
        test::ScriptedUi ui;
        Harness h(dir.path());
        const QString a = clipFile({"one.avi", 60, 640, 480, 250000000});
        const QString b = clipFile({"two.mpg", 0, 320, 240, 250000000});  // duration 0 fails
        const QString c = clipFile({"three.wmv", 3725, 352, 288, 299700300});
        ui.fileAnswers = {QStringList{a, b, c}, std::nullopt};

        h.panel->AddFiles();

        QCOMPARE(ui.fileRequests.size(), size_t(1));
        const FileOpenRequest& r = ui.fileRequests[0];
        QCOMPARE(r.title, QStringLiteral("Import video files"));
        QVERIFY(r.multiSelect);
        QCOMPARE(r.selectedFilter, 0);
        QCOMPARE(r.owner, &h.window);
        const QStringList filters[] = {
            {"All support files", "*.avi;*.divx;*.div;*.xvid;*.mpeg;*.mpg;*.wmv;*.asf;*.asx"},
            {"AVI file (*.AVI,*.DivX,*.div,*.Xvid)", "*.avi;*.divx;*.div;*.xvid"},
            {"MPEG file (*.MPEG,*.MPG,*.DAT)", "*.mpeg;*.mpg;*.dat"},
            {"WMV file (*.WMV,*.ASF,*.ASX)", "*.wmv;*.asf;*.asx"},
        };
        QCOMPARE(ui.fileFilters[0].size(), size_t(4));
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(ui.fileFilters[0][i].description, filters[i][0]);
            QCOMPARE(ui.fileFilters[0][i].patterns, filters[i][1]);
        }

        QCOMPARE(probedFiles(), (QStringList{a, b, c}));
        QCOMPARE(h.column(1), (QStringList{a, c}));
        QCOMPARE(h.column(2), (QStringList{"00:01:00", "01:02:05"}));
        QCOMPARE(h.ctx.sources.frameWidth[1], 352);
        QCOMPARE(h.ctx.sources.frameHeight[1], 288);
        QCOMPARE(h.ctx.sources.frameRate[1], 299700300 * 0.0000001);
        h.verifyConsistent();
        QCOMPARE(ui.messages.size(), size_t(1));
        QCOMPARE(ui.messages[0].text, QStringLiteral("Load file %1 failed.").arg(b));
        QCOMPARE(ui.messages[0].caption, QString::fromStdString(ApplicationName()));
        QCOMPARE(ui.messages[0].buttons, MessageButtons::Ok);
        QCOMPARE(ui.messages[0].owner, &h.window);
        QVERIFY(!h.panel->busy());

        // A cancelled dialog changes and reports nothing.
        h.panel->AddFiles();
        QCOMPARE(ui.fileRequests.size(), size_t(2));
        QCOMPARE(h.ctx.sources.count, 2);
        QCOMPARE(ui.messages.size(), size_t(1));
        QCOMPARE(probedFiles().size(), 3);
    }

    void pathsAndRefusals_data()
    {
        QTest::addColumn<QStringList>("names");    // files chosen, in order
        QTest::addColumn<QStringList>("added");    // of those, the rows made
        QTest::addColumn<QStringList>("reasons");  // per message: "probe", "long", "quote"
        QTest::addColumn<QStringList>("refused");  // the file each message names

        const QString longName = QString(240, 'l') + ".avi";
        QTest::addRow("odd names work")
            << QStringList{"my clip.avi", "été ü ß.avi", "it's.avi", "[a] (b) {c}.avi", "-o evil.avi",
                           "--help", "a;b&c$d`e.avi"}
            << QStringList{"my clip.avi", "été ü ß.avi", "it's.avi", "[a] (b) {c}.avi", "-o evil.avi",
                           "--help", "a;b&c$d`e.avi"}
            << QStringList{} << QStringList{};
        QTest::addRow("same file twice")
            << QStringList{"twice.avi", "twice.avi"} << QStringList{"twice.avi", "twice.avi"}
            << QStringList{} << QStringList{};
        QTest::addRow("quote and length refused in order")
            << QStringList{"ok1.avi", "say \"hi\" -y.avi", "fails.avi", longName, "ok2.avi"}
            << QStringList{"ok1.avi", "ok2.avi"} << QStringList{"quote", "probe", "long"}
            << QStringList{"say \"hi\" -y.avi", "fails.avi", longName};
    }
    void pathsAndRefusals()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, added);
        QFETCH(QStringList, reasons);
        QFETCH(QStringList, refused);

        test::ScriptedUi ui;
        Harness h(dir.path());
        QStringList paths;
        QMap<QString, int> durationOf;
        for (const QString& name : names) {
            // Each file reports its own duration: a path that reached the
            // encoder mangled would show up as a wrong duration.
            const int duration = name == "fails.avi" ? -1 : int(durationOf.size()) + 1;
            durationOf[name] = duration;
            paths << scriptFile(name, probeScript({name, duration, 64, 48, 250000000}));
        }
        h.panel->addPaths(paths);

        QCOMPARE(h.ctx.sources.count, added.size());
        for (int i = 0; i < added.size(); ++i) {
            QCOMPARE(QString::fromStdString(h.ctx.sources.path[i]), dir.filePath(added[i]));
            QCOMPARE(h.ctx.sources.durationSeconds[i], double(durationOf[added[i]]));
        }
        h.verifyConsistent();
        QStringList probed;
        for (const QString& p : paths)
            if (!p.contains('"') && p.toUtf8().size() <= 255)
                probed << p;
        QCOMPARE(probedFiles(), probed);

        QCOMPARE(ui.messages.size(), size_t(reasons.size()));
        for (int i = 0; i < reasons.size(); ++i) {
            const QString path = dir.filePath(refused[i]);
            const QString head = QStringLiteral("Load file %1 failed.").arg(path);
            const QString& text = ui.messages[i].text;
            if (reasons[i] == "probe")
                QCOMPARE(text, head);
            else
                QVERIFY2(text.startsWith(head) && text.contains(reasons[i] == "long" ? "255" : "double quote"),
                         qPrintable(text));
            QCOMPARE(ui.messages[i].caption, QString::fromStdString(ApplicationName()));
            QCOMPARE(ui.messages[i].owner, &h.window);
        }
    }

    void capacity()
    {
        test::ScriptedUi ui;
        Harness h(dir.path());
        for (int i = 0; i < 97; ++i)
            h.addRow({QStringLiteral("/v/%1.avi").arg(i), 1, 8, 8, 250000000});
        const QString quote = scriptFile("q\"uote.avi", "");
        QStringList paths;
        for (int i = 0; i < 4; ++i)
            paths << clipFile({QStringLiteral("more%1.avi").arg(i), 2, 8, 8, 250000000});
        paths.insert(3, quote);

        h.panel->addPaths(paths);

        QCOMPARE(h.ctx.sources.count, 99);
        QCOMPARE(h.column(1).mid(97), paths.mid(0, 2));
        QCOMPARE(probedFiles(), paths.mid(0, 2));
        h.verifyConsistent();
        QCOMPARE(ui.messages.size(), size_t(2));
        QVERIFY(ui.messages[0].text.startsWith(QStringLiteral("Load file %1 failed.").arg(quote)));
        QCOMPARE(ui.messages[1].text,
                 QStringLiteral("2 files were not added: the list holds at most 99 files."));
        QCOMPARE(ui.messages[1].caption, QString::fromStdString(ApplicationName()));

        ui.messages.clear();
        h.panel->addPaths({paths[2]});
        QCOMPARE(ui.messageTexts(),
                 QStringList{"1 file was not added: the list holds at most 99 files."});
    }

    void stagingSlotKeepsUnreportedValues()
    {
        test::ScriptedUi ui;
        Harness h(dir.path());
        const QString silent = scriptFile("silent.avi", "[convert]\nexit 0\n");
        const QString known = clipFile({"known.avi", 125, 720, 576, 250000000});
        const QString widthOnly = scriptFile("width.avi", "[probe]\nreport 2 1920\n");

        h.panel->addPaths({silent});  // never-used slot: zeros
        QCOMPARE(h.column(2), QStringList{"00:00:00"});
        QCOMPARE(h.ctx.sources.frameWidth[0], 0);

        h.panel->addPaths({known});
        h.list->topLevelItem(1)->setSelected(true);
        h.panel->RemoveSelected();
        // The slot still holds the removed row's values.
        h.panel->addPaths({widthOnly, silent});
        QCOMPARE(h.column(1), (QStringList{silent, widthOnly, silent}));
        QCOMPARE(h.column(2), (QStringList{"00:00:00", "00:02:05", "00:00:00"}));
        QCOMPARE(h.ctx.sources.frameWidth[1], 1920);
        QCOMPARE(h.ctx.sources.frameHeight[1], 576);
        QCOMPARE(h.ctx.sources.frameRate[1], 25.0);
        h.verifyConsistent();
        QVERIFY(ui.messages.empty());
    }

    void commandsIgnoredWhileProbing()
    {
        test::ScriptedUi ui;
        Harness h(dir.path());
        h.addRow(kRows[0]);
        h.addRow(kRows[1]);
        h.list->topLevelItem(1)->setSelected(true);
        CProgressDlg progress(&h.window);
        ConversionRun run(h.ctx, *h.encoder, progress, &h.window, [&] { return QString(dir.path()); });
        // The first report holds the encoder until the program answers, so
        // the timer fires while the probe is running.
        const QString slow = clipFile({"slow.avi", 7, 64, 48, 250000000});
        const QString other = clipFile({"other.avi", 9, 64, 48, 250000000});

        bool sawBusy = false;
        Qt::CursorShape cursor = Qt::ArrowCursor;
        QTimer::singleShot(0, [&] {
            sawBusy = h.panel->busy();
            if (QCursor* c = QGuiApplication::overrideCursor())
                cursor = c->shape();
            h.panel->RemoveSelected();
            h.panel->MoveSelectedUp();
            h.panel->MoveSelectedDown();
            h.panel->AddFiles();
            h.panel->addPaths({other});
            run.ConvertAll();
        });
        h.panel->addPaths({slow});

        QVERIFY(sawBusy);
        QCOMPARE(cursor, Qt::WaitCursor);
        QVERIFY(!h.panel->busy());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(h.column(1), (QStringList{"/v/a.avi", "/v/b.avi", slow}));
        QCOMPARE(h.ctx.sources.durationSeconds[2], 7.0);
        QCOMPARE(h.selectedRow(), 1);
        QVERIFY(ui.fileRequests.empty());
        QVERIFY(ui.messages.empty());
        QVERIFY(!progress.isVisible());
        QCOMPARE(probedFiles(), QStringList{slow});
        h.verifyConsistent();
    }

    void droppedFilesTakeTheSamePath()
    {
        test::ScriptedUi ui;
        Harness h(dir.path());
        const QString good = clipFile({"dropped.avi", 42, 64, 48, 250000000});
        const QString bad = clipFile({"broken.avi", 0, 64, 48, 250000000});
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(good), QUrl::fromLocalFile(bad), QUrl("https://example.org/x.avi")});
        QWidget* target = h.list->viewport();

        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(h.ctx.sources.count, 0);  // probing starts once the drop is answered
        QCoreApplication::processEvents();

        QCOMPARE(h.column(1), QStringList{good});
        QCOMPARE(h.column(2), QStringList{"00:00:42"});
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Load file %1 failed.").arg(bad)});

        QMimeData text;
        text.setText("not a file");
        QDragEnterEvent plain(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &plain);
        QVERIFY(!plain.isAccepted());
    }

    // The real encoder on clips made by ffmpeg.
    void realEncoderFindsDurations()
    {
        const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
        if (ffmpeg.isEmpty())
            QSKIP("ffmpeg is not installed");
        const QString encoder = QUELVO_BIN_DIR "/Brantixenc";
        QVERIFY2(QFile::exists(encoder), "Brantixenc is not built");
        struct Made {
            QString name;
            int seconds;
            QString size;
            int rate;
        };
        const Made made[] = {{"two s.avi", 2, "320x240", 25}, {"drei sekunden.mpg", 3, "352x288", 30}};
        QStringList paths;
        for (const Made& m : made) {
            const QString path = dir.filePath(m.name);
            QFile::remove(path);
            QProcess p;
            p.start(ffmpeg, {"-v", "error", "-f", "lavfi", "-i",
                             QStringLiteral("testsrc=duration=%1:size=%2:rate=%3").arg(m.seconds).arg(m.size).arg(m.rate),
                             "-f", "lavfi", "-i", QStringLiteral("sine=duration=%1").arg(m.seconds), "-shortest",
                             path});
            QVERIFY(p.waitForFinished(120000));
            QCOMPARE(p.exitCode(), 0);
            paths << path;
        }
        test::ScriptedUi ui;
        Harness h(dir.path());
        h.encoder->setEncoderPath(encoder.toStdString());
        ui.fileAnswers = {paths};
        h.panel->AddFiles();

        QVERIFY2(ui.messages.empty(), qPrintable(ui.messageTexts().join('\n')));
        QCOMPARE(h.column(1), paths);
        QCOMPARE(h.column(2), (QStringList{"00:00:02", "00:00:03"}));
        QCOMPARE(h.ctx.sources.frameWidth[0], 320);
        QCOMPARE(h.ctx.sources.frameHeight[1], 288);
        QVERIFY(qAbs(h.ctx.sources.frameRate[1] - 30.0) < 0.01);
        QCOMPARE(h.ctx.sources.totalDuration, 5.0);
    }
};

QTEST_MAIN(TestSourceList)
#include "tst_sourcelist.moc"
