// The progress window and the progress reports, with a clock and a message
// pump the tests control.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "ScriptedUi.h"
#include "app/AppInfo.h"
#include "encoding/CProgressDlg.h"
#include "encoding/ProgressReporter.h"

using namespace quelvo;

class TestProgress : public QObject {
    Q_OBJECT

    static QPushButton* cancelButton(CProgressDlg& d) { return control<QPushButton>(&d, progress_ids::Cancel); }

private slots:
    void windowFromTemplate130()
    {
        QWidget owner;
        CProgressDlg dlg(&owner);
        QVERIFY(!dlg.isVisible());
        QVERIFY(!dlg.isModal());
        QCOMPARE(dlg.parentWidget(), &owner);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Quelvo"));
        QCOMPARE(progressDialogTemplate().id, 130);
        auto* bar = control<QProgressBar>(&dlg, progress_ids::Bar);
        QVERIFY(bar);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 1000);
        QCOMPARE(control<QLabel>(&dlg, progress_ids::StatusText)->text(), QStringLiteral("Static"));
        QCOMPARE(cancelButton(dlg)->text(), QStringLiteral("Cancel"));
    }

    void keysAndCloseBox_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("cancels");
        QTest::addRow("Enter on the focused Cancel") << "return" << false;
        QTest::addRow("keypad Enter") << "enter" << false;
        QTest::addRow("accept") << "accept" << false;
        QTest::addRow("Esc") << "escape" << true;
        QTest::addRow("close box") << "close" << true;
        QTest::addRow("Cancel button") << "click" << true;
    }
    void keysAndCloseBox()
    {
        QFETCH(QString, action);
        QFETCH(bool, cancels);
        QWidget owner;
        CProgressDlg dlg(&owner);
        dlg.setStatusText("Total time:00:00:10;Elapsed time:00:00:05;Finished 50.0%");
        dlg.show();
        QPushButton* cancel = cancelButton(dlg);
        cancel->setFocus();
        if (action == "return")
            QTest::keyClick(cancel, Qt::Key_Return);
        else if (action == "enter")
            QTest::keyClick(cancel, Qt::Key_Enter);
        else if (action == "accept")
            dlg.accept();
        else if (action == "escape")
            QTest::keyClick(cancel, Qt::Key_Escape);
        else if (action == "close")
            QVERIFY(!dlg.close());
        else
            QTest::mouseClick(cancel, Qt::LeftButton);

        QCOMPARE(dlg.cancelRequested(), cancels);
        QCOMPARE(dlg.statusText(), cancels ? QStringLiteral("Cancel processing...")
                                           : QStringLiteral("Total time:00:00:10;Elapsed time:00:00:05;Finished 50.0%"));
        QVERIFY(dlg.isVisible());  // only the run hides it
    }

    void reportsUpdateTheWindow_data()
    {
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("done");
        QTest::addColumn<double>("position");
        QTest::addColumn<uint>("elapsedMs");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("text");
        QTest::addRow("second of two 60 s files at 30 s")
            << 120.0 << 60.0 << 30.0 << 45000u << 750
            << "Total time:00:01:00;Elapsed time:00:00:45;Finished 75.0%";
        QTest::addRow("half an hour at 25 %")
            << 14400.0 << 0.0 << 3600.0 << 1800000u << 250
            << "Total time:02:00:00;Elapsed time:00:30:00;Finished 25.0%";
        QTest::addRow("two hours at 50 %")
            << 14400.0 << 3600.0 << 3600.0 << 7200000u << 500
            << "Total time:04:00:00;Elapsed time:02:00:00;Finished 50.0%";
    }
    void reportsUpdateTheWindow()
    {
        QFETCH(double, total);
        QFETCH(double, done);
        QFETCH(double, position);
        QFETCH(uint, elapsedMs);
        QFETCH(int, bar);
        QFETCH(QString, text);
        ConverterContext ctx;
        ctx.sources.totalDuration = total;
        ctx.run.doneSeconds = done;
        ctx.run.startTick = 0xFFFF0000u;  // the clock wraps during the batch
        QWidget owner;
        CProgressDlg dlg(&owner);
        ProgressReporter reporter(ctx, dlg, &owner, [&] { return uint32_t(0xFFFF0000u + elapsedMs); });

        QCOMPARE(reporter.ReportSink(1, position), 0);
        QCOMPARE(dlg.barPosition(), bar);
        QCOMPARE(dlg.statusText(), text);

        // Repeated, beyond the total, and non-progress codes change nothing.
        dlg.setStatusText("unchanged");
        QCOMPARE(reporter.ReportSink(1, position), 0);
        QCOMPARE(reporter.ReportSink(1, total * 2), 0);
        QCOMPARE(reporter.ReportSink(-1, position + 1), 0);
        QCOMPARE(dlg.statusText(), QStringLiteral("unchanged"));
        QCOMPARE(dlg.barPosition(), bar);
    }

    void stopQuestion_data()
    {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("stillRequested");
        QTest::addColumn<QString>("text");
        const QString live = "Total time:00:01:40;Elapsed time:00:00:10;Finished 10.0%";
        QTest::addRow("no cancel") << 0 << 0 << 0 << false << live;
        QTest::addRow("answered No") << 1 << kAnswerNo << 0 << false << live;
        QTest::addRow("answered Yes") << 1 << kAnswerYes << 1 << true << "Cancel processing...";
        QTest::addRow("pressed twice, No") << 2 << kAnswerNo << 0 << false << live;
    }
    void stopQuestion()
    {
        QFETCH(int, clicks);
        QFETCH(int, answer);
        QFETCH(int, result);
        QFETCH(bool, stillRequested);
        QFETCH(QString, text);
        test::ScriptedUi ui;
        ui.messageAnswers = {answer, answer};
        ConverterContext ctx;
        ctx.sources.totalDuration = 100;
        QWidget owner;
        CProgressDlg dlg(&owner);
        dlg.show();
        ProgressReporter reporter(ctx, dlg, &owner, [] { return 10000u; });
        for (int i = 0; i < clicks; ++i)
            QTest::mouseClick(cancelButton(dlg), Qt::LeftButton);

        QCOMPARE(reporter.ReportSink(1, 10), result);
        QCOMPARE(dlg.cancelRequested(), stillRequested);
        QCOMPARE(dlg.statusText(), text);
        QCOMPARE(ui.messages.size(), size_t(clicks > 0 ? 1 : 0));
        if (clicks > 0) {
            const test::ShownMessage& m = ui.messages[0];
            QCOMPARE(m.text, QStringLiteral("Do you really want to stop?"));
            QCOMPARE(m.caption, QString::fromStdString(ApplicationName()));
            QCOMPARE(m.buttons, MessageButtons::YesNo);
            QCOMPARE(m.icon, MessageIcon::Question);
        }
        // After No the next report asks nothing.
        if (answer == kAnswerNo) {
            QCOMPARE(reporter.ReportSink(1, 20), 0);
            QCOMPARE(ui.messages.size(), size_t(1));
        }
    }

    // Closing the program stops the encoder at its next report without a
    // question, even after Cancel; a new run starts without that request.
    void closingStopsWithoutAsking()
    {
        test::ScriptedUi ui;
        ConverterContext ctx;
        ctx.sources.totalDuration = 100;
        QWidget owner;
        CProgressDlg dlg(&owner);
        dlg.show();
        ProgressReporter reporter(ctx, dlg, &owner, [] { return 10000u; });
        QTest::mouseClick(cancelButton(dlg), Qt::LeftButton);
        dlg.requestStopWithoutQuestion();
        QCOMPARE(reporter.ReportSink(1, 10), 1);
        QVERIFY(ui.messages.empty());
        QVERIFY(dlg.cancelRequested());
        dlg.setCancelRequested(false);
        QVERIFY(!dlg.stopWithoutQuestion());
        QCOMPARE(reporter.ReportSink(1, 11), 0);
    }

    void extraPumpEveryHundredReports()
    {
        ConverterContext ctx;
        ctx.sources.totalDuration = 100;
        QWidget owner;
        CProgressDlg dlg(&owner);
        ProgressReporter reporter(ctx, dlg, &owner, [] { return 0u; });
        int pumps = 0;
        reporter.setPump([&] { ++pumps; });
        // Repeated positions: one pump each, and one more with the hundredth.
        ctx.run.lastPosition = 5;
        for (int i = 0; i < 99; ++i)
            reporter.ReportSink(1, 5);
        QCOMPARE(pumps, 99);
        reporter.ReportSink(1, 5);
        QCOMPARE(pumps, 101);
        QCOMPARE(ctx.run.reportCounter, 0);
        // A report that is shown pumps once more after the update.
        reporter.ReportSink(1, 6);
        QCOMPARE(pumps, 103);
    }
};

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
