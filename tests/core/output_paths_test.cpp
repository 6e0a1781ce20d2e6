#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "encoding/OutputPaths.h"
#include "settings/OutputSettings.h"

using namespace quelvo;
namespace fs = std::filesystem;

namespace {

// A fresh folder per test; the current directory is put back afterwards,
// since EnsureFolder moves it.
class OutputPathsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFolder_ = fs::current_path();
        char templ[] = "/tmp/quelvo-paths-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        root_ = templ;
    }
    void TearDown() override
    {
        fs::current_path(startFolder_);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string at(const std::string& rel) const { return (root_ / rel).string(); }
    void touch(const std::string& rel) const
    {
        fs::create_directories(fs::path(at(rel)).parent_path());
        std::ofstream(at(rel)) << "x";
    }

    fs::path startFolder_;
    fs::path root_;
};

TEST_F(OutputPathsTest, NamesTheOutputAfterTheSourceWithTheFormatsExtension)
{
    struct Case {
        const char* folder;  // below root; "" for root itself
        int32_t format;
        const char* source;
        const char* expected;  // below root
    };
    const Case cases[] = {
        {"out", FormatAvi, "/videos/clip.mpg", "out/clip.avi"},
        {"out/", FormatAvi, "/videos/clip.mpg", "out/clip.avi"},
        {"out", FormatMpeg1, "/videos/clip.mpg", "out/clip.mpeg"},
        {"out", FormatMpeg2, "/videos/clip.avi", "out/clip.mpeg"},
        {"out", FormatDivx, "/videos/clip.wmv", "out/clip.avi"},
        {"out", FormatXvid, "/videos/clip.wmv", "out/clip.avi"},
        {"out", FormatVcd, "/videos/clip.avi", "out/clip.mpeg"},
        {"out", FormatSvcd, "/videos/clip.avi", "out/clip.mpeg"},
        {"out", FormatDvd, "/videos/clip.mpg", "out/clip.vob"},
        {"out", FormatWmv, "/videos/clip.avi", "out/clip.wmv"},
        {"out", FormatAsf, "/videos/clip.avi", "out/clip.asf"},
        // Only the last dot of the name counts; dots in folders never do.
        {"out", FormatWmv, "/videos/my.trip.2009.avi", "out/my.trip.2009.wmv"},
        {"out.d", FormatAvi, "/videos.d/clip", "out.d/clip.avi"},
        {"out", FormatDvd, "/videos/.hidden", "out/.hidden.vob"},
        {"out", FormatAvi, "clip.mpg", "out/clip.avi"},
        {"out", FormatAvi, "/v/l'été [1] -x.mpg", "out/l'été [1] -x.avi"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeOutputPath(at(c.folder), c.format, c.source), at(c.expected))
            << c.folder << " " << c.format << " " << c.source;
}

TEST_F(OutputPathsTest, RefusesUnknownFormatsAndNamesLongerThanTheLimit)
{
    EXPECT_EQ(MakeOutputPath(at("out"), -1, "/v/clip.avi"), "");
    EXPECT_EQ(MakeOutputPath(at("out"), kFormatCount, "/v/clip.avi"), "");

    // Fill the name so the result is exactly at the limit, then one over.
    const std::string folder = at("out") + "/";
    const size_t room = kMaxPathLength - folder.size() - 4;  // ".avi"
    const std::string fits(room, 'n');
    EXPECT_EQ(MakeOutputPath(folder, FormatAvi, "/v/" + fits + ".mpg").size(), kMaxPathLength);
    EXPECT_EQ(MakeOutputPath(folder, FormatAvi, "/v/" + fits + "n.mpg"), "");
}

TEST_F(OutputPathsTest, TakesTheVariantWhenTheNameIsTaken)
{
    touch("out/clip.avi");
    fs::create_directories(at("out/movie.avi"));  // a folder takes the name too
    touch("out/clip_mpg.avi");                    // the variant is reused as it is

    EXPECT_EQ(MakeOutputPath(at("out"), FormatAvi, "/v/clip.mpg"), at("out/clip_mpg.avi"));
    EXPECT_EQ(MakeOutputPath(at("out"), FormatAvi, "/v/movie.wmv"), at("out/movie_wmv.avi"));
    EXPECT_EQ(MakeOutputPath(at("out"), FormatAvi, "/v/clip"), at("out/clip_.avi"));
    EXPECT_EQ(MakeOutputPath(at("out"), FormatWmv, "/v/clip.mpg"), at("out/clip.wmv"));
}

TEST_F(OutputPathsTest, NeverNamesASourceOfTheList)
{
    struct Case {
        const char* name;
        std::vector<std::string> existing;  // below root
        std::vector<std::string> sources;   // below root
        const char* source;                 // the row being converted, below root
        const char* expected;               // below root
    };
    const Case cases[] = {
        // The source lies in the output folder: the variant.
        {"source in folder", {"out/clip.avi"}, {"out/clip.avi"}, "out/clip.avi", "out/clip_avi.avi"},
        // The variant is a source as well: numbered names, the first free one.
        {"variant is a source",
         {"out/clip.avi", "out/clip_avi.avi"},
         {"out/clip.avi", "out/clip_avi.avi"},
         "out/clip.avi",
         "out/clip_avi_2.avi"},
        {"numbered name exists",
         {"out/clip.avi", "out/clip_avi.avi", "out/clip_avi_2.avi"},
         {"out/clip.avi", "out/clip_avi.avi"},
         "out/clip.avi",
         "out/clip_avi_3.avi"},
        // A source that has gone from the disk still keeps its name.
        {"missing source", {}, {"out/clip.avi", "in/clip.avi"}, "in/clip.avi", "out/clip_avi.avi"},
        // The same file spelt another way is the same file.
        {"other spelling",
         {"out/clip.avi", "out/clip_avi.avi"},
         {"out/./clip_avi.avi", "out/../out/clip.avi"},
         "out/clip.avi",
         "out/clip_avi_2.avi"},
    };
    for (const Case& c : cases) {
        fs::remove_all(root_);
        fs::create_directories(at("out"));
        for (const auto& e : c.existing)
            touch(e);
        std::vector<std::string> sources;
        for (const auto& s : c.sources)
            sources.push_back(at(s));
        EXPECT_EQ(MakeOutputPath(at("out"), FormatAvi, at(c.source), sources), at(c.expected))
            << c.name;
    }
}

TEST_F(OutputPathsTest, ProtectionSeesThroughLinks)
{
    touch("in/clip.avi");
    fs::create_directories(at("out"));
    fs::create_symlink(at("in/clip.avi"), at("out/clip_avi.avi"));
    touch("out/clip.avi");
    const std::vector<std::string> sources = {at("in/clip.avi")};
    // out/clip_avi.avi is the source under another name: writing it would
    // destroy the source.
    EXPECT_EQ(MakeOutputPath(at("out"), FormatAvi, at("in/clip.avi"), sources),
              at("out/clip_avi_2.avi"));
}

TEST_F(OutputPathsTest, EnsureFolderCreatesMissingLevelsAndEntersTheFolder)
{
    touch("plain-file");
    struct Case {
        const char* path;  // below root
        int result;
    };
    const Case cases[] = {
        {"new/sub/deeper", 0}, {"new/sub/deeper", 0}, {"other/", 0},
        {"with blank/é'[x]", 0}, {"plain-file", -1}, {"plain-file/sub", -1},
    };
    for (const Case& c : cases) {
        fs::current_path(startFolder_);
        const std::string path = at(c.path);
        EXPECT_EQ(EnsureFolder(path), c.result) << c.path;
        if (c.result == 0) {
            EXPECT_TRUE(fs::is_directory(path)) << c.path;
            EXPECT_TRUE(fs::equivalent(fs::current_path(), path)) << c.path;
        } else {
            EXPECT_FALSE(fs::is_directory(path)) << c.path;
        }
    }
    EXPECT_TRUE(fs::is_regular_file(at("plain-file")));
}

TEST_F(OutputPathsTest, EnsureFolderAcceptsTheRootAndRelativeFolders)
{
    EXPECT_EQ(EnsureFolder("/"), 0);
    EXPECT_EQ(fs::current_path(), fs::path("/"));

    fs::current_path(root_);
    EXPECT_EQ(EnsureFolder("rel/inner"), 0);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), at("rel/inner")));
    EXPECT_EQ(EnsureFolder(""), -1);
}

TEST_F(OutputPathsTest, FolderWritableTriesToCreateAFile)
{
    EXPECT_TRUE(FolderWritable(root_.string()));
    EXPECT_TRUE(fs::is_empty(root_));
    EXPECT_FALSE(FolderWritable(at("missing")));
    // Refuses new files even for the superuser.
    EXPECT_FALSE(FolderWritable("/proc"));
}

}  // namespace
