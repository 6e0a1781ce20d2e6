#include "encoder/EncoderRun.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "encoder/ExitCodes.h"
#include "encoder/FfmpegCommand.h"
#include "encoder/FfmpegProcess.h"
#include "encoder/ProgressParser.h"
#include "encoder/SourceProbe.h"
#include "encoding/EncoderFiles.h"

namespace brantixenc {

namespace {

using Clock = std::chrono::steady_clock;

int reason(int code, const std::string& text)
{
    std::fprintf(stderr, "Brantixenc: %s\n", text.c_str());
    return code;
}

int channelExit(ReportChannel::Outcome outcome)
{
    if (outcome == ReportChannel::Outcome::Signalled)
        return reason(kExitTerminated, "terminated by a signal");
    return reason(kExitReportChannelLost, "the program closed the report channel");
}

// Deletes the unfinished output unless the run completed.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile()
    {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    void release() { path_.clear(); }

private:
    std::string path_;
};

// The last line ffmpeg wrote on stderr, for the one-line reason.
class ErrorTail {
public:
    void append(const char* data, size_t size)
    {
        partial_.append(data, size);
        size_t nl;
        while ((nl = partial_.find('\n')) != std::string::npos) {
            std::string line = partial_.substr(0, nl);
            partial_.erase(0, nl + 1);
            if (line.find_first_not_of(" \t\r") != std::string::npos) {
                last_ = line;
                if (isWriteFailure(line))
                    writeFailure_ = line;
            }
        }
        if (partial_.size() > 4096)
            partial_.erase(0, partial_.size() - 4096);
    }
    // ffmpeg can end with status 0 after a failed write of the file's end
    // ("Error writing trailer ...: No space left on device").
    const std::string& writeFailure() const { return writeFailure_; }
    static bool isWriteFailure(const std::string& line)
    {
        static const char* const kSigns[] = {"Error writing trailer", "No space left on device",
                                             "Disk quota exceeded", "File too large",
                                             "Error closing file", "Input/output error"};
        for (const char* sign : kSigns)
            if (line.find(sign) != std::string::npos)
                return true;
        return false;
    }
    std::string last() const
    {
        return partial_.find_first_not_of(" \t\r") != std::string::npos ? partial_ : last_;
    }

private:
    std::string partial_;
    std::string last_;
    std::string writeFailure_;
};

// How long a report may wait for its answer before the encoding pauses.
constexpr int kAnswerGraceMs = 10;

// The written data reached the disk (a full disk can show only here);
// 0 or the errno of the failure.
int flushToDisk(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

std::string describeStatus(int status)
{
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    if (WIFEXITED(status))
        return "exit status " + std::to_string(WEXITSTATUS(status));
    return "ended abnormally";
}

}  // namespace

int runProbe(const EncoderJob& job, ReportChannel& channel, int signalFd)
{
    SourceInfo info = probeSource(job.sourcePath);
    ProbeValues v = probeValues(info);
    if (!info.readable) {
        channel.send(quelvo::kReportDuration, 0, signalFd);
        return reason(kExitCannotReadSource, "cannot read \"" + job.sourcePath + "\": " + info.problem);
    }
    const quelvo::Report reports[] = {
        {quelvo::kReportDuration, v.durationSeconds},
        {quelvo::kReportWidth, v.width},
        {quelvo::kReportHeight, v.height},
        {quelvo::kReportFrameRate, v.frameRate},
    };
    for (const auto& r : reports) {
        auto answer = channel.send(r.code, r.value, signalFd);
        if (answer.outcome != ReportChannel::Outcome::Answered)
            return channelExit(answer.outcome);
    }
    return kExitOk;
}

int runConversion(const EncoderJob& job, ReportChannel& channel, int signalFd)
{
    SourceInfo source = probeSource(job.sourcePath);
    if (!source.readable)
        return reason(kExitCannotReadSource, "cannot read \"" + job.sourcePath + "\": " + source.problem);

    // In the output folder, so that the final rename stays on one file
    // system; the program knows the name too and removes it after a kill.
    const std::string temp = quelvo::encoderTemporaryPath(job.outputPath, ::getpid());
    int placeholder = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (placeholder < 0)
        return reason(kExitCannotWriteOutput,
                      "cannot write in the output folder of \"" + job.outputPath + "\": " + std::strerror(errno));
    ::close(placeholder);
    TemporaryFile unfinished(temp);

    std::string error;
    auto args = buildFfmpegArguments(job, source, temp, FfmpegProcess::kChildProgressFd, &error);
    if (!args)
        return reason(kExitBadArguments, error);
    FfmpegProcess ffmpeg;
    if (!ffmpeg.start(*args, &error))
        return reason(kExitEncodingFailed, error);

    ProgressParser parser;
    quelvo::LineBuffer progressLines;
    ErrorTail errors;
    int32_t position = 0;
    int32_t lastSent = -1;
    Clock::time_point lastSentAt;

    // The encoding stands still while the program decides on the answer; an
    // answer that comes at once (the usual case) costs the encoding nothing.
    auto report = [&]() -> int {
        bool paused = false;
        auto answer = channel.send(quelvo::kReportPosition, position, signalFd,
                                   [&] { ffmpeg.pause(); paused = true; }, kAnswerGraceMs);
        if (paused)
            ffmpeg.resume();
        lastSent = position;
        lastSentAt = Clock::now();
        if (answer.outcome != ReportChannel::Outcome::Answered)
            return channelExit(answer.outcome);
        if (answer.result == quelvo::kResultStop)
            return reason(kExitStopped, "stopped at the program's request");
        return kExitOk;
    };

    while (ffmpeg.progressFd() >= 0 || ffmpeg.errorFd() >= 0) {
        int timeout = -1;
        if (lastSent >= 0 && ffmpeg.progressFd() >= 0) {
            auto due = lastSentAt + std::chrono::seconds(1) - Clock::now();
            timeout = int(std::max<int64_t>(0, std::chrono::ceil<std::chrono::milliseconds>(due).count()));
        }
        pollfd fds[4] = {{ffmpeg.progressFd(), POLLIN, 0},
                         {ffmpeg.errorFd(), POLLIN, 0},
                         {channel.fd(), POLLIN, 0},
                         {signalFd, POLLIN, 0}};
        if (::poll(fds, 4, timeout) < 0 && errno != EINTR)
            return reason(kExitEncodingFailed, std::string("poll failed: ") + std::strerror(errno));
        if (fds[3].revents & POLLIN)
            return channelExit(ReportChannel::Outcome::Signalled);
        if (fds[2].revents && !channel.stillOpen())
            return channelExit(ReportChannel::Outcome::Closed);
        if (fds[1].revents) {
            char chunk[4096];
            ssize_t n = ::read(ffmpeg.errorFd(), chunk, sizeof chunk);
            if (n > 0)
                errors.append(chunk, size_t(n));
            else if (n == 0 || errno != EINTR)
                ffmpeg.closeErrors();
        }
        if (fds[0].revents) {
            char chunk[4096];
            ssize_t n = ::read(ffmpeg.progressFd(), chunk, sizeof chunk);
            if (n > 0) {
                progressLines.append({chunk, size_t(n)});
                while (auto line = progressLines.nextLine()) {
                    auto update = parser.feedLine(*line);
                    if (!update)
                        continue;
                    position = int32_t(std::min<int64_t>(update->outTimeUs / 1000000, INT32_MAX));
                    if (position != lastSent || update->end)
                        if (int code = report(); code != kExitOk)
                            return code;
                }
            } else if (n == 0 || errno != EINTR) {
                ffmpeg.closeProgress();
            }
        }
        if (lastSent >= 0 && ffmpeg.progressFd() >= 0 &&
            Clock::now() - lastSentAt >= std::chrono::seconds(1))
            if (int code = report(); code != kExitOk)
                return code;
    }

    int status = ffmpeg.wait();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string why = errors.last();
        return reason(kExitEncodingFailed,
                      "ffmpeg failed (" + describeStatus(status) + ")" + (why.empty() ? "" : ": " + why));
    }
    errors.append("\n", 1);
    if (!errors.writeFailure().empty())
        return reason(kExitCannotWriteOutput, "writing the output failed: " + errors.writeFailure());
    struct stat written {};
    if (::stat(temp.c_str(), &written) != 0 || written.st_size == 0)
        return reason(kExitEncodingFailed, "ffmpeg wrote no output");
    if (const int e = flushToDisk(temp); e != 0)
        return reason(kExitCannotWriteOutput, std::string("writing the output failed: ") + std::strerror(e));
    if (::rename(temp.c_str(), job.outputPath.c_str()) != 0)
        return reason(kExitCannotWriteOutput,
                      "cannot move the output to \"" + job.outputPath + "\": " + std::strerror(errno));
    unfinished.release();
    return kExitOk;
}

}  // namespace brantixenc
