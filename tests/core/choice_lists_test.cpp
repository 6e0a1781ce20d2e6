#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "settings/ChoiceLists.h"

using namespace quelvo;

namespace {

OutputSettings withFormat(int32_t format)
{
    OutputSettings s;
    s.outputFormat = format;
    return s;
}

}  // namespace

// The quality texts state the bitrates the encoder is given; they must not drift apart.
TEST(ChoiceLists, QualityTextsStateThePresetBitrates)
{
    for (int32_t f = 0; f < kFormatCount; ++f) {
        const ChoiceList list = qualityChoices(withFormat(f));
        const auto presets = qualityPresets(f);
        ASSERT_EQ(list.items.size(), presets.size()) << f;
        for (size_t i = 0; i < presets.size(); ++i) {
            const std::string& text = list.items[i];
            int number = 0, video = 0, audio = 0;
            const size_t open = text.find('(');
            ASSERT_NE(open, std::string::npos) << text;
            ASSERT_EQ(std::sscanf(text.c_str(), "%d.", &number), 1) << text;
            ASSERT_EQ(std::sscanf(text.c_str() + open, "(video bitrate:%dkbps; audio bitrate:%dkbps)",
                                  &video, &audio), 2) << text;
            EXPECT_EQ(number, static_cast<int>(i) + 1) << text;
            EXPECT_EQ(video, presets[i].video) << f << " " << text;
            EXPECT_EQ(audio, presets[i].audio) << f << " " << text;
        }
    }
}

// The resolution and frame rate items are indices into the resolve tables.
TEST(ChoiceLists, SizeAndRateItemsFollowTheResolveTables)
{
    for (int32_t f : {FormatAvi, FormatMpeg1, FormatMpeg2, FormatDivx, FormatXvid, FormatWmv, FormatAsf}) {
        const ChoiceList sizes = resolutionChoices(withFormat(f));
        const auto table = frameSizeTable(f);
        ASSERT_EQ(sizes.items.size(), table.size()) << f;
        EXPECT_EQ(sizes.items[0], "Original");
        for (size_t i = 1; i < table.size(); ++i)
            EXPECT_EQ(sizes.items[i], std::to_string(table[i].width) + " x " + std::to_string(table[i].height));
    }
    for (int32_t f : {FormatAvi, FormatMpeg1, FormatMpeg2, FormatDivx, FormatXvid}) {
        const ChoiceList rates = frameRateChoices(withFormat(f));
        const auto table = frameRateTable(f);
        ASSERT_EQ(rates.items.size(), table.size()) << f;
        EXPECT_EQ(rates.items[0], "Original");
        for (size_t i = 1; i < table.size(); ++i)
            EXPECT_DOUBLE_EQ(std::stod(rates.items[i]), table[i]) << rates.items[i];
    }
}

// The disc lists show what the TV mode resolves to.
TEST(ChoiceLists, DiscListsSelectByTvMode)
{
    struct Case { int32_t format; int32_t tv; const char* size; const char* rate; };
    const Case cases[] = {
        {FormatVcd, 0, "352 x 240", "23.976 fps"}, {FormatVcd, 1, "352 x 288", "25.0 fps"},
        {FormatSvcd, 0, "480 x 480", "29.97 fps"}, {FormatSvcd, 1, "480 x 576", "25.0 fps"},
        {FormatDvd, 0, "720 x 480", "29.97 fps"},  {FormatDvd, 1, "720 x 576", "25.0 fps"},
    };
    for (const Case& c : cases) {
        OutputSettings s = withFormat(c.format);
        s.tvMode = c.tv;
        const ChoiceList sizes = resolutionChoices(s), rates = frameRateChoices(s), tv = tvModeChoices(s);
        ASSERT_EQ(sizes.selection, c.tv);
        EXPECT_EQ(sizes.items[sizes.selection], c.size);
        EXPECT_EQ(rates.items[rates.selection], c.rate);
        EXPECT_FALSE(sizes.enabled);
        EXPECT_FALSE(rates.enabled);
        EXPECT_TRUE(tv.enabled);
        EXPECT_EQ(tv.selection, c.tv);
    }
}

// Values a hand-edited option file may hold select nothing instead of a wrong item.
TEST(ChoiceLists, IndexOutsideAListSelectsNothing)
{
    OutputSettings s;
    s.aviQuality = 9;
    s.aviVideoCodec = -1;
    s.aviResolution = 1000;
    s.aviFrameRate = 8;
    EXPECT_EQ(qualityChoices(s).selection, -1);
    EXPECT_EQ(videoCodecChoices(s).selection, -1);
    EXPECT_EQ(resolutionChoices(s).selection, -1);
    EXPECT_EQ(frameRateChoices(s).selection, -1);
    EXPECT_EQ(audioCodecChoices(s).selection, 0);

    s.outputFormat = FormatDvd;
    s.tvMode = 7;  // encodes as PAL, but is no item
    s.dvdAspectRatio = 2;
    EXPECT_EQ(tvModeChoices(s).selection, -1);
    EXPECT_EQ(resolutionChoices(s).selection, -1);
    EXPECT_EQ(aspectChoices(s).selection, -1);
    EXPECT_EQ(quickAspectChoices(s).selection, -1);

    for (int32_t bad : {-1, 10, 12345}) {
        s.outputFormat = bad;
        EXPECT_EQ(formatChoices(s).selection, -1);
        for (const ChoiceList& l : {qualityChoices(s), videoCodecChoices(s), audioCodecChoices(s),
                                    tvModeChoices(s), resolutionChoices(s), frameRateChoices(s),
                                    aspectChoices(s)}) {
            EXPECT_TRUE(l.items.empty());
            EXPECT_EQ(l.selection, -1);
            EXPECT_FALSE(l.enabled);
        }
        const ChoiceList quick = quickAspectChoices(s);
        EXPECT_EQ(quick.items.size(), 2u);
        EXPECT_FALSE(quick.enabled);
        EXPECT_FALSE(tvModeEnabled(bad));
    }
}

// Each combo stores into the field of the working format, and only there.
TEST(ChoiceLists, StoresGoToTheFieldOfTheFormat)
{
    using Store = void (*)(OutputSettings&, int);
    using Field = int32_t OutputSettings::*;
    struct Case { int32_t format; Store store; Field field; const char* what; };
    const Case cases[] = {
        {FormatAvi, storeQuality, &OutputSettings::aviQuality, "quality avi"},
        {FormatDivx, storeQuality, &OutputSettings::aviQuality, "quality divx"},
        {FormatMpeg1, storeQuality, &OutputSettings::mpeg1Quality, "quality mpeg1"},
        {FormatVcd, storeQuality, &OutputSettings::mpeg1Quality, "quality vcd"},
        {FormatMpeg2, storeQuality, &OutputSettings::mpeg2Quality, "quality mpeg2"},
        {FormatSvcd, storeQuality, &OutputSettings::svcdQuality, "quality svcd"},
        {FormatDvd, storeQuality, &OutputSettings::dvdQuality, "quality dvd"},
        {FormatAsf, storeQuality, &OutputSettings::wmvQuality, "quality asf"},
        {FormatAvi, storeVideoCodec, &OutputSettings::aviVideoCodec, "video avi"},
        {FormatAsf, storeVideoCodec, &OutputSettings::asfVideoCodec, "video asf"},
        {FormatDivx, storeVideoCodec, nullptr, "video divx"},
        {FormatWmv, storeVideoCodec, nullptr, "video wmv"},
        {FormatAvi, storeAudioCodec, &OutputSettings::aviAudioCodec, "audio avi"},
        {FormatDivx, storeAudioCodec, &OutputSettings::divxAudioCodec, "audio divx"},
        {FormatXvid, storeAudioCodec, &OutputSettings::xvidAudioCodec, "audio xvid"},
        {FormatDvd, storeAudioCodec, &OutputSettings::dvdAudioCodec, "audio dvd"},
        {FormatWmv, storeAudioCodec, &OutputSettings::wmvAudioCodec, "audio wmv"},
        {FormatAsf, storeAudioCodec, &OutputSettings::asfAudioCodec, "audio asf"},
        {FormatMpeg1, storeAudioCodec, nullptr, "audio mpeg1"},
        {FormatSvcd, storeAudioCodec, nullptr, "audio svcd"},
        {FormatMpeg2, storeResolution, &OutputSettings::mpegResolution, "size mpeg2"},
        {FormatWmv, storeResolution, &OutputSettings::aviResolution, "size wmv"},
        {FormatDvd, storeResolution, &OutputSettings::aviResolution, "size dvd"},
        {FormatMpeg1, storeFrameRate, &OutputSettings::mpegFrameRate, "rate mpeg1"},
        {FormatXvid, storeFrameRate, &OutputSettings::aviFrameRate, "rate xvid"},
        {FormatMpeg2, storeAspect, &OutputSettings::mpegAspectRatio, "aspect mpeg2"},
        {FormatSvcd, storeAspect, &OutputSettings::dvdAspectRatio, "aspect svcd"},
        {FormatMpeg1, storeQuickAspect, &OutputSettings::mpegAspectRatio, "quick mpeg1"},
        {FormatAvi, storeQuickAspect, &OutputSettings::dvdAspectRatio, "quick avi"},
        {FormatDvd, storeTvMode, &OutputSettings::tvMode, "tv dvd"},
        {12, storeQuality, nullptr, "quality bad format"},
    };
    for (const Case& c : cases) {
        const OutputSettings before = withFormat(c.format);
        OutputSettings after = before;
        c.store(after, 3);
        OutputSettings expected = before;
        if (c.field)
            expected.*c.field = 3;
        EXPECT_TRUE(after == expected) << c.what;

        // A combo that was just emptied reports -1; that is no choice.
        OutputSettings cleared = before;
        c.store(cleared, -1);
        EXPECT_TRUE(cleared == before) << c.what;
    }
}

TEST(ChoiceLists, QuickAspectFollowsTheFormat)
{
    OutputSettings s = withFormat(FormatMpeg2);
    s.mpegAspectRatio = 3;
    s.dvdAspectRatio = 0;
    ChoiceList l = quickAspectChoices(s);
    ASSERT_EQ(l.items.size(), 4u);
    EXPECT_EQ(l.items[3], "2.21:1 (CinemaScope movie)");
    EXPECT_EQ(l.selection, 3);
    EXPECT_TRUE(l.enabled);

    for (int32_t f = 0; f < kFormatCount; ++f) {
        if (f == FormatMpeg1 || f == FormatMpeg2)
            continue;
        s.outputFormat = f;
        l = quickAspectChoices(s);
        ASSERT_EQ(l.items.size(), 2u);
        EXPECT_EQ(l.items[0], "4:3    (Standard TV)");
        EXPECT_EQ(l.items[1], "16:9   (Wide screen TV)");
        EXPECT_EQ(l.selection, 0);
        const bool disc = f == FormatVcd || f == FormatSvcd || f == FormatDvd;
        EXPECT_EQ(l.enabled, disc) << f;
        EXPECT_EQ(tvModeEnabled(f), disc) << f;
    }
}

TEST(ChoiceLists, VolumeLabelIsTheGainInDecibels)
{
    struct Case { int volume; const char* text; };
    const Case cases[] = {{0, "-20db"}, {19, "-1db"}, {20, "+0db"}, {21, "+1db"}, {40, "+20db"}, {-5, "-25db"}};
    for (const Case& c : cases)
        EXPECT_EQ(volumeLabel(c.volume), c.text) << c.volume;
}

TEST(ChoiceLists, FormatNamesAreTheTenComboTexts)
{
    const auto& names = formatNames();
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names[0], "AVI Format (*.avi)");
    EXPECT_EQ(names[7], "DVD compatible MPEG2 Format (*.vob)");
    EXPECT_EQ(names[9], "ASF Format (*.ASF)");
}
