#include <gtest/gtest.h>

#include "encoder/ExitCodes.h"
#include "encoder_harness.h"
#include "format_strings.h"

using namespace encodertest;

namespace {

struct ExpectedOutput {
    const char* row;
    const char* container;
    const char* videoCodec;
    const char* fourcc;  // "" when the container has none
    const char* size;
    const char* rate;
    const char* displayAspect;  // "" when the container cannot say exactly
    const char* audioCodec;
    const char* sampleRate;
    const char* channels;
};

// From the standard clip: 160 x 120, 25 fps, stereo at 32 kHz. MP3 in the AVI
// family is mono (LAME's mode 3) at the source's rate; AC3 in the AVI family
// takes the six channels its audio filter asks for.
const ExpectedOutput kExpected[] = {
    {"AviDivxMp3", "avi", "mpeg4", "DX50", "320x240", "30000/1001", "4:3", "mp3", "32000", "1"},
    {"AviDivxAc3", "avi", "mpeg4", "DX50", "160x120", "25/1", "4:3", "ac3", "44100", "6"},
    {"AviXvidMp3", "avi", "mpeg4", "XVID", "176x144", "15000/1001", "4:3", "mp3", "32000", "1"},
    {"AviXvidAc3", "avi", "mpeg4", "XVID", "160x120", "24/1", "4:3", "ac3", "44100", "6"},
    {"Mpeg1", "mpeg", "mpeg1video", "", "320x240", "25/1", "4:3", "mp2", "44100", "2"},
    {"Mpeg2", "mpeg", "mpeg2video", "", "352x288", "30000/1001", "16:9", "mp2", "44100", "2"},
    {"VcdNtsc", "mpeg", "mpeg1video", "", "352x240", "24000/1001", "", "mp2", "44100", "2"},
    {"VcdPal", "mpeg", "mpeg1video", "", "352x288", "25/1", "", "mp2", "44100", "2"},
    {"SvcdNtsc", "mpeg", "mpeg2video", "", "480x480", "30000/1001", "4:3", "mp2", "44100", "2"},
    {"DvdPalAc3", "mpeg", "mpeg2video", "", "720x576", "25/1", "16:9", "ac3", "48000", "2"},
    {"DvdNtscMp2", "mpeg", "mpeg2video", "", "720x480", "30000/1001", "4:3", "mp2", "48000", "2"},
    {"WmvWmav2", "asf", "wmv2", "", "320x240", "25/1", "4:3", "wmav2", "44100", "2"},
    {"WmvWmav1", "asf", "wmv2", "", "160x120", "25/1", "4:3", "wmav1", "44100", "2"},
    {"AsfMsmpeg4Wmav1", "asf", "msmpeg4v3", "", "320x240", "25/1", "4:3", "wmav1", "44100", "2"},
    {"AsfMsmpeg4v2Wmav2", "asf", "msmpeg4v2", "", "320x240", "25/1", "4:3", "wmav2", "44100", "2"},
    {"AsfWmv2Wmav2", "asf", "wmv2", "", "160x120", "25/1", "4:3", "wmav2", "44100", "2"},
};

class BrantixencConvert : public testing::TestWithParam<size_t> {};

}  // namespace

TEST_P(BrantixencConvert, WritesTheFormatTheOptionsAskFor)
{
    const FormatRow& row = kFormatRows[GetParam()];
    const ExpectedOutput& want = kExpected[GetParam()];
    ASSERT_STREQ(row.name, want.row);
    TempFolder out;
    const std::string output = out / "converted file";
    EncoderRun run(head(Clips::get().standard(), output) + row.options + " -endpos 9:0:0 0");
    auto reports = run.answerAll();
    ASSERT_EQ(run.wait(), brantixenc::kExitOk) << run.errorText();
    EXPECT_EQ(run.errorText(), "");
    EXPECT_EQ(out.names(), std::vector<std::string>{"converted file"});
    ASSERT_FALSE(reports.empty());
    for (const auto& r : reports)
        EXPECT_EQ(r.code, quelvo::kReportPosition);

    MediaInfo media(output);
    ASSERT_TRUE(media.ok());
    EXPECT_EQ(media.format(), want.container);
    EXPECT_EQ(media.streamCount("video"), 1);
    EXPECT_EQ(media.streamCount("audio"), 1);
    EXPECT_EQ(media.stream("video", "codec_name"), want.videoCodec);
    if (*want.fourcc) {
        EXPECT_EQ(media.stream("video", "codec_tag_string"), want.fourcc);
    }
    EXPECT_EQ(media.stream("video", "width") + "x" + media.stream("video", "height"), want.size);
    EXPECT_EQ(media.stream("video", "r_frame_rate"), want.rate);
    if (*want.displayAspect) {
        EXPECT_EQ(media.stream("video", "display_aspect_ratio"), want.displayAspect);
    }
    EXPECT_EQ(media.stream("audio", "codec_name"), want.audioCodec);
    EXPECT_EQ(media.stream("audio", "sample_rate"), want.sampleRate);
    EXPECT_EQ(media.stream("audio", "channels"), want.channels);
}

INSTANTIATE_TEST_SUITE_P(EveryFormatRow, BrantixencConvert, testing::Range<size_t>(0, std::size(kFormatRows)),
                         [](const testing::TestParamInfo<size_t>& info) { return kFormatRows[info.param].name; });

TEST(BrantixencLetterbox, ScalesThenPadsCentredWithBlack)
{
    // The DVD example: a 640 x 480 source into a 16:9 PAL DVD frame.
    TempFolder out;
    const std::string output = out / "letterbox.vob";
    EncoderRun run(head(Clips::get().vga(), output) +
                   " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=15:vrc_buf_size=1835"
                   ":vrc_maxrate=9400:vbitrate=5000:acodec=ac3:abitrate=224:autoaspect=1:aspect=16/9"
                   " -mpegopts format=dvd -af volume=+0db:0:lavcresample=48000 -srate 48000 -ofps 25.000000"
                   " -vf scale=720:-3,harddup,expand=720:576 -endpos 9:0:0 0");
    run.answerAll();
    ASSERT_EQ(run.wait(), brantixenc::kExitOk) << run.errorText();
    MediaInfo media(output);
    EXPECT_EQ(media.stream("video", "width") + "x" + media.stream("video", "height"), "720x576");
    EXPECT_EQ(media.stream("video", "display_aspect_ratio"), "16:9");

    // The picture is 720 x 540 in the middle: 18 black lines above and below.
    Captured frame = runCapture({"ffmpeg", "-nostdin", "-v", "error", "-i", output, "-frames:v", "1",
                                 "-f", "rawvideo", "-pix_fmt", "gray", "-"});
    ASSERT_EQ(frame.exitCode, 0);
    ASSERT_EQ(frame.out.size(), 720u * 576u);
    auto rowMean = [&](int first, int last) {
        double sum = 0;
        for (int y = first; y <= last; ++y)
            for (int x = 0; x < 720; ++x)
                sum += static_cast<unsigned char>(frame.out[size_t(y) * 720 + size_t(x)]);
        return sum / (720.0 * (last - first + 1));
    };
    EXPECT_LT(rowMean(0, 15), 20.0);     // black is luma 16
    EXPECT_LT(rowMean(561, 575), 20.0);
    EXPECT_GT(rowMean(40, 535), 60.0);   // the test pattern
}
