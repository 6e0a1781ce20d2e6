#include <gtest/gtest.h>

#include "encoder/ArgumentParser.h"
#include "format_strings.h"

using namespace brantixenc;
using namespace encodertest;

namespace {

// The DVD example: PAL, preset 5, AC3, 16:9, volume step 20, letterboxed.
const std::string kDvdExample =
    "\"C:\\my videos\\clip one.avi\" -o \"/home/u/output video/clip one.vob\""
    " -oac lavc -ovc lavc -of mpeg"
    " -lavcopts vcodec=mpeg2video:keyint=15:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=5000"
    ":acodec=ac3:abitrate=224:autoaspect=1:aspect=16/9 -mpegopts format=dvd"
    " -af volume=+0db:0:lavcresample=48000 -srate 48000 -ofps 25.000000"
    " -vf scale=720:-3,harddup,expand=720:576 -endpos 9:0:0 0 17";

// The AVI example: Divx with MP3, 320 x 240 from a 29.97 fps source, volume step 25.
const std::string kAviExample =
    "\"/v/a.avi\" -o \"/o/a.avi\" -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3"
    " -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50"
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2"
    " -af volume=+5db:0:channels=2 -ofps 30000/1001 -vf scale=320:-3,harddup,expand=320:240"
    " -endpos 9:0:0 0 -5";

}  // namespace

TEST(ArgumentParser, ReadsTheDvdExample)
{
    std::string error;
    auto job = parseArguments(kDvdExample, &error);
    ASSERT_TRUE(job) << error;
    EXPECT_EQ(job->sourcePath, "C:\\my videos\\clip one.avi");
    EXPECT_EQ(job->outputPath, "/home/u/output video/clip one.vob");
    EXPECT_EQ(job->audioEncoder, "lavc");
    EXPECT_EQ(job->videoEncoder, "lavc");
    EXPECT_EQ(job->muxer, "mpeg");
    EXPECT_EQ(job->mpegFormat, "dvd");
    EXPECT_EQ(job->lavc.videoCodec, "mpeg2video");
    EXPECT_EQ(job->lavc.keyint, 15);
    EXPECT_EQ(job->lavc.bufferSize, 1835);
    EXPECT_EQ(job->lavc.maxRate, 9400);
    EXPECT_EQ(job->lavc.minRate, std::nullopt);
    EXPECT_EQ(job->lavc.videoBitrate, 5000);
    EXPECT_EQ(job->lavc.audioCodec, "ac3");
    EXPECT_EQ(job->lavc.audioBitrate, 224);
    EXPECT_EQ(job->lavc.aspect, "16/9");
    EXPECT_EQ(job->lavc.autoaspect, true);
    // The resampling chained onto the gain is a filter of its own.
    EXPECT_EQ(job->audioFilters, (AudioFilters{0.0, false, std::nullopt, 48000}));
    EXPECT_EQ(job->sampleRate, 48000);
    ASSERT_TRUE(job->outputFrameRate);
    EXPECT_DOUBLE_EQ(job->outputFrameRate->value, 25.0);
    const std::vector<VideoFilter> filters = {
        {VideoFilter::Kind::Scale, 720, -3},
        {VideoFilter::Kind::HardDup},
        {VideoFilter::Kind::Expand, 720, 576},
    };
    EXPECT_EQ(job->videoFilters, filters);
    ASSERT_TRUE(job->endPosition);
    EXPECT_DOUBLE_EQ(job->endPosition->seconds, 9 * 3600);
    EXPECT_EQ(job->mode, kModeConvert);
    EXPECT_EQ(job->reportDescriptor, 17);
}

TEST(ArgumentParser, ReadsTheAviExampleButNotANegativeDescriptor)
{
    std::string error;
    EXPECT_FALSE(parseArguments(kAviExample, &error));
    EXPECT_EQ(error, "bad report descriptor -5");

    std::string good = kAviExample.substr(0, kAviExample.size() - 2) + "4";
    auto job = parseArguments(good, &error);
    ASSERT_TRUE(job) << error;
    EXPECT_EQ(job->lame, (LameOptions{3, 128, 3, std::nullopt}));
    EXPECT_TRUE(job->lavc.highQuality);
    EXPECT_EQ(job->lavc.qmin, 1);
    EXPECT_EQ(job->lavc.qmax, 31);
    EXPECT_EQ(job->fourcc, "DX50");
    EXPECT_EQ(job->lavfFormat, "avi");
    EXPECT_EQ(job->scaler, 2);
    EXPECT_EQ(job->audioFilters, (AudioFilters{5.0, false, 2, std::nullopt}));
    EXPECT_EQ(job->outputFrameRate, (FrameRate{30000, 1001, 30000.0 / 1001}));
    EXPECT_EQ(job->reportDescriptor, 4);
}

TEST(ArgumentParser, AcceptsEveryFormatRowInBothModes)
{
    for (const auto& row : kFormatRows) {
        for (int mode : {kModeConvert, kModeProbe}) {
            std::string text = head("/in/a b.avi", "/out/a b.avi") + row.options + tail(mode, 9);
            std::string error;
            auto job = parseArguments(text, &error);
            ASSERT_TRUE(job) << row.name << ": " << error;
            EXPECT_EQ(job->mode, mode) << row.name;
            EXPECT_EQ(job->reportDescriptor, 9) << row.name;
            EXPECT_FALSE(job->videoEncoder.empty()) << row.name;
            EXPECT_FALSE(job->audioEncoder.empty()) << row.name;
        }
    }
}

TEST(ArgumentParser, TakesPathsAsTheyAre)
{
    const std::string paths[] = {
        "/tmp/with blanks/and 'apostrophes' [1] (2).avi",
        "/tmp/ünïcødé/日本語.avi",
        "-leading dash.avi",
        "relative.avi",
        "C:\\windows\\style path.avi",
        "/tmp/a -o b -endpos 1 0 3.avi",
    };
    for (const auto& p : paths) {
        std::string error;
        auto job = parseArguments(head(p, p + ".out") + kFormatRows[0].options + tail(0, 3), &error);
        ASSERT_TRUE(job) << p << ": " << error;
        EXPECT_EQ(job->sourcePath, p);
        EXPECT_EQ(job->outputPath, p + ".out");
    }
}

TEST(ArgumentParser, RejectsJunkWithAReason)
{
    const std::string ok = head("/a.avi", "/b.avi") + " -oac lavc -ovc lavc";
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"", "missing tail: -endpos <limit> <mode> <descriptor>"},
        {ok, "missing tail: -endpos <limit> <mode> <descriptor>"},
        {ok + " -endpos 9:0:0 0", "missing tail: -endpos <limit> <mode> <descriptor>"},
        {ok + " -endpos 9:0:0 2 3", "bad mode 2 (0 converts, 1 probes)"},
        {ok + " -endpos 9:0:0 0 x", "bad report descriptor x"},
        {ok + " -endpos 9:0:0 0 99999999999", "bad report descriptor 99999999999"},
        {ok + " -endpos 9:0:0 0 \"3\"", "bad report descriptor 3"},
        {ok + " -endpos x 0 3", "-endpos: cannot read time x"},
        {ok + " -endpos 0:0:0 0 3", "-endpos: the limit must be above zero"},
        {"\"/a.avi -o \"/b.avi\"" + tail(0, 3), "no blank after the quoted text \"/a.avi -o \""},
        {"\"/a.avi -o /b.avi" + tail(0, 3), "missing closing quote after \"/a.avi -o /b.avi -endpos 9:0:0 0 3"},
        {"/a\"b.avi -o /b.avi" + tail(0, 3), "stray quote in /a\"b.avi"},
        {"-o \"/b.avi\"" + tail(0, 3), "no source path"},
        {"\"/a.avi\"" + tail(0, 3), "no output path (-o)"},
        {"\"/a.avi\" \"/c.avi\" -o \"/b.avi\"" + tail(0, 3), "more than one source: \"/a.avi\" and \"/c.avi\""},
        {ok + " -foo 1" + tail(0, 3), "unknown option -foo"},
        {ok + " -lavcopts" + tail(0, 3), "option -lavcopts needs a value"},
        {ok + " -srate" + tail(0, 3), "option -srate needs a value"},
        {ok + " -oac -ovc lavc" + tail(0, 3), "option -oac needs a value"},
        {ok + " -oac faac" + tail(0, 3), "-oac: unknown audio encoder faac"},
        {ok + " -ovc x264" + tail(0, 3), "-ovc: unknown video encoder x264"},
        {ok + " -lavcopts vcodec=mpeg4:turbo" + tail(0, 3), "-lavcopts: unknown sub-option turbo"},
        {ok + " -lavcopts vbitrate=fast" + tail(0, 3), "-lavcopts: vbitrate needs a whole number from 4 to 24000000"},
        {ok + " -lavcopts vqscale=40" + tail(0, 3), "-lavcopts: vqscale needs a whole number from 1 to 31"},
        {ok + " -lavcopts aspect=wide" + tail(0, 3), "-lavcopts: cannot read aspect wide"},
        {ok + " -lavcopts aspect=16/0" + tail(0, 3), "-lavcopts: cannot read aspect 16/0"},
        {ok + " -lameopts mode=4" + tail(0, 3), "-lameopts: mode needs a whole number from 0 to 3"},
        {ok + " -mpegopts format=bluray" + tail(0, 3), "-mpegopts: unknown format bluray"},
        {ok + " -af echo=1" + tail(0, 3), "-af: unknown audio filter echo"},
        {ok + " -af channels=0" + tail(0, 3), "-af channels needs a channel count from 1 to 8"},
        {ok + " -af volume=+1db:0:loud" + tail(0, 3), "-af volume: unexpected parameter loud"},
        {ok + " -af volume=+1db:0:channels=9" + tail(0, 3), "-af channels needs a channel count from 1 to 8"},
        {ok + " -vf crop=1:1" + tail(0, 3), "-vf: unknown video filter crop"},
        {ok + " -vf scale=a:b" + tail(0, 3), "-vf scale: bad number a"},
        {ok + " -vf scale=-4:240" + tail(0, 3), "-vf scale: unsupported size -4:240"},
        {ok + " -ofps 0" + tail(0, 3), "-ofps: cannot read frame rate 0"},
        {ok + " -ofps 30000/0" + tail(0, 3), "-ofps: cannot read frame rate 30000/0"},
        {ok + " -srate 44k" + tail(0, 3), "-srate takes a sample rate in Hz"},
        {ok + " -sws 11" + tail(0, 3), "-sws takes a scaler number from 0 to 10"},
        {ok + " -ffourcc DIVX5" + tail(0, 3), "-ffourcc takes up to four characters"},
        {std::string("\"/a.avi\" -o \"/b\0.avi\"", 21) + tail(0, 3), "the argument string contains a NUL byte"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseArguments(c.text, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    // Every prefix of a valid string fails cleanly, without a null error pointer crashing.
    const std::string full = head("/a b.avi", "/c.avi") + kFormatRows[0].options + tail(0, 3);
    for (size_t n = 0; n + 1 < full.size(); ++n)
        parseArguments(std::string_view(full).substr(0, n), nullptr);
}

TEST(ArgumentParser, ReadsAudioFiltersWithChainedChannelsAndResampling)
{
    struct Case {
        const char* af;
        AudioFilters expected;
    };
    const Case cases[] = {
        {"volume=+5db:0:channels=2", {5.0, false, 2, std::nullopt}},
        {"volume=-20db:0:channels=6:lavcresample=44100", {-20.0, false, 6, 44100}},
        {"volume=+0db:0:lavcresample=48000", {0.0, false, std::nullopt, 48000}},
        {"volume=3:1", {3.0, true, std::nullopt, std::nullopt}},
        {"volume=+99db:0", {60.0, false, std::nullopt, std::nullopt}},  // MEncoder's upper limit
        {"volume=loud", {0.0, false, std::nullopt, std::nullopt}},
        {"volume=-5db:0,channels=2,lavcresample=44100", {-5.0, false, 2, 44100}},
    };
    for (const auto& c : cases) {
        std::string error;
        auto job = parseArguments(head("/a", "/b") + " -af " + c.af + tail(0, 3), &error);
        ASSERT_TRUE(job) << c.af << ": " << error;
        EXPECT_EQ(job->audioFilters, c.expected) << c.af;
    }
}

TEST(ArgumentParser, ReadsEndPositionsAsTimesOrSizes)
{
    struct Case {
        const char* text;
        EndPosition expected;
    };
    const Case cases[] = {
        {"9:0:0", {32400, 0}},  {"1:30", {90, 0}},       {"56.5", {56.5, 0}},
        {"01:02:03.5", {3723.5, 0}}, {"700mb", {0, 700LL << 20}}, {"10kb", {0, 10240}}, {"99b", {0, 99}},
    };
    for (const auto& c : cases) {
        auto job = parseArguments(head("/a", "/b") + " -endpos " + c.text + " 0 3", nullptr);
        ASSERT_TRUE(job && job->endPosition) << c.text;
        EXPECT_EQ(*job->endPosition, c.expected) << c.text;
    }
}

TEST(ArgumentParser, JoinsSplitArgumentsAndQuotesTheOnesWithBlanks)
{
    const char* one[] = {"Brantixenc", "\"/a b.avi\" -o \"/c.avi\" -endpos 9:0:0 1 3"};
    EXPECT_EQ(joinArguments(2, one), one[1]);
    const char* split[] = {"Brantixenc", "/a b.avi", "-o", "/c.avi", "-endpos", "9:0:0", "1", "3"};
    std::string joined = joinArguments(8, split);
    EXPECT_EQ(joined, "\"/a b.avi\" -o /c.avi -endpos 9:0:0 1 3");
    auto job = parseArguments(joined, nullptr);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->sourcePath, "/a b.avi");
    EXPECT_EQ(job->outputPath, "/c.avi");
    EXPECT_EQ(job->mode, kModeProbe);
}
