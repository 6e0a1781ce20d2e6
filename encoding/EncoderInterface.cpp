#include "encoding/EncoderInterface.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "app/AppInfo.h"
#include "encoding/CommandLine.h"
#include "encoding/EncoderFiles.h"
#include "encoding/ReportProtocol.h"
#include "platform/ChildProcess.h"
#include "platform/UiServices.h"

namespace quelvo {

namespace {
bool writeAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
}  // namespace

EncoderInterface::EncoderInterface(ConverterContext& context, QWidget* owner)
    : context_(context), owner_(owner)
{
}

std::string EncoderInterface::encoderPath() const
{
    if (!encoderPath_.empty())
        return encoderPath_;
#ifdef _WIN32
    return context_.programDirectory + "Brantixenc.exe";
#else
    return context_.programDirectory + "Brantixenc";
#endif
}

int EncoderInterface::RunEncoder(const std::string& sourcePath, const std::string& outputPath,
                                 int32_t padWidth, int32_t padHeight, int32_t mode)
{
    last_ = EncoderRunResult{};
    const int32_t index = context_.run.currentIndex;
    const double sourceRate =
        (index >= 0 && index < kSourceCapacity) ? context_.sources.frameRate[index] : 0.0;
    const std::string program = encoderPath();

    std::string error;
    auto child = startWithChannel(
        program,
        [&](int fd) {
            return BuildEncoderCommandLine(context_.settings, context_.params, sourcePath, outputPath,
                                           padWidth, padHeight, mode, sourceRate, fd);
        },
        &error);
    if (!child) {
        if (!startFailureShown_) {
            startFailureShown_ = true;
            showMessageBox(owner_,
                           QStringLiteral("The encoder %1 could not be started: %2")
                               .arg(QString::fromStdString(program), QString::fromStdString(error)),
                           QString::fromStdString(ApplicationName()), MessageButtons::Ok,
                           MessageIcon::Error);
        }
        return 0;
    }
    last_.started = true;
    running_ = true;
    pid_ = child->pid;

    QEventLoop loop;
    LineBuffer lines;
    bool channelOpen = true;
    std::optional<ExitStatus> status;

    auto checkExit = [&] {
        if (status)
            return;
        status = pollExit(child->pid);
        if (status)
            loop.quit();
    };

    QSocketNotifier notifier(child->socket, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
        // A report may open a modal question; no re-entry while it is answered.
        notifier.setEnabled(false);
        char buf[4096];
        ssize_t n;
        do {
            n = ::recv(child->socket, buf, sizeof buf, MSG_DONTWAIT);
        } while (n < 0 && errno == EINTR);
        if (n > 0) {
            lines.append(std::string_view(buf, static_cast<size_t>(n)));
            while (auto line = lines.nextLine()) {
                int32_t result = kResultContinue;
                if (auto report = parseReport(*line))
                    result = OnEncoderReport(report->code, report->value);
                if (!writeAll(child->socket, formatResult(result))) {
                    channelOpen = false;
                    break;
                }
            }
        } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            channelOpen = false;
        }
        if (channelOpen)
            notifier.setEnabled(true);
        checkExit();
    });

    // The process's exit descriptor tells at once when the encoder has ended;
    // without one, a timer looks now and then.
    const int exitFd = processExitDescriptor(child->pid);
    std::optional<QSocketNotifier> exitNotifier;
    QTimer reaper;
    if (exitFd >= 0) {
        exitNotifier.emplace(exitFd, QSocketNotifier::Read);
        QObject::connect(&*exitNotifier, &QSocketNotifier::activated, &loop, checkExit);
    } else {
        QObject::connect(&reaper, &QTimer::timeout, &loop, checkExit);
        reaper.start(50);
    }

    checkExit();
    if (!status)
        loop.exec();

    notifier.setEnabled(false);
    exitNotifier.reset();
    if (exitFd >= 0)
        ::close(exitFd);
    ::close(child->socket);
    running_ = false;
    pid_ = -1;
    // An encoder killed by a signal had no chance to remove its unfinished file.
    if (!status->exited && mode == kModeConvert)
        std::remove(encoderTemporaryPath(outputPath, child->pid).c_str());
    last_.exited = status->exited;
    last_.exitCode = status->exitCode;
    last_.signal = status->signal;
    return 0;
}

void EncoderInterface::terminate()
{
    if (running_ && pid_ > 0)
        ::kill(pid_, SIGTERM);
}

int32_t EncoderInterface::OnEncoderReport(uint32_t code, int32_t value)
{
    if (code >= 1 && code <= 4) {
        if (code == 4 && value < 0) {
            value = INT32_MAX;
        } else if (value <= 0) {
            context_.sources.probeFailed = true;
            return 0;
        }
        return ReportSink(-static_cast<int32_t>(code), static_cast<double>(value));
    }
    if (code == 6)
        return ReportSink(1, static_cast<double>(value));
    return 0;
}

int32_t EncoderInterface::ReportSink(int32_t code, double value)
{
    SourceList& list = context_.sources;
    const int32_t slot = list.count;
    if (code < 0) {
        // A full list has no staging slot; the add path refuses such files.
        if (slot < 0 || slot >= kSourceCapacity)
            return 0;
        switch (code) {
        case -1: list.durationSeconds[slot] = value; break;
        case -2: list.frameWidth[slot] = static_cast<int32_t>(value); break;
        case -3: list.frameHeight[slot] = static_cast<int32_t>(value); break;
        case -4: list.frameRate[slot] = value * 0.0000001; break;
        default: break;
        }
        return 0;
    }
    if (code == 1 && progress_)
        return progress_(value);
    return 0;
}

}  // namespace quelvo
