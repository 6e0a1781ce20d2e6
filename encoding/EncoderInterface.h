#pragma once
// Runs the encoder program for one file and answers its reports.
//
// RunEncoder builds the argument string, starts "<program dir>Brantixenc"
// with the report socket inherited, and waits for it to end while the
// application's events are dispatched, so reports (and every other event,
// e.g. the progress window's Cancel) are handled re-entrantly.

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

#include "encoding/ConverterContext.h"

class QWidget;

namespace quelvo {

struct EncoderRunResult {
    bool started = false;   // false: the encoder could not be started
    bool exited = false;    // ended by exit() (else by a signal)
    int exitCode = -1;      // exit status when exited
    int signal = 0;         // terminating signal otherwise
    bool succeeded() const { return started && exited && exitCode == 0; }
};

// The encoder's exit code for a conversion stopped on request.
constexpr int kEncoderExitStopped = 3;

class EncoderInterface {
public:
    // Takes a progress position (seconds) and returns 1 to stop the encoder.
    using ProgressSinkFn = std::function<int32_t(double position)>;

    EncoderInterface(ConverterContext& context, QWidget* owner);

    void setProgressSink(ProgressSinkFn sink) { progress_ = std::move(sink); }
    // The encoder program to run; defaults to programDirectory + "Brantixenc".
    void setEncoderPath(const std::string& path) { encoderPath_ = path; }
    std::string encoderPath() const;

    // Returns 0 after the encoder process has ended (also when it could not be
    // started: then the user is told once, naming the encoder's path).
    int RunEncoder(const std::string& sourcePath, const std::string& outputPath, int32_t padWidth,
                   int32_t padHeight, int32_t mode);
    const EncoderRunResult& lastResult() const { return last_; }
    bool running() const { return running_; }

    // Decodes one report into probe values or progress; returns the result
    // sent back to the encoder.
    int32_t OnEncoderReport(uint32_t code, int32_t value);
    // Codes -1..-4 store a probe value into the staging slot (result 0);
    // code 1 hands a progress position to the progress sink.
    int32_t ReportSink(int32_t code, double value);

    // Asks a running encoder to end (it removes its unfinished output).
    void terminate();
    // The "could not be started" message is shown once until this is called
    // (at the start of each add or conversion).
    void resetStartFailureNotice() { startFailureShown_ = false; }

private:
    ConverterContext& context_;
    QWidget* owner_;
    ProgressSinkFn progress_;
    std::string encoderPath_;
    EncoderRunResult last_;
    bool running_ = false;
    bool startFailureShown_ = false;
    int pid_ = -1;
};

}  // namespace quelvo
