#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "encoder/ArgumentParser.h"
#include "encoder/FfmpegCommand.h"
#include "encoder/ProgressParser.h"
#include "encoder/SourceInfo.h"
#include "format_strings.h"

using namespace brantixenc;
using namespace encodertest;

namespace {

using Args = std::vector<std::string>;

SourceInfo clipInfo(int width = 160, int height = 120, int sarNum = 0, int sarDen = 1)
{
    SourceInfo s;
    s.readable = true;
    s.width = width;
    s.height = height;
    s.sarNum = sarNum;
    s.sarDen = sarDen;
    s.rateNum = 25;
    s.rateDen = 1;
    s.durationSeconds = 2;
    s.videoStream = 0;
    s.audioStream = 1;
    s.audioChannels = 2;
    s.audioSampleRate = 32000;
    return s;
}

Args translate(const std::string& options, const SourceInfo& source = clipInfo(),
               const std::string& limit = "9:0:0")
{
    std::string error;
    auto job = parseArguments(head("/in/a b.avi", "/out/a b.avi") + options + " -endpos " + limit + " 0 3",
                              &error);
    EXPECT_TRUE(job) << error;
    if (!job)
        return {};
    auto args = buildFfmpegArguments(*job, source, "/out/.tmp.part", 3, &error);
    EXPECT_TRUE(args) << error;
    return args.value_or(Args{});
}

// The value after a flag, "" when the flag is absent.
std::string valueOf(const Args& args, const std::string& flag)
{
    auto it = std::find(args.begin(), args.end(), flag);
    return it == args.end() || it + 1 == args.end() ? "" : *(it + 1);
}

}  // namespace

TEST(FfmpegCommand, TranslatesEveryFormatRow)
{
    // Flags whose value is checked for every row; "" means the flag must be absent.
    const std::vector<std::string> flags = {"-c:v", "-b:v", "-q:v", "-g",     "-bufsize", "-minrate",
                                            "-maxrate", "-vf", "-r",  "-vtag", "-c:a",    "-b:a",
                                            "-af",  "-ac",  "-ar",  "-f"};
    struct Expected {
        const char* row;
        std::vector<std::string> values;  // in the order of flags
    };
    const Expected expected[] = {
        {"AviDivxMp3", {"mpeg4", "1000k", "", "250", "", "", "", "scale=320:240:flags=bicubic,setsar=1/1",
                        "30000/1001", "DX50", "libmp3lame", "128k", "", "1", "", "avi"}},
        {"AviDivxAc3", {"mpeg4", "1000k", "", "250", "", "", "", "setsar=1/1", "25/1", "DX50", "ac3",
                        "128k", "pan=5.1|c0=c0|c1=c1", "", "44100", "avi"}},
        {"AviXvidMp3", {"libxvid", "640k", "", "150", "", "", "", "scale=176:144:flags=bicubic,setsar=12/11",
                        "15000/1001", "XVID", "libmp3lame", "96k", "volume=5dB", "1", "", "avi"}},
        {"AviXvidAc3", {"libxvid", "2500k", "", "240", "", "", "", "setsar=1/1", "24/1", "XVID", "ac3",
                        "224k", "volume=-3dB,pan=5.1|c0=c0|c1=c1", "", "44100", "avi"}},
        {"Mpeg1", {"mpeg1video", "1000k", "", "18", "327k", "1000k", "1000k",
                   "scale=320:240:flags=bicubic,setsar=1/1", "25/1", "", "mp2", "192k", "", "", "44100", "mpeg"}},
        {"Mpeg2", {"mpeg2video", "2000k", "", "18", "1835k", "", "9400k",
                   "scale=352:288:flags=bicubic,setsar=16/11", "30000/1001", "", "mp2", "160k", "", "", "44100",
                   "mpeg"}},
        {"VcdNtsc", {"mpeg1video", "1152k", "", "18", "327k", "1152k", "1152k",
                     "scale=352:240:flags=bicubic,setsar=10/11", "24000/1001", "", "mp2", "192k", "", "", "44100",
                     "vcd"}},
        {"VcdPal", {"mpeg1video", "1152k", "", "15", "327k", "1152k", "1152k",
                    "scale=352:288:flags=bicubic,setsar=16/11", "25/1", "", "mp2", "192k", "", "", "44100", "vcd"}},
        {"SvcdNtsc", {"mpeg2video", "800k", "", "18", "917k", "600k", "1650k",
                      "scale=480:480:flags=bicubic,setsar=4/3", "30000/1001", "", "mp2", "128k", "", "", "44100",
                      "svcd"}},
        {"DvdPalAc3", {"mpeg2video", "5000k", "", "15", "1835k", "", "9400k",
                       "scale=720:576:flags=bicubic,setsar=64/45", "25/1", "", "ac3", "224k", "", "", "48000",
                       "dvd"}},
        {"DvdNtscMp2", {"mpeg2video", "800k", "", "18", "1835k", "", "9400k",
                        "scale=720:480:flags=bicubic,setsar=8/9", "30000/1001", "", "mp2", "112k", "volume=20dB",
                        "", "48000", "dvd"}},
        {"WmvWmav2", {"wmv2", "", "16", "250", "", "", "", "scale=320:240:flags=bicubic,setsar=1/1", "", "",
                      "wmav2", "128k", "", "", "44100", "asf"}},
        {"WmvWmav1", {"wmv2", "", "29", "250", "", "", "", "setsar=1/1", "", "", "wmav1", "64k", "volume=-20dB",
                      "", "44100", "asf"}},
        {"AsfMsmpeg4Wmav1", {"msmpeg4", "", "9", "250", "", "", "", "scale=320:240:flags=bicubic,setsar=1/1", "",
                             "", "wmav1", "224k", "", "", "44100", "asf"}},
        {"AsfMsmpeg4v2Wmav2", {"msmpeg4v2", "", "21", "250", "", "", "", "scale=320:240:flags=bicubic,setsar=1/1",
                               "", "", "wmav2", "96k", "", "", "44100", "asf"}},
        {"AsfWmv2Wmav2", {"wmv2", "", "26", "250", "", "", "", "scale=160:120:flags=bicubic,setsar=1/1", "", "",
                          "wmav2", "64k", "", "", "44100", "asf"}},
    };
    ASSERT_EQ(std::size(expected), std::size(kFormatRows));
    for (size_t i = 0; i < std::size(kFormatRows); ++i) {
        const auto& row = kFormatRows[i];
        ASSERT_STREQ(expected[i].row, row.name);
        Args args = translate(row.options);
        ASSERT_FALSE(args.empty()) << row.name;
        for (size_t f = 0; f < flags.size(); ++f)
            EXPECT_EQ(valueOf(args, flags[f]), expected[i].values[f]) << row.name << " " << flags[f];

        // What every conversion shares.
        EXPECT_EQ(args.front(), "ffmpeg");
        EXPECT_EQ(valueOf(args, "-i"), "file:/in/a b.avi") << row.name;
        EXPECT_EQ(args.back(), "file:/out/.tmp.part") << row.name;
        EXPECT_EQ(valueOf(args, "-progress"), "pipe:3") << row.name;
        EXPECT_EQ(valueOf(args, "-t"), "32400") << row.name;
        EXPECT_EQ(valueOf(args, "-threads"), "0") << row.name;
        EXPECT_EQ(valueOf(args, "-pix_fmt"), "yuv420p") << row.name;
        EXPECT_EQ(std::count(args.begin(), args.end(), "-map"), 2) << row.name;
        // The Windows Media "Auto" rate keeps the source's timing.
        bool wm = valueOf(args, "-f") == "asf";
        EXPECT_EQ(valueOf(args, "-fps_mode"), wm ? "passthrough" : "") << row.name;
    }
}

TEST(FfmpegCommand, ScalesThenPadsAndKeepsTheDisplayAspect)
{
    struct Case {
        const char* name;
        std::string options;
        SourceInfo source;
        std::string filters;
    };
    const std::string lavcAuto = " -oac lavc -ovc lavc -lavcopts vcodec=mpeg4:autoaspect=1 -of avi";
    const std::string lavcPlain = " -oac lavc -ovc lavc -lavcopts vcodec=mpeg4 -of avi";
    const std::string dvd = " -oac lavc -ovc lavc -of mpeg -mpegopts format=dvd"
                            " -lavcopts vcodec=mpeg2video:autoaspect=1:aspect=16/9";
    const Case cases[] = {
        // Scale to the target width, pad top and bottom, centred.
        {"dvd letterbox", dvd + " -vf scale=720:-3,harddup,expand=720:576", clipInfo(640, 480),
         "scale=720:540:flags=bicubic,pad=720:576:0:18:black,setsar=64/45"},
        // The width that follows the height is rounded up to even: 352*640/480 = 469.
        {"pillar box", lavcAuto + " -vf scale=-3:352,harddup,expand=624:352", clipInfo(640, 480),
         "scale=470:352:flags=bicubic,pad=624:352:77:0:black,setsar=1/1"},
        // 320*480/720 = 213 becomes 214; the kept pixel aspect is 321:320, close to 255:254.
        {"avi letterbox", lavcAuto + " -vf scale=320:-3,harddup,expand=320:240", clipInfo(720, 480),
         "scale=320:214:flags=bicubic,pad=320:240:0:13:black,setsar=255/254"},
        // A 16:9 anamorphic source keeps 16:9 through a 4:3 frame size with autoaspect...
        {"anamorphic autoaspect", lavcAuto + " -vf scale=320:240", clipInfo(720, 480, 32, 27),
         "scale=320:240:flags=bicubic,setsar=4/3"},
        // ...and loses it without.
        {"anamorphic plain", lavcPlain + " -vf scale=320:240", clipInfo(720, 480, 32, 27),
         "scale=320:240:flags=bicubic,setsar=1/1"},
        // Expand never crops a picture larger than its size.
        {"expand smaller", lavcAuto + " -vf scale=400:300,expand=320:240", clipInfo(),
         "scale=400:300:flags=bicubic,pad=400:300:0:0:black,setsar=1/1"},
        {"other scaler", lavcAuto + " -sws 9 -vf scale=80:60", clipInfo(), "scale=80:60:flags=lanczos,setsar=1/1"},
        {"2.21 aspect", " -oac lavc -ovc lavc -lavcopts vcodec=mpeg2video:aspect=2.21/1 -of mpeg"
                        " -vf scale=720:576", clipInfo(), "scale=720:576:flags=bicubic,setsar=221/125"},
        {"1:1 aspect", " -oac lavc -ovc lavc -lavcopts vcodec=mpeg1video:aspect=1/1 -of mpeg"
                       " -vf scale=352:288", clipInfo(), "scale=352:288:flags=bicubic,setsar=9/11"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(valueOf(translate(c.options, c.source), "-vf"), c.filters) << c.name;
}

TEST(FfmpegCommand, TranslatesRatesCodecsAndLimits)
{
    struct Case {
        std::string options;
        std::string flag;
        std::string value;
    };
    const std::string base = " -oac lavc -ovc lavc -of avi";
    const Case cases[] = {
        {base + " -ofps 29.970030", "-r", "30000/1001"},  // "Original" of a 29.97 fps source
        {base + " -ofps 24.000000", "-r", "24/1"},
        {base + " -ofps 60000/1001", "-r", "60000/1001"},
        {base + " -ofps 1000.000000", "-fps_mode", "passthrough"},
        {base + " -ofps 1000.000000", "-r", ""},
        {base, "-r", ""},
        {base + " -lavcopts vbitrate=20000", "-b:v", "20000"},  // above 16000 lavc reads bit/s
        {base + " -lavcopts vbitrate=16000", "-b:v", "16000k"},
        {base, "-b:v", "800k"},  // lavc's defaults: 800 kbit/s, mpeg4, key frame every 250, mp2 at 224
        {base, "-c:v", "mpeg4"},
        {base, "-c:a", "mp2"},
        {base, "-b:a", "224k"},
        {base + " -lavcopts mbd=1", "-mbd", "bits"},
        {" -oac mp3lame -ovc lavc -of avi -lameopts cbr:br=192", "-b:a", "192k"},
        {" -oac mp3lame -ovc lavc -of avi -lameopts vbr=2:q=2", "-q:a", "2"},
        {" -oac mp3lame -ovc lavc -of avi -lameopts mode=1", "-ac", "2"},
        {" -oac mp3lame -ovc lavc -of avi", "-ac", ""},
        {" -oac copy -ovc copy -of avi", "-c:v", "copy"},
        {" -oac copy -ovc copy -of avi", "-vf", ""},
        {" -oac lavc -ovc xvid -xvidencopts fixed_quant=4 -of avi", "-q:v", "4"},
        {" -oac lavc -ovc xvid -of avi -ffourcc DIVX", "-vtag", "DIVX"},
        {" -oac lavc -ovc lavc -of mpeg", "-f", "vob"},
        {" -oac lavc -ovc lavc -of mpeg -mpegopts format=mpeg1", "-f", "mpeg"},
        {" -oac lavc -ovc lavc -of mpeg -ffourcc DX50", "-vtag", ""},
        {" -oac lavc -ovc lavc -of lavf -lavfopts format=asf", "-f", "asf"},
        {" -oac lavc -ovc lavc -of lavf", "-f", "avi"},  // from the output name
        {base + " -af volume=3:1", "-af", "volume=3dB,asoftclip"},
        {base + " -af volume=-2.5db", "-af", "volume=-2.5dB"},
        // A separate channels filter copies channel for channel; the rest is silent.
        {base + " -af channels=6", "-af", "pan=5.1|c0=c0|c1=c1"},
        {base + " -af channels=1,lavcresample=22050", "-af", "pan=mono|c0=c0,aresample=22050"},
        {base + " -af channels=2", "-af", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(valueOf(translate(c.options), c.flag), c.value) << c.options << " " << c.flag;

    EXPECT_EQ(valueOf(translate(base, clipInfo(), "1:30"), "-t"), "90");
    Args sized = translate(base, clipInfo(), "10mb");
    EXPECT_EQ(valueOf(sized, "-fs"), "10485760");
    EXPECT_EQ(valueOf(sized, "-t"), "");

    SourceInfo mono = clipInfo();
    mono.audioChannels = 1;
    EXPECT_EQ(valueOf(translate(base + " -af channels=2", mono), "-af"), "pan=stereo|c0=c0|c1=c0");

    SourceInfo silent = clipInfo();
    silent.audioStream = -1;
    Args args = translate(base, silent);
    EXPECT_EQ(std::count(args.begin(), args.end(), "-map"), 1);
    EXPECT_NE(std::find(args.begin(), args.end(), "-an"), args.end());
    EXPECT_EQ(valueOf(args, "-c:a"), "");
}

TEST(FfmpegCommand, RefusesWhatCannotBeDone)
{
    struct Case {
        std::string options;
        SourceInfo source;
        std::string error;
    };
    SourceInfo unreadable;
    const Case cases[] = {
        {" -oac lavc -of avi", clipInfo(), "no video encoder (-ovc)"},
        {" -ovc lavc -of avi", clipInfo(), "the source has sound but no audio encoder (-oac) is given"},
        {" -oac lavc -ovc lavc -of avi -lavcopts vcodec=h264", clipInfo(), "-lavcopts: unknown video codec h264"},
        {" -oac lavc -ovc lavc -of avi -lavcopts acodec=opus", clipInfo(), "-lavcopts: unknown audio codec opus"},
        {" -oac lavc -ovc lavc -of lavf -lavfopts format=mkv", clipInfo(), "-lavfopts: unknown format mkv"},
        {" -oac lavc -ovc lavc -of avi -vf scale=-3:-1", clipInfo(),
         "-vf scale: the width follows a height that is not given"},
        {" -oac lavc -ovc lavc -of avi", unreadable, "the source has no readable video stream"},
    };
    for (const auto& c : cases) {
        auto job = parseArguments(head("/a", "/b.avi") + c.options + tail(0, 3), nullptr);
        ASSERT_TRUE(job) << c.options;
        std::string error;
        EXPECT_FALSE(buildFfmpegArguments(*job, c.source, "/t", 3, &error)) << c.options;
        EXPECT_EQ(error, c.error);
    }
    auto job = parseArguments(head("/a", "/b.xyz") + " -oac lavc -ovc lavc -of lavf" + tail(0, 3), nullptr);
    ASSERT_TRUE(job);
    std::string error;
    EXPECT_FALSE(buildFfmpegArguments(*job, clipInfo(), "/t", 3, &error));
    EXPECT_EQ(error, "cannot tell the container from the output name; give -lavfopts format=");
}

TEST(FfmpegCommand, FindsTheClosestRatio)
{
    struct Case {
        double value;
        int64_t maxNum, maxDen;
        Rational expected;
    };
    const Case cases[] = {
        {29.970030, 1 << 30, 1001, {30000, 1001}}, {23.976024, 1 << 30, 1001, {24000, 1001}},
        {25.0, 1 << 30, 1001, {25, 1}},            {12.5, 1 << 30, 1001, {25, 2}},
        {64.0 / 45, 255, 255, {64, 45}},          {2.21, 255, 255, {221, 100}},
        {1e20, 255, 255, {255, 1}},               {0.001, 255, 255, {0, 1}},
        {0.0, 255, 255, {0, 1}},                  {-1.0, 255, 255, {0, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bestRational(c.value, c.maxNum, c.maxDen), c.expected) << c.value;
}

TEST(ProgressParser, ReadsCapturedProgressBlocks)
{
    // As ffmpeg 5.1 writes it with -progress; "N/A" and a negative time come first.
    const char* lines[] = {
        "frame=0", "out_time_us=N/A", "out_time=N/A", "progress=continue",
        "frame=1", "out_time_us=-23220", "progress=continue",
        "frame=30", "fps=0.00", "stream_0_0_q=-0.0", "bitrate=N/A", "total_size=N/A",
        "out_time_us=1204490", "out_time_ms=1204490", "out_time=00:00:01.204490",
        "dup_frames=0", "drop_frames=0", "speed= 112x", "progress=continue",
        "garbage without equals", "out_time_us=12x", "progress=continue",
        "out_time_us=2037551\r", "progress=end",
    };
    ProgressParser parser;
    std::vector<ProgressUpdate> updates;
    for (const char* l : lines)
        if (auto u = parser.feedLine(l))
            updates.push_back(*u);
    const std::vector<ProgressUpdate> expected = {
        {0, false}, {0, false}, {1204490, false}, {1204490, false}, {2037551, true}};
    EXPECT_EQ(updates, expected);
}

TEST(SourceInfo, ProbeValuesRoundTheDurationAndScaleTheRate)
{
    struct Case {
        double duration;
        int rateNum, rateDen;
        bool readable;
        ProbeValues expected;
    };
    const Case cases[] = {
        {2.04, 30000, 1001, true, {2, 160, 120, 299700300}},
        {2.5, 25, 1, true, {3, 160, 120, 250000000}},
        {0.4, 25, 1, true, {1, 160, 120, 250000000}},  // a short clip is not a failure
        {-1, 25, 1, true, {1, 160, 120, 250000000}},   // duration unknown
        {1e12, 1000000, 1, true, {INT32_MAX, 160, 120, INT32_MAX}},
        {2, 0, 1, true, {2, 160, 120, 0}},             // rate unknown
        {2, 25, 1, false, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SourceInfo s = clipInfo();
        s.durationSeconds = c.duration;
        s.rateNum = c.rateNum;
        s.rateDen = c.rateDen;
        s.readable = c.readable;
        EXPECT_EQ(probeValues(s), c.expected) << c.duration << " " << c.rateNum;
    }
}
