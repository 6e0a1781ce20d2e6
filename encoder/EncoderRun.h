#pragma once
// The two kinds of run: a probe reports the source's media values, a
// conversion writes the output and reports its position.

#include <string>
#include <sys/types.h>

#include "encoder/EncoderJob.h"
#include "encoder/ReportChannel.h"

namespace brantixenc {

// Both return Brantixenc's exit code and print a one-line reason on stderr
// for anything but success. signalFd: a signalfd for the termination signals.
int runProbe(const EncoderJob& job, ReportChannel& channel, int signalFd);
int runConversion(const EncoderJob& job, ReportChannel& channel, int signalFd);

// Where the output is written until it is complete: a hidden name in the
// output folder, so that the final rename cannot cross file systems.
std::string temporaryOutputPath(const std::string& outputPath, pid_t pid);

}  // namespace brantixenc
