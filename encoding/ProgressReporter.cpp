#include "encoding/ProgressReporter.h"

#include <QCoreApplication>

#include "app/AppInfo.h"
#include "encoding/CProgressDlg.h"
#include "encoding/Progress.h"
#include "platform/UiServices.h"

namespace quelvo {

void PumpOneMessage()
{
    QCoreApplication::processEvents();
}

ProgressReporter::ProgressReporter(ConverterContext& context, CProgressDlg& window, QWidget* owner,
                                   Clock clock)
    : context_(context), window_(window), owner_(owner), clock_(std::move(clock))
{
}

int32_t ProgressReporter::ReportSink(int32_t code, double position)
{
    if (code != 1)
        return 0;
    RunState& run = context_.run;
    if (++run.reportCounter >= 100) {
        pump_();
        run.reportCounter = 0;
    }
    if (window_.stopWithoutQuestion())
        return 1;
    if (window_.cancelRequested()) {
        // The encoder waits for this answer, so the question is asked once
        // however often Cancel was pressed.
        QWidget* questionOwner = window_.isVisible() ? static_cast<QWidget*>(&window_) : owner_;
        const int answer = showMessageBox(questionOwner, QStringLiteral("Do you really want to stop?"),
                                          QString::fromStdString(ApplicationName()),
                                          MessageButtons::YesNo, MessageIcon::Question);
        if (answer == kAnswerYes)
            return 1;
        window_.setCancelRequested(false);
    }
    pump_();

    const ProgressStep step =
        TakeProgressReport(run, context_.sources.totalDuration, position, clock_());
    if (!step.taken)
        return 0;
    window_.setStatusText(QString::fromStdString(step.statusText));
    window_.setBarPosition(step.permille);
    pump_();
    return 0;
}

}  // namespace quelvo
