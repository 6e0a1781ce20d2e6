#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "encoding/CommandLine.h"
#include "platform/ProfileFile.h"

using namespace quelvo;

namespace {

const std::string kSource = "/in/clip.avi";
const std::string kOutput = "/out/clip.x";
const std::string kHead = "\"/in/clip.avi\" -o \"/out/clip.x\"";
constexpr int32_t kChannel = 7;
const std::string kTail = " -endpos 9:0:0 0 7";

// Builds a conversion's string the way ConvertAll does: padding first.
std::string convert(const OutputSettings& s, int32_t sw, int32_t sh, double rate)
{
    EncodeParameters p;
    Padding pad = ComputePadding(s, p, sw, sh);
    return BuildEncoderCommandLine(s, p, kSource, kOutput, pad.width, pad.height, kModeConvert,
                                   rate, kChannel);
}

OutputSettings settings(int32_t format, const std::function<void(OutputSettings&)>& change = {})
{
    OutputSettings s;
    s.outputFormat = format;
    if (change)
        change(s);
    return s;
}

// The text after "-ofps " up to the next blank.
std::string ofps(const std::string& line)
{
    size_t at = line.find(" -ofps ");
    if (at == std::string::npos)
        return "<none>";
    at += 7;
    return line.substr(at, line.find(' ', at) - at);
}

const std::string kAviDivxMp3 =
    " -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3"
    " -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50"
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2"
    " -af volume=+0db:0:channels=2";
const std::string kAviContainer =
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2";

}  // namespace

TEST(CommandLine, WorkedExample1DvdPal)
{
    OutputSettings s = settings(FormatDvd, [](OutputSettings& s) {
        s.tvMode = 1;
        s.dvdQuality = 5;
        s.dvdAudioCodec = 0;
        s.dvdAspectRatio = 1;
        s.volume = 20;
        s.letterbox = 1;
    });
    EncodeParameters p;
    Padding pad = ComputePadding(s, p, 640, 480);
    EXPECT_EQ(pad, (Padding{-48, 36}));
    EXPECT_EQ(std::pair(p.targetWidth, p.targetHeight), std::pair(720, 576));
    EXPECT_EQ(BuildEncoderCommandLine(s, p, "C:\\in\\a.avi", "D:\\out\\a.vob", pad.width,
                                      pad.height, kModeConvert, 29.97, 1234),
              "\"C:\\in\\a.avi\" -o \"D:\\out\\a.vob\" -oac lavc -ovc lavc -of mpeg"
              " -lavcopts vcodec=mpeg2video:keyint=15:vrc_buf_size=1835:vrc_maxrate=9400"
              ":vbitrate=5000:acodec=ac3:abitrate=224:autoaspect=1:aspect=16/9"
              " -mpegopts format=dvd -af volume=+0db:0:lavcresample=48000 -srate 48000"
              " -ofps 25.000000 -vf scale=720:-3,harddup,expand=720:576 -endpos 9:0:0 0 1234");
    EXPECT_DOUBLE_EQ(p.outputFrameRate, 25.0);
}

TEST(CommandLine, WorkedExample2AviDivxMp3)
{
    OutputSettings s = settings(FormatAvi, [](OutputSettings& s) {
        s.aviQuality = 4;
        s.aviVideoCodec = 0;
        s.aviAudioCodec = 0;
        s.aviResolution = 10;
        s.aviFrameRate = 0;
        s.volume = 25;
        s.letterbox = 1;
    });
    EncodeParameters p;
    Padding pad = ComputePadding(s, p, 720, 480);
    EXPECT_EQ(pad, (Padding{-40, 27}));
    EXPECT_EQ(BuildEncoderCommandLine(s, p, kSource, kOutput, pad.width, pad.height, kModeConvert,
                                      29.97, -5),
              kHead +
                  " -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3"
                  " -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1"
                  " -ffourcc DX50"
                  " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi"
                  " -sws 2 -af volume=+5db:0:channels=2 -ofps 30000/1001"
                  " -vf scale=320:-3,harddup,expand=320:240 -endpos 9:0:0 0 -5");
}

// Every format with its default settings: a 640 x 480 source at 25 fps.
TEST(CommandLine, OneStringPerFormat)
{
    struct Case { int32_t format; std::string options; };
    const Case cases[] = {
        {FormatAvi, kAviDivxMp3 + " -ofps 25.000000"},
        {FormatMpeg1,
         " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -oac lavc -ovc lavc"
         " -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1000:vbitrate=1000"
         ":vrc_maxrate=1000:acodec=mp2:abitrate=192:autoaspect=1:aspect=16/9"
         " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames"
         " -ofps 25.000000"},
        {FormatMpeg2,
         " -oac lavc -ovc lavc -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835"
         ":vrc_maxrate=9400:vbitrate=2000:acodec=mp2:abitrate=160:autoaspect=1:aspect=16/9"
         " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames"
         " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 25.000000"},
        {FormatDivx, kAviDivxMp3 + " -ofps 25.000000"},
        {FormatXvid,
         " -oac mp3lame -ovc xvid -lameopts vbr=3:br=128:mode=3 -xvidencopts bitrate=1000:autoaspect=1"
         + kAviContainer + " -af volume=+0db:0:channels=2 -ofps 25.000000"},
        {FormatVcd,
         " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327"
         ":vrc_minrate=1000:vbitrate=1000:vrc_maxrate=1000:acodec=mp2:abitrate=192:autoaspect=1"
         ":aspect=16/9 -mpegopts format=xvcd -af volume=+0db:0:channels=2:lavcresample=44100"
         " -srate 44100 -ofps 24000/1001 -vf scale=-3:240,harddup,expand=352:240"},
        {FormatSvcd,
         " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=917"
         ":vrc_minrate=600:vrc_maxrate=2500:vbitrate=2500:acodec=mp2:abitrate=224:autoaspect=1"
         ":aspect=16/9 -mpegopts format=xsvcd -af volume=+0db:0:channels=2:lavcresample=44100"
         " -srate 44100 -ofps 30000/1001 -vf scale=480:-3,harddup,expand=480:480"},
        {FormatDvd,
         " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835"
         ":vrc_maxrate=9400:vbitrate=5000:acodec=ac3:abitrate=224:autoaspect=1:aspect=16/9"
         " -mpegopts format=dvd -af volume=+0db:0:lavcresample=48000 -srate 48000"
         " -ofps 30000/1001 -vf scale=-3:480,harddup,expand=720:480"},
        {FormatWmv,
         " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=16:abitrate=128:autoaspect=1"
         " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv"
         " -sws 2 -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000"},
        {FormatAsf,
         " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=16:abitrate=128:autoaspect=1"
         " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=asf"
         " -sws 2 -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000"},
        // A format index outside 0..9 has no format options and the "Auto" rate.
        {10, " -ofps 1000.000000"},
        {-1, " -ofps 1000.000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert(settings(c.format), 640, 480, 25.0), kHead + c.options + kTail)
            << "format " << c.format;
}

TEST(CommandLine, OneStringPerCodecChoice)
{
    const std::string ac3Audio = " -af volume=+0db:0:channels=6:lavcresample=44100 -srate 44100";
    const std::string mp3Audio = " -af volume=+0db:0:channels=2";
    const std::string divxAc3 =
        " -oac lavc -ovc lavc -lavcopts acodec=ac3:abitrate=128:vcodec=mpeg4:vbitrate=1000:vhq"
        ":vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50";
    const std::string xvidMp3 =
        " -oac mp3lame -ovc xvid -lameopts vbr=3:br=128:mode=3 -xvidencopts bitrate=1000:autoaspect=1";
    const std::string xvidAc3 =
        " -oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate=128 -xvidencopts bitrate=1000:autoaspect=1";
    const std::string dvd =
        " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835"
        ":vrc_maxrate=9400:vbitrate=5000:acodec=mp2:abitrate=224:autoaspect=1:aspect=16/9"
        " -mpegopts format=dvd -af volume=+0db:0:lavcresample=48000 -srate 48000 -ofps 30000/1001"
        " -vf scale=-3:480,harddup,expand=720:480";
    auto windowsMedia = [](const char* video, const char* audio, const char* container) {
        return std::string(" -oac lavc -ovc lavc -lavcopts vcodec=") + video + ":acodec=" + audio +
               ":vqscale=16:abitrate=128:autoaspect=1 -of lavf -lavfopts"
               " i_certify_that_my_video_stream_does_not_use_b_frames:format=" + container +
               " -sws 2 -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000";
    };
    struct Case { const char* name; OutputSettings s; std::string options; };
    const Case cases[] = {
        {"AVI Divx MP3", settings(FormatAvi), kAviDivxMp3},
        {"AVI Divx AC3", settings(FormatAvi, [](auto& s) { s.aviAudioCodec = 1; }),
         divxAc3 + kAviContainer + ac3Audio},
        {"AVI Xvid MP3", settings(FormatAvi, [](auto& s) { s.aviVideoCodec = 1; }),
         xvidMp3 + kAviContainer + mp3Audio},
        {"AVI Xvid AC3", settings(FormatAvi, [](auto& s) { s.aviVideoCodec = 1; s.aviAudioCodec = 1; }),
         xvidAc3 + kAviContainer + ac3Audio},
        {"AVI video 2", settings(FormatAvi, [](auto& s) { s.aviVideoCodec = 2; }), kAviContainer + mp3Audio},
        {"AVI video -1 AC3", settings(FormatAvi, [](auto& s) { s.aviVideoCodec = -1; s.aviAudioCodec = 1; }),
         kAviContainer + ac3Audio},
        {"AVI audio 2", settings(FormatAvi, [](auto& s) { s.aviAudioCodec = 2; }), kAviContainer + mp3Audio},
        {"AVI audio INT_MIN", settings(FormatAvi, [](auto& s) { s.aviAudioCodec = INT32_MIN; }),
         kAviContainer + mp3Audio},
        {"DivX ignores the AVI video choice", settings(FormatDivx, [](auto& s) { s.aviVideoCodec = 1; }),
         kAviDivxMp3},
        {"DivX AC3", settings(FormatDivx, [](auto& s) { s.divxAudioCodec = 1; s.aviAudioCodec = 0; }),
         divxAc3 + kAviContainer + ac3Audio},
        {"DivX audio 5", settings(FormatDivx, [](auto& s) { s.divxAudioCodec = 5; }), kAviContainer + mp3Audio},
        {"Xvid MP3 ignores the AVI audio choice", settings(FormatXvid, [](auto& s) { s.aviAudioCodec = 1; }),
         xvidMp3 + kAviContainer + mp3Audio},
        {"Xvid AC3", settings(FormatXvid, [](auto& s) { s.xvidAudioCodec = 1; }),
         xvidAc3 + kAviContainer + ac3Audio},
        {"DVD MP2", settings(FormatDvd, [](auto& s) { s.dvdAudioCodec = 1; }), dvd},
        {"DVD audio -3 is MP2", settings(FormatDvd, [](auto& s) { s.dvdAudioCodec = -3; }), dvd},
        {"WMV WMAv1", settings(FormatWmv, [](auto& s) { s.wmvAudioCodec = 0; }), windowsMedia("wmv2", "wmav1", "wmv")},
        {"WMV audio 7 is WMAv2", settings(FormatWmv, [](auto& s) { s.wmvAudioCodec = 7; }),
         windowsMedia("wmv2", "wmav2", "wmv")},
        {"WMV ignores the ASF choices",
         settings(FormatWmv, [](auto& s) { s.asfVideoCodec = 0; s.asfAudioCodec = 0; }),
         windowsMedia("wmv2", "wmav2", "wmv")},
        {"ASF msmpeg4", settings(FormatAsf, [](auto& s) { s.asfVideoCodec = 0; }),
         windowsMedia("msmpeg4", "wmav2", "asf")},
        {"ASF msmpeg4v2 WMAv1", settings(FormatAsf, [](auto& s) { s.asfVideoCodec = 1; s.asfAudioCodec = 0; }),
         windowsMedia("msmpeg4v2", "wmav1", "asf")},
        {"ASF video 2", settings(FormatAsf, [](auto& s) { s.asfVideoCodec = 2; }), windowsMedia("wmv2", "wmav2", "asf")},
        {"ASF video -1", settings(FormatAsf, [](auto& s) { s.asfVideoCodec = -1; }),
         windowsMedia("wmv2", "wmav2", "asf")},
    };
    for (const auto& c : cases) {
        const bool hasRate = c.options.find(" -ofps ") != std::string::npos;
        EXPECT_EQ(convert(c.s, 640, 480, 25.0),
                  kHead + c.options + (hasRate ? "" : " -ofps 25.000000") + kTail)
            << c.name;
    }
}

TEST(CommandLine, DiscKeyFrameIntervalFollowsTvMode)
{
    struct Case { int32_t format; int32_t tvMode; const char* keyint; };
    const Case cases[] = {
        {FormatVcd, 0, "keyint=18"}, {FormatVcd, 1, "keyint=15"}, {FormatSvcd, 0, "keyint=18"},
        {FormatSvcd, 1, "keyint=15"}, {FormatDvd, 0, "keyint=18"}, {FormatDvd, 5, "keyint=15"},
        {FormatDvd, -1, "keyint=15"}, {FormatMpeg1, 1, "keyint=18"}, {FormatMpeg2, 1, "keyint=18"},
    };
    for (const auto& c : cases) {
        const std::string line = convert(settings(c.format, [&](auto& s) { s.tvMode = c.tvMode; }), 640, 480, 25);
        EXPECT_NE(line.find(c.keyint), std::string::npos) << c.format << "/" << c.tvMode << ": " << line;
    }
    EXPECT_EQ(convert(settings(FormatVcd, [](auto& s) { s.tvMode = 1; }), 352, 288, 25.0),
              kHead +
                  " -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg1video:keyint=15:vrc_buf_size=327"
                  ":vrc_minrate=1000:vbitrate=1000:vrc_maxrate=1000:acodec=mp2:abitrate=192:autoaspect=1"
                  ":aspect=16/9 -mpegopts format=xvcd -af volume=+0db:0:channels=2:lavcresample=44100"
                  " -srate 44100 -ofps 25.000000 -vf scale=352:288,harddup" + kTail);
}

TEST(CommandLine, SvcdPeakRateAndWindowsMediaScale)
{
    const std::pair<int32_t, const char*> svcd[] = {
        {0, "vrc_maxrate=1650:vbitrate=800:"}, {1, "vrc_maxrate=1850:vbitrate=1200:"},
        {2, "vrc_maxrate=2050:vbitrate=1600:"}, {3, "vrc_maxrate=2250:vbitrate=2000:"},
        {4, "vrc_maxrate=2500:vbitrate=2500:"}};
    for (const auto& [quality, text] : svcd) {
        const std::string line = convert(settings(FormatSvcd, [&](auto& s) { s.svcdQuality = quality; }), 640, 480, 25);
        EXPECT_NE(line.find(text), std::string::npos) << quality << ": " << line;
    }
    const std::pair<int32_t, const char*> wmv[] = {
        {0, "vqscale=29:abitrate=64:"}, {1, "vqscale=26:abitrate=64:"}, {2, "vqscale=24:abitrate=80:"},
        {3, "vqscale=21:abitrate=96:"}, {4, "vqscale=19:abitrate=128:"}, {5, "vqscale=16:abitrate=128:"},
        {6, "vqscale=14:abitrate=160:"}, {7, "vqscale=11:abitrate=192:"}, {8, "vqscale=9:abitrate=224:"},
        // Outside the table: the bitrates stay as resolved before (0 here).
        {12, "vqscale=-1:abitrate=0:"}, {13, "vqscale=-3:abitrate=0:"}, {-1, "vqscale=31:abitrate=0:"},
        {INT32_MAX, "vqscale=-2147483648:abitrate=0:"}, {INT32_MIN, "vqscale=2147483647:abitrate=0:"}};
    for (const auto& [quality, text] : wmv) {
        const std::string line = convert(settings(FormatWmv, [&](auto& s) { s.wmvQuality = quality; }), 640, 480, 25);
        EXPECT_NE(line.find(text), std::string::npos) << quality << ": " << line;
    }
}

TEST(CommandLine, VolumeText)
{
    const std::pair<int32_t, const char*> cases[] = {
        {20, "+0db:0"}, {0, "-20db:0"}, {40, "+20db:0"}, {19, "-1db:0"}, {21, "+1db:0"},
        {-5, "-25db:0"}, {INT32_MIN, "-2147483668db:0"}, {INT32_MAX, "+2147483627db:0"}};
    for (const auto& [volume, text] : cases) {
        const std::string line = convert(settings(FormatAvi, [&](auto& s) { s.volume = volume; }), 640, 480, 25);
        EXPECT_NE(line.find(std::string(" -af volume=") + text + ":channels=2 -ofps"), std::string::npos)
            << volume << ": " << line;
    }
}

TEST(CommandLine, FrameRateOption)
{
    struct Case { int32_t format; int32_t index; double source; const char* ofps; };
    const Case cases[] = {
        {FormatAvi, 1, 0, "15000/1001"}, {FormatAvi, 2, 0, "20.000000"}, {FormatAvi, 3, 0, "24000/1001"},
        {FormatAvi, 4, 0, "24.000000"}, {FormatAvi, 5, 0, "25.000000"}, {FormatAvi, 6, 0, "30000/1001"},
        {FormatAvi, 7, 0, "30.000000"},
        // "Original" passes the source rate: the fractions only within 0.00001.
        {FormatAvi, 0, 14.985 + 0.000009, "15000/1001"}, {FormatAvi, 0, 14.985 + 0.00002, "14.985020"},
        {FormatAvi, 0, 23.976 - 0.000009, "24000/1001"}, {FormatAvi, 0, 23.976 + 0.00002, "23.976020"},
        {FormatAvi, 0, 29.97 + 0.000009, "30000/1001"}, {FormatAvi, 0, 29.9701, "29.970100"},
        {FormatAvi, 0, 59.5, "59.500000"}, {FormatAvi, 0, 60.0, "60.000000"}, {FormatAvi, 0, 75.0, "30.000000"},
        {FormatAvi, 0, 12.0, "15000/1001"},
        {FormatMpeg1, 0, 24.5, "24.000000"}, {FormatMpeg2, 0, 23.976, "24000/1001"},
        {FormatMpeg2, 0, 27.9, "25.000000"}, {FormatMpeg1, 0, 29.97, "30000/1001"},
        {FormatMpeg1, 0, 50.0, "30.000000"},
        {FormatWmv, 0, 25.0, "1000.000000"}, {FormatAsf, 0, 25.0, "1000.000000"},
    };
    for (const auto& c : cases) {
        OutputSettings s = settings(c.format, [&](auto& s) { s.aviFrameRate = s.mpegFrameRate = c.index; });
        EXPECT_EQ(ofps(convert(s, 640, 480, c.source)), c.ofps)
            << c.format << " index " << c.index << " source " << c.source;
    }
}

TEST(CommandLine, ScalingBranches)
{
    struct Case {
        const char* name; int32_t resolution; int32_t letterbox; int32_t sw; int32_t sh;
        Padding pad; const char* vf;
    };
    const Case cases[] = {
        {"letterbox off", 10, 0, 720, 480, {0, 0}, " -vf scale=320:240,harddup"},
        {"same aspect", 10, 1, 640, 480, {0, 0}, " -vf scale=320:240,harddup"},
        {"pillar box", 16, 1, 640, 480, {155, -116}, " -vf scale=-3:352,harddup,expand=624:352"},
        {"letter box", 19, 1, 720, 306, {-635, 270}, " -vf scale=720:-3,harddup,expand=720:576"},
        {"original size", 0, 1, 640, 480, {0, 0}, ""},
        {"original size without letterbox", 0, 0, 640, 480, {0, 0}, ""},
        {"size index outside the table", 20, 1, 640, 480, {0, 0}, ""},
        {"zero source width", 10, 1, 0, 480, {0, 0}, " -vf scale=320:240,harddup"},
        {"zero source height", 10, 1, 640, 0, {0, 0}, " -vf scale=320:240,harddup"},
        {"letterbox any non-zero", 10, -1, 720, 480, {-40, 27}, " -vf scale=320:-3,harddup,expand=320:240"},
    };
    for (const auto& c : cases) {
        OutputSettings s = settings(FormatAvi, [&](auto& s) {
            s.aviResolution = c.resolution;
            s.letterbox = c.letterbox;
        });
        EncodeParameters p;
        EXPECT_EQ(ComputePadding(s, p, c.sw, c.sh), c.pad) << c.name;
        EXPECT_EQ(convert(s, c.sw, c.sh, 25.0),
                  kHead + kAviDivxMp3 + " -ofps 25.000000" + c.vf + kTail) << c.name;
    }
    // The build follows the paddings it is given: width first.
    OutputSettings s = settings(FormatAvi, [](auto& s) { s.aviResolution = 10; });
    EncodeParameters p;
    ResolveFrameSize(s, p);
    EXPECT_EQ(BuildEncoderCommandLine(s, p, kSource, kOutput, 5, 5, kModeProbe, 25, 3),
              kHead + kAviDivxMp3 + " -ofps 25.000000 -vf scale=-3:240,harddup,expand=320:240"
                                    " -endpos 9:0:0 1 3");
}

TEST(CommandLine, ProbeAndConvertTails)
{
    OutputSettings s;
    EncodeParameters p;  // start-up size 320 x 240, as before the first conversion
    EXPECT_TRUE(BuildEncoderCommandLine(s, p, kSource, kOutput, 0, 0, kModeProbe, 0.0, 42)
                    .ends_with(" -vf scale=320:240,harddup -endpos 9:0:0 1 42"));
    EXPECT_TRUE(BuildEncoderCommandLine(s, p, kSource, kOutput, 0, 0, kModeConvert, 0.0, INT32_MIN)
                    .ends_with(" -endpos 9:0:0 0 -2147483648"));
}

TEST(CommandLine, PathsAreInsertedUnchanged)
{
    OutputSettings s;
    EncodeParameters p;
    const std::string line =
        BuildEncoderCommandLine(s, p, "/a b/{v}\"x\".avi", "/o %d/y.avi", 0, 0, kModeConvert, 25, 1);
    EXPECT_TRUE(line.starts_with("\"/a b/{v}\"x\".avi\" -o \"/o %d/y.avi\" -oac")) << line;
}

TEST(CommandLine, PaddingMatches32BitArithmeticForRealisticSizes)
{
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int32_t> side(1, 8192);
    for (int32_t resolution = 1; resolution < 20; ++resolution) {
        OutputSettings s = settings(FormatAvi, [&](auto& s) { s.aviResolution = resolution; });
        for (int i = 0; i < 500; ++i) {
            const int32_t sw = side(rng), sh = side(rng);
            EncodeParameters p;
            const Padding pad = ComputePadding(s, p, sw, sh);
            const int32_t w = p.targetWidth, h = p.targetHeight;
            EXPECT_EQ(pad, (Padding{w - (sw * h) / sh, h - (sh * w) / sw})) << sw << "x" << sh;
        }
    }
    struct Case { int32_t sw; int32_t sh; Padding pad; };
    const Case extremes[] = {
        {INT32_MAX, 1, {INT32_MIN, 240}}, {1, INT32_MAX, {320, INT32_MIN}},
        {INT32_MIN, -1, {INT32_MIN, 240}}, {-640, 480, {640, 480}}, {INT32_MIN, INT32_MIN, {80, -80}},
        {INT32_MAX, INT32_MAX, {80, -80}}, {0, 0, {0, 0}}, {0, INT32_MIN, {0, 0}},
    };
    OutputSettings s = settings(FormatAvi, [](auto& s) { s.aviResolution = 10; });
    for (const auto& c : extremes) {
        EncodeParameters p;
        EXPECT_EQ(ComputePadding(s, p, c.sw, c.sh), c.pad) << c.sw << "x" << c.sh;
    }
}

// Any integer in any option key: loading, resolving, padding and building
// never crash and never make the string long.
TEST(CommandLine, AnyOptionValuesGiveABoundedString)
{
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -1000, -20, -2, -1, 0, 1, 2, 3, 4, 5,
                                6, 7, 8, 9, 10, 11, 17, 18, 19, 20, 21, 40, 41, 99, 1000,
                                INT32_MAX - 1, INT32_MAX};
    const double rates[] = {0.0, -1.0, 12.0, 14.985, 23.976, 24.5, 29.97, 60.0, 75.0,
                            214.7483647, 1e308, -1e308, std::nan(""),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};
    const char* const keys[] = {"Letterbox", "Output format", "TV mode", "MPEG aspect ratio",
                                "DVD aspect ratio", "AVI quality", "MPEG1 quality", "MPEG2 quality",
                                "SVCD quality", "DVD quality", "WMV quality", "AVI video codec",
                                "ASF video codec", "AVI audio codec", "Divx audio codec",
                                "Xvid audio codec", "DVD audio codec", "WMV audio codec",
                                "ASF audio codec", "AVI resolution", "MPEG resolution",
                                "AVI frame rate", "MPEG frame rate", "Volume"};
    std::mt19937 rng(2024);
    auto pick = [&](auto& list) { return list[std::uniform_int_distribution<size_t>(0, std::size(list) - 1)(rng)]; };
    auto anyInt = [&] {
        return rng() % 2 ? pick(extremes)
                         : static_cast<int32_t>(std::uniform_int_distribution<int64_t>(INT32_MIN, INT32_MAX)(rng));
    };
    const std::string longPath = "/" + std::string(254, 'p');

    char folder[] = "/tmp/quelvo-cmdline-XXXXXX";
    const std::string dir = std::string(::mkdtemp(folder)) + "/";
    for (int round = 0; round < 20000; ++round) {
        OutputSettings s;
        if (round < 300) {
            // Through the option file, with junk after the numbers now and then.
            std::vector<ProfileEntry> entries;
            std::vector<int32_t> written;
            for (const char* key : keys) {
                written.push_back(anyInt());
                entries.push_back({key, std::to_string(written.back()) + (rng() % 4 ? "" : "junk")});
            }
            ASSERT_TRUE(writeProfileStrings(dir + "option.ini", "Destinate", entries));
            std::string version;
            LoadOptions(dir, s, version);
            EXPECT_EQ(s.letterbox, written[0]);
            EXPECT_EQ(s.outputFormat, written[1]);
            EXPECT_EQ(s.volume, written.back());
        } else {
            for (int32_t OutputSettings::*field :
                 {&OutputSettings::letterbox, &OutputSettings::outputFormat, &OutputSettings::tvMode,
                  &OutputSettings::mpegAspectRatio, &OutputSettings::dvdAspectRatio,
                  &OutputSettings::aviQuality, &OutputSettings::mpeg1Quality, &OutputSettings::mpeg2Quality,
                  &OutputSettings::svcdQuality, &OutputSettings::dvdQuality, &OutputSettings::wmvQuality,
                  &OutputSettings::aviVideoCodec, &OutputSettings::asfVideoCodec,
                  &OutputSettings::aviAudioCodec, &OutputSettings::divxAudioCodec,
                  &OutputSettings::xvidAudioCodec, &OutputSettings::dvdAudioCodec,
                  &OutputSettings::wmvAudioCodec, &OutputSettings::asfAudioCodec,
                  &OutputSettings::aviResolution, &OutputSettings::mpegResolution,
                  &OutputSettings::aviFrameRate, &OutputSettings::mpegFrameRate, &OutputSettings::volume})
                s.*field = anyInt();
            // Mostly real formats, so the deep branches are reached often.
            if (rng() % 4)
                s.outputFormat = static_cast<int32_t>(rng() % 10);
        }
        EncodeParameters p;
        p.videoBitrate = anyInt();  // left from an earlier run when the preset index is bad
        p.audioBitrate = anyInt();
        const double rate = pick(rates);
        ResolveBitrates(s, p);
        ResolveFrameSize(s, p);
        ResolveFrameRate(s, p, rate);
        ResolveAspectText(s, p);
        ASSERT_LE(p.aspectText.size(), 7u);
        const Padding pad = rng() % 2 ? ComputePadding(s, p, anyInt(), anyInt()) : Padding{anyInt(), anyInt()};
        const int32_t mode = anyInt(), channel = anyInt();
        const std::string line =
            BuildEncoderCommandLine(s, p, longPath, longPath, pad.width, pad.height, mode, rate, channel);
        ASSERT_LT(line.size(), 2048u) << line;
        ASSERT_TRUE(line.starts_with("\"" + longPath + "\" -o \"" + longPath + "\""));
        ASSERT_TRUE(line.ends_with(" -endpos 9:0:0 " + std::to_string(mode) + " " + std::to_string(channel)));
        ASSERT_EQ(line.find('{'), std::string::npos) << line;
        ASSERT_NE(line.find(" -ofps "), std::string::npos);
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}
