#pragma once
// The two kinds of run: a probe reports the source's media values, a
// conversion writes the output and reports its position.

#include "encoder/EncoderJob.h"
#include "encoder/ReportChannel.h"

namespace brantixenc {

// Both return Brantixenc's exit code and print a one-line reason on stderr
// for anything but success. signalFd: a signalfd for the termination signals.
int runProbe(const EncoderJob& job, ReportChannel& channel, int signalFd);
int runConversion(const EncoderJob& job, ReportChannel& channel, int signalFd);

}  // namespace brantixenc
