#pragma once
// The batch conversion behind the Convert buttons: the output folder is
// made ready, every row is converted by one encoder run while the progress
// window shows the share done, and the user learns which files failed and
// how long the batch took.

#include <QString>

#include <cstdint>
#include <functional>

#include "encoding/ConverterContext.h"

class QWidget;

namespace quelvo {

class CProgressDlg;
class EncoderInterface;

class ConversionRun {
public:
    using FolderText = std::function<QString()>;  // the text of edit 1018
    using Clock = std::function<uint32_t()>;      // milliseconds, wrapping at 32 bits

    // mainWindow is disabled during the run and owns the messages.
    ConversionRun(ConverterContext& context, EncoderInterface& encoder, CProgressDlg& progress,
                  QWidget* mainWindow, FolderText folderText, Clock clock = tickCount);

    // Converts every row. Ignored while an encoder run is in progress (a
    // probe, or this batch itself).
    void ConvertAll();

    bool running() const { return running_; }
    void setClock(Clock clock) { clock_ = std::move(clock); }

private:
    void finish();

    ConverterContext& context_;
    EncoderInterface& encoder_;
    CProgressDlg& progress_;
    QWidget* mainWindow_;
    FolderText folderText_;
    Clock clock_;
    bool running_ = false;
};

}  // namespace quelvo
