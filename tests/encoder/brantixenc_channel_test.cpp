#include <gtest/gtest.h>

#include <sys/prctl.h>

#include "encoder/ExitCodes.h"
#include "encoder_harness.h"
#include "format_strings.h"

using namespace encodertest;
namespace exitcode = brantixenc;

namespace {

const std::string& dvdOptions()
{
    static const std::string options = kFormatRows[9].options;  // DvdPalAc3: slow enough to catch running
    return options;
}

pid_t ffmpegOf(pid_t encoder)
{
    pid_t found = 0;
    eventually([&] {
        auto children = childrenOf(encoder);
        found = children.empty() ? 0 : children.front();
        return found != 0;
    });
    return found;
}

}  // namespace

TEST(BrantixencReports, PositionsRiseToTheEndAndOnlyTheOutputRemains)
{
    TempFolder out;
    const fs::path folder = out.path() / "out 'ü' [1]";
    fs::create_directory(folder);
    const std::string output = (folder / "-lead name.avi").string();
    EncoderRun run(head(Clips::get().longer(), output) + kFormatRows[0].options + " -endpos 0:0:4 0");
    auto reports = run.answerAll();
    ASSERT_EQ(run.wait(), exitcode::kExitOk) << run.errorText();

    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports.front().value, 0);
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].code, quelvo::kReportPosition);
        if (i > 0) {
            EXPECT_GE(reports[i].value, reports[i - 1].value);
        }
    }
    // -endpos 0:0:4 limits the output to four seconds of the 30.
    EXPECT_GE(reports.back().value, 3);
    EXPECT_LE(reports.back().value, 4);
    EXPECT_EQ(std::vector<std::string>{"-lead name.avi"}, [&] {
        std::vector<std::string> n;
        for (const auto& e : fs::directory_iterator(folder))
            n.push_back(e.path().filename().string());
        return n;
    }());
    Captured d = runCapture({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", output});
    ASSERT_EQ(d.exitCode, 0);
    EXPECT_NEAR(std::stod(d.out), 4.0, 0.2);
}

TEST(BrantixencReports, AWaitingReportPausesFfmpegAndAStopEndsTheRun)
{
    TempFolder out;
    const std::string output = out / "stopped.vob";
    EncoderRun run(head(Clips::get().longer(), output) + dvdOptions() + " -endpos 9:0:0 0");
    auto first = run.nextReport();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->code, quelvo::kReportPosition);
    pid_t ffmpeg = ffmpegOf(run.pid());
    ASSERT_NE(ffmpeg, 0);
    // While the program has not answered, ffmpeg stands still.
    EXPECT_TRUE(eventually([&] { return processState(ffmpeg) == 'T'; })) << processState(ffmpeg);
    run.answer(quelvo::kResultContinue);
    EXPECT_TRUE(eventually([&] { char s = processState(ffmpeg); return s != 'T'; }));

    auto second = run.nextReport();
    ASSERT_TRUE(second);
    EXPECT_GE(second->value, first->value);
    run.answer(quelvo::kResultStop);
    EXPECT_FALSE(run.nextReport());
    EXPECT_EQ(run.wait(), exitcode::kExitStopped);
    EXPECT_EQ(run.errorText(), "Brantixenc: stopped at the program's request\n");
    EXPECT_EQ(processState(ffmpeg), 0);
    EXPECT_EQ(out.names(), std::vector<std::string>{});
}

// How a conversion is interrupted from outside.
enum class Interruption { KillProgramWhileAsking, KillProgramWhileRunning, TerminateEncoder };

class BrantixencInterrupted : public testing::TestWithParam<Interruption> {};

std::string interruptionName(const testing::TestParamInfo<Interruption>& info)
{
    const char* names[] = {"KillProgramWhileAsking", "KillProgramWhileRunning", "TerminateEncoder"};
    return names[int(info.param)];
}

TEST_P(BrantixencInterrupted, LeavesNoProcessAndNoPartialOutput)
{
    // Orphans of the killed program side come to this process, to be waited for.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    TempFolder out;
    const std::string output = out / "interrupted.vob";
    const std::string arguments = head(Clips::get().longer(), output) + dvdOptions() + " -endpos 9:0:0 0";
    const Interruption how = GetParam();

    int toTest[2];
    ASSERT_EQ(::pipe(toTest), 0);
    // The program side in a process of its own, so that it can be killed.
    pid_t program = ::fork();
    if (program == 0) {
        ::close(toTest[0]);
        EncoderRun run(arguments);
        pid_t encoder = run.pid();
        run.nextReport();
        if (how != Interruption::KillProgramWhileAsking)
            run.answer(quelvo::kResultContinue);
        ::write(toTest[1], &encoder, sizeof encoder);
        // Keep answering until killed, as the program would.
        while (run.nextReport())
            run.answer(quelvo::kResultContinue);
        ::pause();
        ::_exit(0);
    }
    ::close(toTest[1]);
    pid_t encoder = 0;
    ASSERT_EQ(::read(toTest[0], &encoder, sizeof encoder), ssize_t(sizeof encoder));
    ::close(toTest[0]);
    pid_t ffmpeg = ffmpegOf(encoder);
    ASSERT_NE(ffmpeg, 0);

    int expected = exitcode::kExitReportChannelLost;
    if (how == Interruption::TerminateEncoder) {
        ::kill(encoder, SIGTERM);
        expected = exitcode::kExitTerminated;
    }
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);

    int status = 0;
    ASSERT_TRUE(eventually([&] { return ::waitpid(encoder, &status, WNOHANG) == encoder; }))
        << "Brantixenc is still running";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), expected);
    EXPECT_TRUE(eventually([&] { return processState(ffmpeg) == 0; })) << "ffmpeg survived";
    EXPECT_EQ(out.names(), std::vector<std::string>{});
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, BrantixencInterrupted,
                         testing::Values(Interruption::KillProgramWhileAsking,
                                         Interruption::KillProgramWhileRunning,
                                         Interruption::TerminateEncoder),
                         interruptionName);

TEST(BrantixencFailures, ExitNonZeroWithAOneLineReason)
{
    TempFolder out;
    const std::string source = Clips::get().standard();
    const std::string aviOptions = kFormatRows[0].options;
    struct Case {
        const char* name;
        std::string arguments;
        bool appendDescriptor;
        int exitCode;
        std::string reasonStart;
    };
    const Case cases[] = {
        {"junk", "junk", true, exitcode::kExitBadArguments, "Brantixenc: missing tail"},
        {"closed descriptor", head(source, out / "a.avi") + aviOptions + " -endpos 9:0:0 0 987", false,
         exitcode::kExitBadArguments, "Brantixenc: report descriptor 987 is not open"},
        {"unreadable source", head(out / "missing.avi", out / "a.avi") + aviOptions + " -endpos 9:0:0 0", true,
         exitcode::kExitCannotReadSource, "Brantixenc: cannot read"},
        {"missing folder", head(source, out / "no such folder/a.avi") + aviOptions + " -endpos 9:0:0 0", true,
         exitcode::kExitCannotWriteOutput, "Brantixenc: cannot write in the output folder"},
        // MPEG-1 frames are at most 4095 pixels wide: the encoder refuses.
        {"ffmpeg fails", head(source, out / "a.mpg") + kFormatRows[4].options + " -vf scale=4100:100 -endpos 9:0:0 0",
         true, exitcode::kExitEncodingFailed, "Brantixenc: ffmpeg failed (exit status 1): "},
    };
    for (const auto& c : cases) {
        EncoderRun run(c.arguments, c.appendDescriptor);
        run.answerAll();
        EXPECT_EQ(run.wait(), c.exitCode) << c.name;
        std::string err = run.errorText();
        EXPECT_EQ(err.rfind(c.reasonStart, 0), 0u) << c.name << ": " << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << c.name << ": " << err;
        EXPECT_EQ(out.names(), std::vector<std::string>{}) << c.name;
    }
}
