#pragma once
// Brantixenc's exit codes. Only 0 means the output file was written completely.

namespace brantixenc {

constexpr int kExitOk = 0;
constexpr int kExitBadArguments = 2;
constexpr int kExitStopped = 3;           // a report's result asked to stop
constexpr int kExitCannotReadSource = 4;  // also a probe of an unreadable file
constexpr int kExitEncodingFailed = 5;    // ffmpeg failed or could not start
constexpr int kExitCannotWriteOutput = 6;
constexpr int kExitReportChannelLost = 7;  // the program closed its end or died
constexpr int kExitTerminated = 8;         // SIGTERM, SIGINT, SIGHUP or SIGQUIT

}  // namespace brantixenc
