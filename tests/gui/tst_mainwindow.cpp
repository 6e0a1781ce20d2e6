// The main window: command routing, quick settings, output folder, settings
// saved once when it closes.

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <fstream>

#include "ScriptedUi.h"
#include "encoding/CProgressDlg.h"
#include "platform/ProfileFile.h"
#include "platform/Skin.h"
#include "settings/OutputSettings.h"
#include "sources/SourceListPanel.h"
#include "ui/CConverterDlg.h"
#include "ui/MainWindowIds.h"

using namespace quelvo;

namespace {
std::string optionFile(const QTemporaryDir& dir)
{
    return dir.filePath("option.ini").toStdString();
}

// Closes whatever modal dialog opens next, recording its title.
void closeNextModal(QString* title, bool accept = false)
{
    QTimer::singleShot(0, [=] {
        if (auto* w = QApplication::activeModalWidget()) {
            *title = w->windowTitle();
            if (auto* d = qobject_cast<QDialog*>(w))
                accept ? d->accept() : d->reject();
        }
    });
}
}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QDir::tempPath().toUtf8() + "/quelvo-mw-config"); }

    void commandTableRoutesEveryId_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("effect");
        for (int id : {ids::Add, ids::SmallAdd, ids::MenuAddFiles})
            QTest::addRow("add %d", id) << id << "file dialog";
        for (int id : {ids::Convert, ids::ConvertButton})
            QTest::addRow("convert %d", id) << id << "No file in the list";
        for (int id : {ids::SmallUp, ids::MenuMoveUp, ids::SmallDown, ids::MenuMoveDown})
            QTest::addRow("move %d", id) << id << "No item was selected!";
        for (int id : {ids::SmallRemove, ids::MenuRemove})
            QTest::addRow("remove %d", id) << id << "row removed";
        QTest::addRow("change folder") << int(ids::ChangeFolder) << "folder chooser";
        QTest::addRow("help") << int(ids::Help) << "help popup";
        for (int id : {ids::Settings, ids::SettingsButton})
            QTest::addRow("settings %d", id) << id << "Output Settings";
        QTest::addRow("about") << int(ids::HelpAbout) << "About Quelvo";
        QTest::addRow("tip") << int(ids::HelpTipOfTheDay) << "Tip of the Day";
    }
    void commandTableRoutesEveryId()
    {
        QFETCH(int, id);
        QFETCH(QString, effect);
        QTemporaryDir dir;
        test::ScriptedUi ui;
        CConverterDlg w(nullptr, dir.path().toStdString() + "/");
        auto& ctx = w.context();
        // Two rows, none selected, so the moves warn and a remove has a target.
        for (int i = 0; i < 2; ++i) {
            ctx.sources.durationSeconds[ctx.sources.count] = 10;
            w.sourceList().AppendRow(QStringLiteral("/v/clip%1.avi").arg(i));
        }
        auto* list = qobject_cast<QTreeWidget*>(w.control(ids::SourceListView));
        if (effect == "row removed")
            list->setCurrentItem(list->topLevelItem(0));
        if (effect == "No file in the list") {
            list->setCurrentItem(list->topLevelItem(0));
            w.onCommand(ids::SmallRemove);
            list->setCurrentItem(list->topLevelItem(0));
            w.onCommand(ids::SmallRemove);
        }
        QString modalTitle;
        if (effect == "Output Settings" || effect == "About Quelvo" || effect == "Tip of the Day")
            closeNextModal(&modalTitle);

        QVERIFY(w.onCommand(id));

        if (effect == "file dialog") {
            QCOMPARE(ui.fileRequests.size(), size_t(1));
        } else if (effect == "folder chooser") {
            QCOMPARE(ui.folderRequests.size(), size_t(1));
        } else if (effect == "help popup") {
            QCOMPARE(ui.popups.size(), size_t(1));
            QCOMPARE(ui.popupItems[0], (std::vector<int>{ids::HelpContent, 0, ids::HelpAbout,
                                                         ids::HelpHomePage, ids::HelpTipOfTheDay}));
        } else if (effect == "row removed") {
            QCOMPARE(ctx.sources.count, 1);
        } else if (effect == "Output Settings" || effect == "About Quelvo" || effect == "Tip of the Day") {
            QCOMPARE(modalTitle, effect);
        } else {
            QCOMPARE(ui.messageTexts(), QStringList{effect});
        }
    }

    void helpMenuChoiceIsRoutedAsACommand()
    {
        QTemporaryDir dir;
        test::ScriptedUi ui;
        ui.menuAnswers = {ids::HelpAbout};
        CConverterDlg w(nullptr, dir.path().toStdString() + "/");
        QString title;
        closeNextModal(&title);
        w.onCommand(ids::Help);
        QCOMPARE(title, QStringLiteral("About Quelvo"));
    }

    void systemMenuAboutOpensTheAboutBox()
    {
        QTemporaryDir dir;
        test::ScriptedUi ui;
        CConverterDlg w(nullptr, dir.path().toStdString() + "/");
        QString title;
        closeNextModal(&title);
        w.onSysCommand(ids::SysAbout | 0x3);  // low four bits are the system's
        QCOMPARE(title, QStringLiteral("About Quelvo"));
        title.clear();
        w.onSysCommand(0xF020);  // minimise: default handling, no About box
        QCOMPARE(title, QString());

        // The window's own menu (right click on its face) carries the entry.
        ui.menuAnswers = {ids::SysAbout};
        closeNextModal(&title);
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), w.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&w, &click);
        QCOMPARE(title, QStringLiteral("About Quelvo"));
        QCOMPARE(ui.popupItems.back(), std::vector<int>{ids::SysAbout});
        QCOMPARE(QString::fromUtf8(ui.popups.back().menu->items[0].text), QStringLiteral("&About Quelvo..."));
    }

    void quickSettings_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("aspectItems");
        QTest::addColumn<int>("aspectSelection");
        QTest::addColumn<bool>("aspectEnabled");
        QTest::addColumn<bool>("tvEnabled");
        const QStringList four = {"1:1    (PC VAG)", "4:3    (Standard TV)", "16:9   (Wide screen TV)",
                                  "2.21:1 (CinemaScope movie)"};
        const QStringList two = {"4:3    (Standard TV)", "16:9   (Wide screen TV)"};
        // Stored: mpegAspectRatio 3, dvdAspectRatio 0, tvMode 1 (PAL).
        QTest::newRow("AVI") << 0 << two << 0 << false << false;
        QTest::newRow("MPEG1") << 1 << four << 3 << true << false;
        QTest::newRow("MPEG2") << 2 << four << 3 << true << false;
        QTest::newRow("VCD") << 5 << two << 0 << true << true;
        QTest::newRow("DVD") << 7 << two << 0 << true << true;
        QTest::newRow("WMV") << 8 << two << 0 << false << false;
        QTest::newRow("ASF") << 9 << two << 0 << false << false;
    }
    void quickSettings()
    {
        QFETCH(int, format);
        QTemporaryDir dir;
        test::ScriptedUi ui;
        CConverterDlg w(nullptr, dir.path().toStdString() + "/");
        w.context().settings.mpegAspectRatio = 3;
        w.context().settings.dvdAspectRatio = 0;
        w.context().settings.tvMode = 1;
        auto* formatCombo = qobject_cast<QComboBox*>(w.control(ids::FormatCombo));
        auto* tv = qobject_cast<QComboBox*>(w.control(ids::TvModeCombo));
        auto* aspect = qobject_cast<QComboBox*>(w.control(ids::AspectCombo));
        formatCombo->setCurrentIndex(format);
        w.onCommand(ids::FormatCombo);
        QCOMPARE(w.context().settings.outputFormat, format);
        QStringList items;
        for (int i = 0; i < aspect->count(); ++i)
            items << aspect->itemText(i);
        QTEST(items, "aspectItems");
        QTEST(aspect->currentIndex(), "aspectSelection");
        QTEST(aspect->isEnabled(), "aspectEnabled");
        QTEST(tv->isEnabled(), "tvEnabled");
        QCOMPARE(tv->currentText(), QStringLiteral("PAL"));  // shown even when disabled

        // Choosing an aspect stores it in the family's field.
        aspect->setCurrentIndex(1);
        w.onCommand(ids::AspectCombo);
        const bool mpeg = format == 1 || format == 2;
        QCOMPARE(mpeg ? w.context().settings.mpegAspectRatio : w.context().settings.dvdAspectRatio, 1);
        tv->setCurrentIndex(0);
        w.onCommand(ids::TvModeCombo);
        QCOMPARE(w.context().settings.tvMode, 0);
    }

    void startsFromTheOptionFile()
    {
        QTemporaryDir dir;
        std::ofstream(optionFile(dir)) << "[Destinate]\nOutput format=7\nTV mode=1\nDVD aspect ratio=0\n"
                                          "Temporary folder=/data/out/\n";
        test::ScriptedUi ui;
        CConverterDlg w(nullptr, dir.path().toStdString() + "/");
        QCOMPARE(qobject_cast<QComboBox*>(w.control(ids::FormatCombo))->currentIndex(), 7);
        QCOMPARE(qobject_cast<QComboBox*>(w.control(ids::TvModeCombo))->currentIndex(), 1);
        QVERIFY(w.control(ids::TvModeCombo)->isEnabled());
        QCOMPARE(qobject_cast<QLineEdit*>(w.control(ids::OutputFolderEdit))->text(), QStringLiteral("/data/out/"));
        QCOMPARE(w.context().params.targetWidth, 320);
        QCOMPARE(w.context().params.targetHeight, 240);
        QCOMPARE(qobject_cast<QComboBox*>(w.control(ids::FormatCombo))->count(), 10);
        QCOMPARE(qobject_cast<QComboBox*>(w.control(ids::FormatCombo))->itemText(9),
                 QStringLiteral("ASF Format (*.ASF)"));
    }

    void chosenFolderGetsTrailingSeparatorTypedFolderIsNotStored()
    {
        QTemporaryDir dir;
        test::ScriptedUi ui;
        {
            CConverterDlg w(nullptr, dir.path().toStdString() + "/");
            auto* edit = qobject_cast<QLineEdit*>(w.control(ids::OutputFolderEdit));
            ui.folderAnswers = {QStringLiteral("/home/u/Videos"), std::nullopt};
            w.onCommand(ids::ChangeFolder);
            QCOMPARE(edit->text(), QStringLiteral("/home/u/Videos/"));
            QCOMPARE(w.context().settings.outputFolder, std::string("/home/u/Videos/"));
            QCOMPARE(ui.folderRequests[0].title, QStringLiteral("Select a temporary folder"));
            // Cancelled chooser: nothing changes.
            w.onCommand(ids::ChangeFolder);
            QCOMPARE(edit->text(), QStringLiteral("/home/u/Videos/"));
            // The root stays as it is.
            ui.folderAnswers = {QStringLiteral("/")};
            w.onCommand(ids::ChangeFolder);
            QCOMPARE(edit->text(), QStringLiteral("/"));
            // A typed folder is only text until a conversion or "Change".
            edit->setText("/typed/only/");
            QTest::keyClick(&w, Qt::Key_Escape);
            QCOMPARE(w.result(), int(QDialog::Rejected));
        }
        QCOMPARE(readProfileString(optionFile(dir), "Destinate", "Temporary folder", "?"), std::string("/"));
    }

    void settingsAreSavedOnceWhenTheWindowCloses()
    {
        QTemporaryDir dir;
        test::ScriptedUi ui;
        auto* w = new CConverterDlg(nullptr, dir.path().toStdString() + "/");
        w->context().settings.volume = 33;
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(!QFile::exists(dir.filePath("option.ini")));  // nothing written while it runs
        w->saveSettings();
        w->saveSettings();
        QCOMPARE(w->settingsSaves(), 1);
        delete w;
        QCOMPARE(readProfileInt(optionFile(dir), "Destinate", "Volume", 0), 33);
    }

    void cancelledSettingsDialogLeavesQuickSettings()
    {
        QTemporaryDir dir;
        test::ScriptedUi ui;
        CConverterDlg w(nullptr, dir.path().toStdString() + "/");
        const OutputSettings before = w.context().settings;
        QString title;
        closeNextModal(&title);
        w.onCommand(ids::Settings);
        QCOMPARE(title, QStringLiteral("Output Settings"));
        QVERIFY(w.context().settings == before);
        QCOMPARE(qobject_cast<QComboBox*>(w.control(ids::FormatCombo))->currentIndex(), before.outputFormat);
    }

    // Closing while files are being probed ends the add at once: the file
    // being probed is not added, the rest are not probed, nothing is said.
    void closingDuringAnAddStopsIt()
    {
        QTemporaryDir dir;
        test::ScriptedUi ui;
        const QString log = dir.filePath("log.txt");
        qputenv("TEST_ENCODER_LOG", log.toUtf8());
        QStringList files;
        for (const char* name : {"a.avi", "b.avi", "c.avi"}) {
            files << dir.filePath(name);
            std::ofstream(files.last().toStdString()) << "report 1 60\nsleep 2000\n";
        }
        CConverterDlg w(nullptr, dir.path().toStdString() + "/");
        w.encoder().setEncoderPath(QUELVO_TEST_BIN "/test_encoder");
        w.show();
        ui.fileAnswers = {files};
        QTimer::singleShot(50, &w, [&] { w.close(); });
        QVERIFY(w.onCommand(ids::Add));
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(!w.isVisible());
        QCOMPARE(w.context().sources.count, 0);
        QVERIFY(ui.messages.empty());
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()).count("args "), 1);
        qunsetenv("TEST_ENCODER_LOG");
    }

    void enterClosesUntilAnImageButtonTakesTheDefault()
    {
        QTemporaryDir dir;
        test::ScriptedUi ui;
        {
            CConverterDlg w(nullptr, dir.path().toStdString() + "/");
            w.show();
            QTest::keyClick(w.control(ids::OutputFolderEdit), Qt::Key_Return);
            QCOMPARE(w.result(), int(QDialog::Accepted));
        }
        {
            CConverterDlg w(nullptr, dir.path().toStdString() + "/");
            w.show();
            QEvent takeDefault(QEvent::Type(QEvent::User + 1));
            QApplication::sendEvent(&w, &takeDefault);
            w.setResult(-1);
            QTest::keyClick(w.control(ids::OutputFolderEdit), Qt::Key_Return);
            QCOMPARE(w.result(), -1);
            QVERIFY(w.isVisible());
        }
    }

    // Every control lies inside the window and no two visible controls of the
    // template overlap; QUELVO_DOCS_DIR=<folder> also saves the picture.
    void layoutFitsTheWindow()
    {
        QTemporaryDir dir;
        test::ScriptedUi ui;
        skinInit();
        QVERIFY(skinLoadResource("ZORVAN_SKIN", "SKINMAGIC"));
        skinApplyToDialogs("Dialog");
        CConverterDlg w(nullptr, dir.path().toStdString() + "/");
        const char* rows[][2] = {{"/home/ana/Videos/holiday 2024.avi", "3725"},
                                 {"/home/ana/Videos/birthday.mpg", "95"},
                                 {"/home/ana/Videos/Konzert (live).wmv", "5412"}};
        for (auto& r : rows) {
            w.context().sources.durationSeconds[w.context().sources.count] = atof(r[1]);
            w.sourceList().AppendRow(QString::fromUtf8(r[0]));
        }
        w.show();
        const QRect inside = w.rect();
        QList<QWidget*> controls;
        for (QWidget* c : w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!c->isVisible())
                continue;
            QVERIFY2(inside.contains(c->geometry()), qPrintable(c->objectName()));
            controls << c;
        }
        for (int i = 0; i < controls.size(); ++i)
            for (int j = i + 1; j < controls.size(); ++j)
                QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                         qPrintable(controls[i]->objectName() + " / " + controls[j]->objectName()));
        const QImage shot = w.grab().toImage();
        QCOMPARE(shot.size(), w.size());
        if (qEnvironmentVariableIsSet("QUELVO_DOCS_DIR"))
            shot.save(qEnvironmentVariable("QUELVO_DOCS_DIR") + "/main-window.png");
        skinRelease();
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
