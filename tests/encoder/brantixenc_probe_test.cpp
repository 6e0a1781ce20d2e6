#include <gtest/gtest.h>

#include <fstream>

#include "encoder/ExitCodes.h"
#include "encoder_harness.h"
#include "format_strings.h"

using namespace encodertest;

namespace {

// A probe run gets the full string of the current settings, as the program builds it.
std::string probeArguments(const std::string& source)
{
    return head(source, "/nonexistent folder/unused.avi") + kFormatRows[0].options + " -endpos 9:0:0 1";
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(BrantixencProbe, ReportsTheMediaValuesOfReadableClips)
{
    TempFolder folder;
    // Paths with blanks, apostrophes, brackets, UTF-8 and a leading dash.
    const std::string odd = folder / "-clip 'ü' [1] (2).avi";
    fs::copy_file(Clips::get().ntsc(), odd);
    const std::string shortClip = folder / "short.mpg";
    makeClip(shortClip, "testsrc=size=96x72:rate=25:duration=0.4", "", {"-c:v", "mpeg1video"});

    struct Case {
        std::string path;
        int32_t duration, width, height;
        std::vector<int32_t> rates;  // 29.97 fps may round either way
    };
    const Case cases[] = {
        {odd, 2, 160, 120, {299700299, 299700300}},
        {Clips::get().standard(), 2, 160, 120, {250000000}},
        {Clips::get().vga(), 1, 640, 480, {250000000}},
        {shortClip, 1, 96, 72, {250000000}},  // 0.4 s is still a readable clip
    };
    for (const auto& c : cases) {
        EncoderRun run(probeArguments(c.path));
        auto reports = run.answerAll();
        EXPECT_EQ(run.wait(), brantixenc::kExitOk) << c.path << ": " << run.errorText();
        ASSERT_EQ(reports.size(), 4u) << c.path;
        EXPECT_EQ(reports[0], (quelvo::Report{quelvo::kReportDuration, c.duration})) << c.path;
        EXPECT_EQ(reports[1], (quelvo::Report{quelvo::kReportWidth, c.width})) << c.path;
        EXPECT_EQ(reports[2], (quelvo::Report{quelvo::kReportHeight, c.height})) << c.path;
        EXPECT_EQ(reports[3].code, quelvo::kReportFrameRate);
        EXPECT_NE(std::find(c.rates.begin(), c.rates.end(), reports[3].value), c.rates.end())
            << c.path << ": " << reports[3].value;
    }
    EXPECT_FALSE(fs::exists("/nonexistent folder"));
}

TEST(BrantixencProbe, ReportsAZeroDurationForFilesItCannotRead)
{
    TempFolder folder;
    const std::string empty = folder / "empty.avi";
    writeFile(empty, "");
    const std::string text = folder / "notes.avi";
    writeFile(text, "These are not the frames you are looking for.\nJust some text.\n");
    // An AVI header followed by junk where the stream headers should be.
    const std::string corrupt = folder / "corrupt.avi";
    std::string junk = std::string("RIFF\x00\x10\x00\x00" "AVI LIST\x00\x01\x00\x00" "hdrlavih", 28);
    for (size_t i = 0; i < 65536; ++i)
        junk += char((i * 7919 + 13) % 251);
    writeFile(corrupt, junk);
    const std::string soundOnly = folder / "sound.avi";
    makeClip(soundOnly, "sine=frequency=440:sample_rate=44100:duration=1", "", {"-c:a", "libmp3lame"});

    for (const std::string& path : {empty, text, corrupt, soundOnly, folder / "missing.avi"}) {
        EncoderRun run(probeArguments(path));
        auto reports = run.answerAll();
        EXPECT_EQ(run.wait(), brantixenc::kExitCannotReadSource) << path;
        EXPECT_EQ(reports, (std::vector<quelvo::Report>{{quelvo::kReportDuration, 0}})) << path;
        std::string err = run.errorText();
        EXPECT_EQ(err.rfind("Brantixenc: cannot read \"" + path + "\": ", 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}
