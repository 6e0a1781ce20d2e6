#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "controls/TipsReader.h"
#include "platform/AppProfile.h"
#include "platform/ProfileFile.h"

using namespace quelvo;
namespace fs = std::filesystem;

namespace {

// A private configuration folder and a tips file in a temporary folder.
class TipsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quelvo-tips-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        tips_ = (dir_ / "tips.txt").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void writeTips(const std::string& content)
    {
        std::ofstream(tips_, std::ios::binary) << content;
    }
    std::string actualStamp() const
    {
        struct stat st {};
        stat(tips_.c_str(), &st);
        return timeStampText(st.st_ctime);
    }
    std::optional<std::string> stored(const char* key) const
    {
        const std::string v = readProfileString(appProfilePath(), "Tip", key, "\x01");
        if (v == "\x01")
            return std::nullopt;
        return v;
    }

    fs::path dir_;
    std::string tips_;
};

struct ReaderCase {
    const char* name;
    std::string content;
    std::optional<int> storedPos;   // "FilePos" before construction
    bool stampUnchanged;            // "TimeStamp" holds the file's own stamp
    std::vector<std::string> tips;  // the first tip, then one per Next Tip
    long finalPos;                  // "FilePos" after destruction
    int troubles;
};

TEST_F(TipsFixture, ReadsTipsByTheLineRules)
{
    const std::string longA(999, 'A');
    const std::string longB(1200, 'b');
    const ReaderCase cases[] = {
        {"skipped lines, final tip without a line end",
         ";comment\n  continuation\n\ttabbed\n\nTip A\n  two blanks\nTip B", std::nullopt, false,
         {"Tip A\n", "Tip B", "Tip A\n"}, 39, 0},
        {"999-character pieces, a skipped second piece",
         longA + " rest of the line\nShort\n", std::nullopt, false,
         {longA, "Short\n", longA}, 999, 0},
        {"999-character pieces, both shown", longB + "\n", std::nullopt, false,
         {std::string(999, 'b'), std::string(201, 'b') + "\n", std::string(999, 'b')}, 999, 0},
        {"CR LF line ends", "One\r\n\r\nTwo\r\n", std::nullopt, false, {"One\n", "Two\n"}, 12, 0},
        {"unchanged time stamp continues at FilePos", "One\nTwo\nThree\n", 4, true,
         {"Two\n", "Three\n", "One\n"}, 4, 0},
        {"changed time stamp starts at the first tip", "One\nTwo\nThree\n", 4, false,
         {"One\n", "Two\n"}, 8, 0},
        {"FilePos beyond the end wraps", "One\nTwo\n", 1000, true, {"One\n", "Two\n"}, 8, 0},
        {"negative FilePos fails the seek", "One\nTwo\n", -5, true, {"", "One\n"}, 4, 1},
        {"file with only skipped lines", ";only\n\n  x\n", std::nullopt, false, {"", ""}, 11, 2},
        {"empty file", "", std::nullopt, false, {""}, 0, 1},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir_ / "config");
        writeTips(c.content);
        if (c.storedPos)
            writeAppProfileInt("Tip", "FilePos", *c.storedPos);
        writeAppProfileString("Tip", "TimeStamp",
                              c.stampUnchanged ? actualStamp() : "Thu Jan  1 00:00:00 1970");
        int troubles = 0;
        {
            TipsReader reader(tips_, [&] { ++troubles; });
            ASSERT_TRUE(reader.isOpen());
            for (size_t i = 0; i < c.tips.size(); ++i) {
                if (i > 0)
                    reader.readNextTip();
                EXPECT_EQ(reader.tipText(), c.tips[i]) << "tip " << i;
            }
        }
        EXPECT_EQ(troubles, c.troubles);
        EXPECT_EQ(stored("FilePos"), std::to_string(c.finalPos));
        EXPECT_EQ(stored("TimeStamp"), actualStamp());
    }
}

TEST_F(TipsFixture, MissingFileWritesNothing)
{
    int troubles = 0;
    {
        TipsReader reader(tips_, [&] { ++troubles; });
        EXPECT_FALSE(reader.isOpen());
        EXPECT_EQ(reader.tipText(), "");
        reader.readNextTip();
        EXPECT_EQ(reader.tipText(), "");
    }
    EXPECT_EQ(troubles, 0);
    EXPECT_FALSE(fs::exists(appProfilePath()));
}

TEST_F(TipsFixture, StartUpIsTheInverseOfTheCheckBox)
{
    EXPECT_TRUE(readShowAtStartup()) << "absent value";
    struct Case { const char* stored; bool show; };
    const Case cases[] = {{"0", true}, {"1", false}, {"7", false}, {"-1", false}, {"", true}};
    for (const Case& c : cases) {
        writeAppProfileString("Tip", "StartUp", c.stored);
        EXPECT_EQ(readShowAtStartup(), c.show) << c.stored;
    }
    writeShowAtStartup(false);
    EXPECT_EQ(stored("StartUp"), "1");
    writeShowAtStartup(true);
    EXPECT_EQ(stored("StartUp"), "0");
}

TEST(TipsPath, BesideTheExecutable)
{
    struct Case { const char* exe; const char* path; };
    const Case cases[] = {
        {"/opt/quelvo/bin/Quelvo", "/opt/quelvo/bin/tips.txt"},
        {"/Quelvo", "/Quelvotips.txt"},  // a separator in the first position does not count
        {"Quelvo", "Quelvotips.txt"},
        {"", "tips.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tipsPathBeside(c.exe), c.path) << c.exe;
}

TEST(TipsTimeStamp, CtimeTextWithoutTheLineEnd)
{
    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(timeStampText(0), "Thu Jan  1 00:00:00 1970");
    EXPECT_EQ(timeStampText(1700000000), "Tue Nov 14 22:13:20 2023");
    if (oldTz)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

}  // namespace
