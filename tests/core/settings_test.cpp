#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "TestFiles.h"
#include "platform/ProfileFile.h"
#include "settings/OutputSettings.h"

using namespace quelvo;

namespace {

using test::readText;
using test::TempFolder;
using test::writeText;

OutputSettings withFormat(int32_t format)
{
    OutputSettings s;
    s.outputFormat = format;
    return s;
}

// Sets HOME for the lifetime of the object.
struct HomeOverride {
    std::string old;
    bool had;
    explicit HomeOverride(const char* home)
    {
        const char* o = std::getenv("HOME");
        had = o != nullptr;
        old = o ? o : "";
        if (home)
            ::setenv("HOME", home, 1);
        else
            ::unsetenv("HOME");
    }
    ~HomeOverride()
    {
        if (had)
            ::setenv("HOME", old.c_str(), 1);
        else
            ::unsetenv("HOME");
    }
};

}  // namespace

TEST(OutputSettings, FormatTable)
{
    struct Row { const char* text; FormatFamily family; const char* extension; };
    const Row rows[kFormatCount] = {
        {"AVI Format (*.avi)", FormatFamily::Avi, "avi"},
        {"MPEG1 Format (*.mpg)", FormatFamily::Mpeg, "mpeg"},
        {"MPEG2 Format (*.mpg)", FormatFamily::Mpeg, "mpeg"},
        {"DivX Format (*.avi)", FormatFamily::Avi, "avi"},
        {"Xvid Format (*.avi)", FormatFamily::Avi, "avi"},
        {"VCD compatible MPEG1 Format (*.mpg)", FormatFamily::Disc, "mpeg"},
        {"SVCD compatible MPEG2 Format (*.mpg)", FormatFamily::Disc, "mpeg"},
        {"DVD compatible MPEG2 Format (*.vob)", FormatFamily::Disc, "vob"},
        {"WMV Format (*.wmv)", FormatFamily::WindowsMedia, "wmv"},
        {"ASF Format (*.ASF)", FormatFamily::WindowsMedia, "asf"},
    };
    for (int32_t f = 0; f < kFormatCount; ++f) {
        const FormatInfo* info = formatInfo(f);
        ASSERT_NE(info, nullptr);
        EXPECT_STREQ(info->comboText, rows[f].text);
        EXPECT_EQ(info->family, rows[f].family) << f;
        EXPECT_STREQ(info->extension, rows[f].extension);
    }
    for (int32_t bad : {-1, 10, INT32_MIN, INT32_MAX})
        EXPECT_EQ(formatInfo(bad), nullptr) << bad;
}

TEST(OutputSettings, ResolveBitratesByFormatAndPreset)
{
    struct Row { int32_t format; int32_t OutputSettings::*index; std::vector<Bitrates> presets; };
    const std::vector<Bitrates> avi = {{384, 64},   {512, 80},   {640, 96},   {768, 96},  {1000, 128},
                                       {1200, 128}, {1500, 160}, {2000, 192}, {2500, 224}};
    const std::vector<Bitrates> mpeg1 = {{512, 96}, {640, 128}, {800, 128}, {1000, 192}, {1152, 192}};
    const std::vector<Bitrates> mpeg2 = {{800, 96}, {1200, 112}, {1600, 128}, {2000, 160}, {3000, 224}, {5000, 224}};
    const std::vector<Bitrates> svcd = {{800, 128}, {1200, 192}, {1600, 224}, {2000, 224}, {2500, 224}};
    const std::vector<Bitrates> dvd = {{800, 112}, {1200, 112}, {1600, 128}, {2000, 160}, {3000, 224}, {5000, 224}};
    const std::vector<Bitrates> wm = {{192, 64},  {256, 64},   {384, 80},   {640, 96},  {768, 128},
                                      {1000, 128}, {1250, 160}, {1500, 192}, {2000, 224}};
    const Row rows[] = {
        {FormatAvi, &OutputSettings::aviQuality, avi},     {FormatMpeg1, &OutputSettings::mpeg1Quality, mpeg1},
        {FormatMpeg2, &OutputSettings::mpeg2Quality, mpeg2}, {FormatDivx, &OutputSettings::aviQuality, avi},
        {FormatXvid, &OutputSettings::aviQuality, avi},    {FormatVcd, &OutputSettings::mpeg1Quality, mpeg1},
        {FormatSvcd, &OutputSettings::svcdQuality, svcd},  {FormatDvd, &OutputSettings::dvdQuality, dvd},
        {FormatWmv, &OutputSettings::wmvQuality, wm},      {FormatAsf, &OutputSettings::wmvQuality, wm},
    };
    for (const auto& r : rows) {
        ASSERT_EQ(qualityPresets(r.format).size(), r.presets.size()) << r.format;
        OutputSettings s = withFormat(r.format);
        for (size_t i = 0; i < r.presets.size(); ++i) {
            s.*r.index = static_cast<int32_t>(i);
            EncodeParameters p;
            ResolveBitrates(s, p);
            EXPECT_EQ(p.videoBitrate, r.presets[i].video) << r.format << " preset " << i;
            EXPECT_EQ(p.audioBitrate, r.presets[i].audio) << r.format << " preset " << i;
        }
        // An index outside the table keeps what the previous resolve left.
        for (int32_t bad : {-1, static_cast<int32_t>(r.presets.size()), 99, INT32_MIN, INT32_MAX}) {
            s.*r.index = bad;
            EncodeParameters p;
            p.videoBitrate = 111;
            p.audioBitrate = 22;
            ResolveBitrates(s, p);
            EXPECT_EQ(p.videoBitrate, 111) << r.format << " index " << bad;
            EXPECT_EQ(p.audioBitrate, 22) << r.format << " index " << bad;
        }
    }
    for (int32_t bad : {-1, 10, INT32_MAX}) {
        EXPECT_TRUE(qualityPresets(bad).empty());
        EncodeParameters p;
        p.videoBitrate = 5;
        ResolveBitrates(withFormat(bad), p);
        EXPECT_EQ(p.videoBitrate, 5);
    }
}

TEST(OutputSettings, FrameSizeTables)
{
    const std::vector<std::pair<int, int>> avi = {
        {0, 0},     {80, 60},   {96, 72},   {128, 96},  {160, 120}, {176, 120}, {176, 144},
        {192, 144}, {240, 180}, {320, 200}, {320, 240}, {352, 240}, {352, 288}, {480, 272},
        {480, 480}, {480, 576}, {624, 352}, {640, 480}, {720, 480}, {720, 576}};
    std::vector<std::pair<int, int>> mpeg;
    for (const auto& size : avi)
        if (size != std::pair{480, 272} && size != std::pair{624, 352})
            mpeg.push_back(size);
    ASSERT_EQ(mpeg.size(), 18u);

    struct Row { int32_t format; int32_t OutputSettings::*index; const std::vector<std::pair<int, int>>* table; };
    const Row rows[] = {
        {FormatAvi, &OutputSettings::aviResolution, &avi},   {FormatDivx, &OutputSettings::aviResolution, &avi},
        {FormatXvid, &OutputSettings::aviResolution, &avi},  {FormatWmv, &OutputSettings::aviResolution, &avi},
        {FormatAsf, &OutputSettings::aviResolution, &avi},   {FormatMpeg1, &OutputSettings::mpegResolution, &mpeg},
        {FormatMpeg2, &OutputSettings::mpegResolution, &mpeg}, {-1, &OutputSettings::aviResolution, &avi},
        {10, &OutputSettings::aviResolution, &avi},
    };
    for (const auto& r : rows) {
        ASSERT_EQ(frameSizeTable(r.format).size(), r.table->size());
        OutputSettings s = withFormat(r.format);
        for (size_t i = 0; i < r.table->size(); ++i) {
            s.*r.index = static_cast<int32_t>(i);
            EncodeParameters p;
            ResolveFrameSize(s, p);
            EXPECT_EQ(std::pair(p.targetWidth, p.targetHeight), (*r.table)[i]) << r.format << " " << i;
            EXPECT_EQ(frameSizeTable(r.format)[i].width, (*r.table)[i].first);
        }
        for (int32_t bad : {-1, static_cast<int32_t>(r.table->size()), INT32_MIN, INT32_MAX}) {
            s.*r.index = bad;
            EncodeParameters p;
            ResolveFrameSize(s, p);
            EXPECT_EQ(std::pair(p.targetWidth, p.targetHeight), std::pair(0, 0)) << r.format << " " << bad;
        }
    }
}

TEST(OutputSettings, DiscFormatsTakeSizeAndRateFromTvMode)
{
    struct Case { int32_t format; int32_t tvMode; int w; int h; double rate; };
    const Case cases[] = {
        {FormatVcd, 0, 352, 240, 23.976}, {FormatVcd, 1, 352, 288, 25.0},
        {FormatSvcd, 0, 480, 480, 29.97}, {FormatSvcd, 1, 480, 576, 25.0},
        {FormatDvd, 0, 720, 480, 29.97},  {FormatDvd, 1, 720, 576, 25.0},
        {FormatDvd, -1, 720, 576, 25.0},  {FormatVcd, INT32_MAX, 352, 288, 25.0},
    };
    for (const auto& c : cases) {
        OutputSettings s = withFormat(c.format);
        s.tvMode = c.tvMode;
        s.aviResolution = 10;  // not used by disc formats
        EncodeParameters p;
        ResolveFrameSize(s, p);
        ResolveFrameRate(s, p, 50.0);
        EXPECT_EQ(p.targetWidth, c.w) << c.format << "/" << c.tvMode;
        EXPECT_EQ(p.targetHeight, c.h) << c.format << "/" << c.tvMode;
        EXPECT_DOUBLE_EQ(p.outputFrameRate, c.rate) << c.format << "/" << c.tvMode;
    }
}

TEST(OutputSettings, ResolveFrameRate)
{
    struct Case { int32_t format; int32_t index; double source; double rate; };
    const double nan = std::nan("");
    const Case cases[] = {
        // AVI family "Original" follows the source within 14.985..60.
        {FormatAvi, 0, 12.0, 14.985}, {FormatAvi, 0, 14.985, 14.985}, {FormatAvi, 0, 25.0, 25.0},
        {FormatAvi, 0, 60.0, 60.0}, {FormatAvi, 0, 60.0001, 30.0}, {FormatAvi, 0, 75.0, 30.0},
        {FormatDivx, 0, 0.0, 14.985}, {FormatXvid, 0, -5.0, 14.985}, {FormatAvi, 0, nan, 14.985},
        {FormatAvi, 0, INFINITY, 30.0}, {FormatAvi, 0, -INFINITY, 14.985},
        {FormatAvi, 1, 50.0, 14.985}, {FormatAvi, 2, 50.0, 20.0}, {FormatAvi, 3, 50.0, 23.976},
        {FormatAvi, 4, 50.0, 24.0}, {FormatAvi, 5, 50.0, 25.0}, {FormatAvi, 6, 50.0, 29.97},
        {FormatAvi, 7, 50.0, 30.0}, {FormatAvi, 8, 50.0, 30.0}, {FormatAvi, -1, 50.0, 30.0},
        {FormatXvid, INT32_MIN, 50.0, 30.0},
        // MPEG "Original" snaps to a standard rate.
        {FormatMpeg1, 0, 23.976, 23.976}, {FormatMpeg1, 0, 10.0, 23.976}, {FormatMpeg1, 0, 24.0, 24.0},
        {FormatMpeg1, 0, 24.5, 24.0}, {FormatMpeg2, 0, 25.0, 25.0}, {FormatMpeg2, 0, 27.9, 25.0},
        {FormatMpeg2, 0, 28.0, 29.97}, {FormatMpeg2, 0, 29.97, 29.97}, {FormatMpeg2, 0, 30.0, 30.0},
        {FormatMpeg2, 0, 50.0, 30.0}, {FormatMpeg1, 0, nan, 23.976},
        {FormatMpeg1, 1, 50.0, 23.976}, {FormatMpeg1, 2, 50.0, 24.0}, {FormatMpeg1, 3, 50.0, 25.0},
        {FormatMpeg1, 4, 50.0, 29.97}, {FormatMpeg1, 5, 50.0, 30.0}, {FormatMpeg2, 6, 10.0, 30.0},
        {FormatMpeg2, -7, 10.0, 30.0},
        // Windows Media and unknown formats: "Auto".
        {FormatWmv, 0, 25.0, 1000.0}, {FormatAsf, 3, 25.0, 1000.0}, {-1, 0, 25.0, 1000.0},
        {10, 0, 25.0, 1000.0}, {INT32_MAX, 0, 25.0, 1000.0},
    };
    for (const auto& c : cases) {
        OutputSettings s = withFormat(c.format);
        s.aviFrameRate = c.index;
        s.mpegFrameRate = c.index;
        EncodeParameters p;
        ResolveFrameRate(s, p, c.source);
        EXPECT_DOUBLE_EQ(p.outputFrameRate, c.rate)
            << "format " << c.format << " index " << c.index << " source " << c.source;
    }
    const std::vector<double> aviList = {0.0, 14.985, 20, 23.976, 24, 25, 29.97, 30};
    const std::vector<double> mpegList = {0.0, 23.976, 24, 25, 29.97, 30};
    EXPECT_EQ(std::vector<double>(frameRateTable(FormatAvi).begin(), frameRateTable(FormatAvi).end()), aviList);
    EXPECT_EQ(std::vector<double>(frameRateTable(FormatMpeg2).begin(), frameRateTable(FormatMpeg2).end()), mpegList);
}

TEST(OutputSettings, ResolveAspectText)
{
    struct Case { int32_t format; int32_t mpegIndex; int32_t dvdIndex; const char* text; };
    const Case cases[] = {
        {FormatMpeg1, 0, 0, "1/1"},  {FormatMpeg1, 1, 0, "4/3"},  {FormatMpeg2, 2, 0, "16/9"},
        {FormatMpeg2, 3, 0, "2.21/1"}, {FormatVcd, 3, 0, "4/3"},  {FormatSvcd, 0, 1, "16/9"},
        {FormatDvd, 0, 1, "16/9"},
        // Others, and indices outside the lists, leave the text alone.
        {FormatAvi, 0, 0, "old"}, {FormatWmv, 1, 1, "old"}, {-1, 1, 1, "old"},
        {FormatMpeg1, 4, 0, "old"}, {FormatMpeg1, -1, 0, "old"}, {FormatDvd, 0, 2, "old"},
        {FormatDvd, 0, INT32_MIN, "old"},
    };
    for (const auto& c : cases) {
        OutputSettings s = withFormat(c.format);
        s.mpegAspectRatio = c.mpegIndex;
        s.dvdAspectRatio = c.dvdIndex;
        EncodeParameters p;
        p.aspectText = "old";
        ResolveAspectText(s, p);
        EXPECT_EQ(p.aspectText, c.text) << c.format << " " << c.mpegIndex << " " << c.dvdIndex;
    }
    EXPECT_EQ(mpegAspectText(4), nullptr);
    EXPECT_EQ(dvdAspectText(-1), nullptr);
}

TEST(OutputSettings, StartupFrameSizeTable)
{
    const std::pair<int, int> sizes[] = {
        {160, 80},  {160, 120}, {288, 256}, {320, 160}, {320, 180}, {320, 240},
        {480, 240}, {480, 360}, {480, 480}, {576, 400}, {592, 384}, {624, 368},
        {640, 272}, {640, 352}, {672, 336}, {720, 320}, {752, 304}, {784, 288}};
    for (int32_t i = 0; i < 18; ++i) {
        FrameSize f = startupFrameSize(i);
        EXPECT_EQ(std::pair(f.width, f.height), sizes[i]) << i;
    }
    for (int32_t bad : {-1, 18, 99, INT32_MIN, INT32_MAX}) {
        FrameSize f = startupFrameSize(bad);
        EXPECT_EQ(std::pair(f.width, f.height), std::pair(320, 240)) << bad;
    }
    EncodeParameters p;
    EXPECT_EQ(std::pair(p.targetWidth, p.targetHeight), std::pair(320, 240));
}

TEST(OutputSettings, DefaultOutputFolderIsUnderHome)
{
    struct Case { const char* home; const char* folder; };
    const Case cases[] = {
        {"/home/ann", "/home/ann/output video/"},
        {"/home/ann/", "/home/ann/output video/"},
        {"/", "/output video/"},
    };
    for (const auto& c : cases) {
        HomeOverride h(c.home);
        EXPECT_EQ(defaultOutputFolder(), c.folder);
        EXPECT_EQ(OutputSettings().outputFolder, c.folder);
    }
    for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/home"}) {
        HomeOverride h(unusable);
        const std::string folder = defaultOutputFolder();
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder.front(), '/');
        EXPECT_TRUE(folder.ends_with("/output video/")) << folder;
    }
}

TEST(OutputSettings, AtoiValue)
{
    struct Case { const char* text; int32_t value; };
    const Case cases[] = {{"-5abc", -5}, {"abc", 0}, {"  +7", 7}, {"20", 20}, {"", 0},
                          {"4294967296", INT32_MAX}, {"-4294967296", INT32_MIN}};
    for (const auto& c : cases)
        EXPECT_EQ(atoiValue(c.text), c.value) << c.text;
}

TEST(OptionFile, DefaultsWithoutOptionFile)
{
    TempFolder dir;
    HomeOverride home("/home/ann");
    OutputSettings s;
    s.volume = 3;
    s.outputFolder = "x";
    std::string version = "junk";
    LoadOptions(dir.dir(), s, version);
    EXPECT_EQ(s, OutputSettings());
    EXPECT_EQ(version, "1.00");

    // The start-up values a user sees without an option file.
    EXPECT_EQ(s.outputFormat, FormatAvi);
    EXPECT_EQ(s.tvMode, 0);
    EncodeParameters p;
    ResolveBitrates(s, p);
    EXPECT_EQ(std::pair(p.videoBitrate, p.audioBitrate), std::pair(1000, 128));
    EXPECT_EQ(std::pair(s.aviVideoCodec, s.aviAudioCodec), std::pair(0, 0));
    EXPECT_EQ(std::pair(s.aviResolution, s.aviFrameRate), std::pair(0, 0));
    EXPECT_EQ(s.volume, 20);
    EXPECT_EQ(s.letterbox, 1);
    EXPECT_EQ(s.outputFolder, "/home/ann/output video/");
    EXPECT_EQ(s.mpegAspectRatio, 2);
    EXPECT_EQ(s.dvdAspectRatio, 1);
    EXPECT_EQ(s.asfVideoCodec, 2);
    EXPECT_EQ(std::pair(s.wmvAudioCodec, s.asfAudioCodec), std::pair(1, 1));
}

TEST(OptionFile, LoadTakesValuesAsTheyStand)
{
    TempFolder dir;
    writeText(dir.dir() + "version.ini", "[general]\nversion = 2.31 beta\n");
    writeText(dir.dir() + "option.ini",
              "[Destinate]\nVolume=-5abc\nLetterbox=abc\nTV mode=  +7\nOutput format=99\n"
              "AVI quality=-1\nTemporary folder=  /data/out/  \nMPEG resolution=4294967296\n"
              "DVD quality=\n");
    OutputSettings s;
    std::string version;
    LoadOptions(dir.dir(), s, version);
    EXPECT_EQ(version, "2.31 beta");
    EXPECT_EQ(s.volume, -5);
    EXPECT_EQ(s.letterbox, 0);
    EXPECT_EQ(s.tvMode, 7);
    EXPECT_EQ(s.outputFormat, 99);
    EXPECT_EQ(s.aviQuality, -1);
    EXPECT_EQ(s.outputFolder, "/data/out/");
    EXPECT_EQ(s.mpegResolution, INT32_MAX);
    EXPECT_EQ(s.dvdQuality, 0);  // present but empty: atoi("") is 0
    EXPECT_EQ(s.wmvQuality, 5);  // missing: the default
}

TEST(OptionFile, LoadCutsTextsTo255Characters)
{
    TempFolder dir;
    const std::string longFolder = "/" + std::string(300, 'f') + "/";
    writeText(dir.dir() + "option.ini", "[Destinate]\nTemporary folder=" + longFolder + "\n");
    // A cut through a two-byte character backs off to its start.
    writeText(dir.dir() + "version.ini", "[General]\nVersion=" + std::string(254, 'v') + "\xC3\xA9" + "\n");
    OutputSettings s;
    std::string version;
    LoadOptions(dir.dir(), s, version);
    EXPECT_EQ(s.outputFolder, longFolder.substr(0, 255));
    EXPECT_EQ(version, std::string(254, 'v'));
}

TEST(OptionFile, SaveWritesAll25KeysInOrder)
{
    TempFolder dir;
    OutputSettings s;
    s.outputFolder = "/data/my videos/";
    s.volume = -5;
    s.outputFormat = INT32_MIN;
    SaveOptions(dir.dir(), s);

    EXPECT_EQ(readText(dir.dir() + "option.ini"),
              "[Destinate]\nLetterbox=1\nTemporary folder=/data/my videos/\nOutput format=-2147483648\n"
              "TV mode=0\nMPEG aspect ratio=2\nDVD aspect ratio=1\nAVI quality=4\nMPEG1 quality=3\n"
              "MPEG2 quality=3\nSVCD quality=4\nDVD quality=5\nWMV quality=5\nAVI video codec=0\n"
              "ASF video codec=2\nAVI audio codec=0\nDivx audio codec=0\nXvid audio codec=0\n"
              "DVD audio codec=0\nWMV audio codec=1\nASF audio codec=1\nAVI resolution=0\n"
              "MPEG resolution=0\nAVI frame rate=0\nMPEG frame rate=0\nVolume=-5\n");

    OutputSettings loaded;
    std::string version;
    LoadOptions(dir.dir(), loaded, version);
    EXPECT_EQ(loaded, s);
}

TEST(OptionFile, SaveKeepsForeignSectionsAndComments)
{
    TempFolder dir;
    const std::string file = dir.dir() + "option.ini";
    writeText(file,
              "; Quelvo options\r\n[Other]\r\nVolume=99\r\n; keep me\r\n\r\n[destinate]\r\n"
              "  volume = 7   \r\nOutput format=3\r\n; a note inside\r\nUnknown key=abc\r\n\r\n"
              "[Tail]\r\nx=1\r\n");
    OutputSettings s;
    std::string version;
    LoadOptions(dir.dir(), s, version);
    EXPECT_EQ(s.volume, 7);
    EXPECT_EQ(s.outputFormat, FormatDivx);

    s.volume = 30;
    s.outputFolder = "/data/out put/";
    s.aviQuality = 8;
    SaveOptions(dir.dir(), s);
    EXPECT_EQ(readText(file),
              "; Quelvo options\r\n[Other]\r\nVolume=99\r\n; keep me\r\n\r\n[destinate]\r\n"
              "  volume = 30\r\nOutput format=3\r\n; a note inside\r\nUnknown key=abc\r\n"
              "Letterbox=1\r\nTemporary folder=/data/out put/\r\nTV mode=0\r\nMPEG aspect ratio=2\r\n"
              "DVD aspect ratio=1\r\nAVI quality=8\r\nMPEG1 quality=3\r\nMPEG2 quality=3\r\n"
              "SVCD quality=4\r\nDVD quality=5\r\nWMV quality=5\r\nAVI video codec=0\r\n"
              "ASF video codec=2\r\nAVI audio codec=0\r\nDivx audio codec=0\r\nXvid audio codec=0\r\n"
              "DVD audio codec=0\r\nWMV audio codec=1\r\nASF audio codec=1\r\nAVI resolution=0\r\n"
              "MPEG resolution=0\r\nAVI frame rate=0\r\nMPEG frame rate=0\r\n\r\n[Tail]\r\nx=1\r\n");

    OutputSettings again;
    LoadOptions(dir.dir(), again, version);
    EXPECT_EQ(again, s);
}

TEST(OptionFile, SaveIntoAMissingFolderIsSilent)
{
    TempFolder dir;
    SaveOptions(dir.dir() + "missing/", OutputSettings());
    OutputSettings s;
    std::string version;
    LoadOptions(dir.dir() + "missing/", s, version);
    EXPECT_EQ(s, OutputSettings());
}

TEST(OptionFile, FolderWithBlankEndsRoundTrips)
{
    TempFolder dir;
    OutputSettings s;
    s.outputFolder = " /odd folder/ ";
    SaveOptions(dir.dir(), s);
    OutputSettings loaded;
    std::string version;
    LoadOptions(dir.dir(), loaded, version);
    EXPECT_EQ(loaded.outputFolder, s.outputFolder);
}
