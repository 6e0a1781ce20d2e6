#pragma once
// The progress half of ReportSink: each position the encoder reports while
// it converts becomes the progress window's status line and bar, and a stop
// requested with Cancel is confirmed with the user and passed back.

#include <cstdint>
#include <functional>

#include "encoding/ConverterContext.h"

class QWidget;

namespace quelvo {

class CProgressDlg;

// Dispatches the events that are waiting now, once round; serves the
// progress window's Cancel between reports.
void PumpOneMessage();

class ProgressReporter {
public:
    using Clock = std::function<uint32_t()>;  // milliseconds, wrapping at 32 bits

    // owner: the main window (owns the stop question when the progress
    // window is not shown).
    ProgressReporter(ConverterContext& context, CProgressDlg& window, QWidget* owner,
                     Clock clock = tickCount);

    // ReportSink(1, position): position in seconds within the file being
    // converted. Returns 1 when the encoder is to stop, else 0. Other codes
    // are not progress and return 0.
    int32_t ReportSink(int32_t code, double position);

    void setClock(Clock clock) { clock_ = std::move(clock); }
    void setPump(std::function<void()> pump) { pump_ = std::move(pump); }

private:
    ConverterContext& context_;
    CProgressDlg& window_;
    QWidget* owner_;
    Clock clock_;
    std::function<void()> pump_ = PumpOneMessage;
};

}  // namespace quelvo
