#include <gtest/gtest.h>

#include "encoder/ArgumentParser.h"
#include "encoder/FfmpegCommand.h"
#include "encoding/CommandLine.h"

using namespace brantixenc;

// The strings the program's own builder makes, for every format and choice,
// are read and translated without complaint.
TEST(ProgramStrings, EveryBuiltStringIsAcceptedAndTranslated)
{
    SourceInfo source;
    source.readable = true;
    source.width = 720;
    source.height = 480;
    source.rateNum = 30000;
    source.rateDen = 1001;
    source.videoStream = 0;
    source.audioStream = 1;
    source.audioChannels = 2;

    int checked = 0;
    for (int32_t format = 0; format < quelvo::kFormatCount; ++format) {
        for (int32_t choice = 0; choice < 3; ++choice) {  // codec, aspect and TV choices
            for (int32_t letterbox : {0, 1}) {
                quelvo::OutputSettings s;
                s.outputFormat = format;
                s.letterbox = letterbox;
                s.tvMode = choice % 2;
                s.aviVideoCodec = choice % 2;
                s.aviAudioCodec = choice / 2;
                s.divxAudioCodec = s.xvidAudioCodec = choice % 2;
                s.dvdAudioCodec = choice % 2;
                s.wmvAudioCodec = s.asfAudioCodec = choice % 2;
                s.asfVideoCodec = choice;
                s.mpegAspectRatio = choice + letterbox;  // 0..3
                s.dvdAspectRatio = choice % 2;
                s.aviResolution = 10 + choice;
                s.mpegResolution = choice * 5;
                s.volume = choice * 20;
                quelvo::EncodeParameters p;
                auto pad = quelvo::ComputePadding(s, p, source.width, source.height);
                for (int32_t mode : {quelvo::kModeConvert, quelvo::kModeProbe}) {
                    std::string text = quelvo::BuildEncoderCommandLine(
                        s, p, "/in/my clip's [1].avi", "/out/my clip's [1].out", pad.width, pad.height, mode,
                        29.97002997, 7);
                    std::string error;
                    auto job = parseArguments(text, &error);
                    ASSERT_TRUE(job) << text << "\n" << error;
                    EXPECT_EQ(job->mode, mode);
                    EXPECT_EQ(job->reportDescriptor, 7);
                    EXPECT_EQ(job->sourcePath, "/in/my clip's [1].avi");
                    EXPECT_TRUE(buildFfmpegArguments(*job, source, "/t", 3, &error)) << text << "\n" << error;
                    ++checked;
                }
            }
        }
    }
    EXPECT_EQ(checked, quelvo::kFormatCount * 3 * 2 * 2);
}
