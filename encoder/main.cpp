// Brantixenc: reads the encoder argument string, probes or converts one file
// with ffmpeg, and reports to the program over the inherited descriptor.

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/signalfd.h>
#include <unistd.h>

#include "encoder/ArgumentParser.h"
#include "encoder/EncoderRun.h"
#include "encoder/ExitCodes.h"
#include "encoder/FfmpegCommand.h"
#include "encoder/SourceProbe.h"

using namespace brantixenc;

namespace {

int usage()
{
    std::fputs("usage: Brantixenc [--dry-run] '\"<source>\" -o \"<output>\" <options> "
               "-endpos <limit> <mode> <descriptor>'\n"
               "  --dry-run prints the ffmpeg command one argument a line and runs nothing\n",
               stderr);
    return kExitBadArguments;
}

int printCommand(const EncoderJob& job)
{
    SourceInfo source = probeSource(job.sourcePath);
    std::string error;
    auto args = buildFfmpegArguments(job, source, job.outputPath, -1, &error);
    if (!args) {
        std::fprintf(stderr, "Brantixenc: %s\n", error.c_str());
        return source.readable ? kExitBadArguments : kExitCannotReadSource;
    }
    for (const std::string& a : *args)
        std::printf("%s\n", a.c_str());
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv)
{
    bool dryRun = argc > 1 && std::string_view(argv[1]) == "--dry-run";
    if (dryRun) {
        --argc;
        ++argv;
    }
    if (argc < 2)
        return usage();
    std::string error;
    auto job = parseArguments(joinArguments(argc, argv), &error);
    if (!job) {
        std::fprintf(stderr, "Brantixenc: %s\n", error.c_str());
        return kExitBadArguments;
    }
    if (dryRun)
        return printCommand(*job);

    if (::fcntl(job->reportDescriptor, F_GETFD) == -1) {
        std::fprintf(stderr, "Brantixenc: report descriptor %d is not open\n", job->reportDescriptor);
        return kExitBadArguments;
    }
    // A closed channel shows as a failed write, not as a fatal signal; the
    // termination signals arrive through the poll loops and clean up.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        sigaddset(&stopSignals, s);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);

    ReportChannel channel(job->reportDescriptor);
    return job->mode == kModeProbe ? runProbe(*job, channel, signalFd)
                                   : runConversion(*job, channel, signalFd);
}
