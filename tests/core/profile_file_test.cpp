#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include "TestFiles.h"
#include "platform/ProfileFile.h"

using namespace quelvo;

namespace {

using test::readText;
using test::TempFolder;
using test::writeText;

std::vector<std::string> folderEntries(const std::string& path)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(path.c_str())) {
        while (dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        ::closedir(d);
    }
    return names;
}

// Runs body in a child process (for process-wide limits and identities) and
// gives its exit code; body returns the code.
int inChild(const std::function<int()>& body)
{
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

}  // namespace

TEST(ProfileFile, LeadingIntegerFollowsAtoi)
{
    struct Case { const char* text; int32_t value; };
    const Case cases[] = {
        {"20", 20}, {"-5abc", -5}, {"abc", 0}, {"  +7", 7}, {"", 0}, {"-", 0}, {"+-3", 0},
        {"\t\n\v\f\r 42x", 42}, {"0x1A", 0}, {"007", 7}, {"1 2", 1}, {"- 3", 0},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MAX}, {"-2147483649", INT32_MIN},
        {"99999999999999999999999", INT32_MAX}, {"-99999999999999999999999", INT32_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadingInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(ProfileFile, LooksUpValuesTheWayWindowsDoes)
{
    struct Case { const char* text; const char* section; const char* key; std::optional<std::string> value; };
    const Case cases[] = {
        {"[Destinate]\nVolume=20\n", "Destinate", "Volume", "20"},
        {"[DESTINATE]\nVOLUME=20\n", "destinate", "volume", "20"},
        {"  [ Destinate ]  \n  Volume  =  20  \n", "Destinate", "Volume", "20"},
        {"[Destinate]\r\nVolume=20\r\n", "Destinate", "Volume", "20"},
        {"\xEF\xBB\xBF[Destinate]\nVolume=20", "Destinate", "Volume", "20"},
        {"[S]\nk=\"quoted value\"\n", "S", "k", "quoted value"},
        {"[S]\nk=\" padded \"\n", "S", "k", " padded "},
        {"[S]\nk=\"\"\"\"\n", "S", "k", "\"\""},
        {"[S]\nk=\"open\n", "S", "k", "\"open"},
        {"[S]\nk=\"\n", "S", "k", "\""},
        {"[S]\nk=a=b=c\n", "S", "k", "a=b=c"},
        {"[S]\nk=\n", "S", "k", ""},
        {"[S]\nk\n", "S", "k", std::nullopt},
        {"[S]\n;k=1\n#k=2\n", "S", "k", std::nullopt},
        {"[S]\n;k=1\nk=3\n", "S", "k", "3"},
        {"k=1\n[S]\n", "S", "k", std::nullopt},
        {"[T]\nk=1\n[S]\nj=2\n", "S", "k", std::nullopt},
        {"[S]\nk=1\nk=2\n", "S", "k", "1"},
        {"[S]\nj=1\n[S]\nk=2\n", "S", "k", "2"},
        {"[S\nk=1\n", "S", "k", std::nullopt},
        {"[S]\nTemporary folder=C:\\output video\\\n", "S", "Temporary folder", "C:\\output video\\"},
        {"", "S", "k", std::nullopt},
        {"[S]\nk=1\n", "", "k", std::nullopt},
        {"[S]\nk=1\n", "S", "", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(profileValue(c.text, c.section, c.key), c.value) << c.text;
}

TEST(ProfileFile, WritesKeepEveryOtherLine)
{
    struct Case {
        const char* name;
        const char* before;
        std::vector<ProfileEntry> entries;
        std::optional<std::string> after;
    };
    const Case cases[] = {
        {"new file", "", {{"k", "v"}}, "[S]\nk=v\n"},
        {"replace in place", "; top\n[S]\na=1\nk=old ; tail\nb=2\n[T]\nk=9\n", {{"k", "new"}},
         "; top\n[S]\na=1\nk=new\nb=2\n[T]\nk=9\n"},
        {"replace keeps spelling and spacing", "[s]\n  K  =  1  \n", {{"k", "2"}}, "[s]\n  K  =  2\n"},
        {"replace an empty value", "[S]\nk=\nj=1\n", {{"k", "5"}}, "[S]\nk=5\nj=1\n"},
        {"add after last non-blank line", "[S]\na=1\n; note\n\n\n[T]\nx=1\n", {{"k", "v"}},
         "[S]\na=1\n; note\nk=v\n\n\n[T]\nx=1\n"},
        {"add to a header-only section", "[S]\n\n[T]\n", {{"k", "v"}}, "[S]\nk=v\n\n[T]\n"},
        {"add a section at the end", "[T]\nx=1\n", {{"k", "v"}}, "[T]\nx=1\n\n[S]\nk=v\n"},
        {"add a section after a blank line", "[T]\nx=1\n\n", {{"k", "v"}}, "[T]\nx=1\n\n[S]\nk=v\n"},
        {"last line without line end", "[S]\na=1", {{"k", "v"}}, "[S]\na=1\nk=v\n"},
        {"section after a last line without line end", "[T]\na=1", {{"k", "v"}},
         "[T]\na=1\n\n[S]\nk=v\n"},
        {"CRLF file", "[T]\r\nx=1\r\n[S]\r\na=1\r\n", {{"a", "2"}, {"k", "v"}},
         "[T]\r\nx=1\r\n[S]\r\na=2\r\nk=v\r\n"},
        {"byte order mark kept", "\xEF\xBB\xBF[S]\nk=1\n", {{"k", "2"}}, "\xEF\xBB\xBF[S]\nk=2\n"},
        {"keys added in order", "", {{"a", "1"}, {"b", "2"}, {"c", "3"}}, "[S]\na=1\nb=2\nc=3\n"},
        {"line breaks removed", "[S]\nj=1\n", {{"k", "a\nb=c\r\n[x]"}}, "[S]\nj=1\nk=ab=c[x]\n"},
        {"NUL removed", "", {{"k", std::string("a\0b", 3)}}, "[S]\nk=ab\n"},
        {"blank ends quoted", "", {{"k", " a "}}, "[S]\nk=\" a \"\n"},
        {"quoted value quoted again", "", {{"k", "\"q\""}}, "[S]\nk=\"\"q\"\"\n"},
        {"key names trimmed", "", {{" k ", "v"}}, "[S]\nk=v\n"},
        {"key with '='", "", {{"a=b", "v"}}, std::nullopt},
        {"key starting with ';'", "", {{";k", "v"}}, std::nullopt},
        {"key with a line break", "", {{"k\nj", "v"}}, std::nullopt},
        {"empty key", "", {{"", "v"}}, std::nullopt},
        {"one bad key spoils the batch", "[S]\nk=1\n", {{"k", "2"}, {"", "v"}}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withProfileValues(c.before, "S", c.entries), c.after) << c.name;
    const ProfileEntry e{"k", "v"};
    EXPECT_EQ(withProfileValues("", "a]b", {&e, 1}), std::nullopt);
    EXPECT_EQ(withProfileValues("", "", {&e, 1}), std::nullopt);
}

TEST(ProfileFile, WrittenValuesReadBackExactly)
{
    const std::string values[] = {"", "plain", " lead", "trail ", "\"both\"", "\"left", "right\"",
                                  "a=b", "; not a comment", "[not a section]", "C:\\output video\\",
                                  "/home/u/output video/", "\"", "\"\""};
    std::string text = "[S]\nother=1\n";
    for (const auto& v : values) {
        const ProfileEntry e{"k", v};
        text = withProfileValues(text, "S", {&e, 1}).value();
        EXPECT_EQ(profileValue(text, "S", "k"), v) << v;
        EXPECT_EQ(profileValue(text, "S", "other"), "1");
    }
}

TEST(ProfileFile, ReadsFilesWithDefaults)
{
    TempFolder dir;
    const std::string f = dir.file("app.ini");
    writeText(f, "[Tip]\nStartUp=-5abc\nFilePos=abc\nTimeStamp=  +7\nEmpty=\nName=\"Quelvo\"\n"
                 "Big=99999999999\n");

    EXPECT_EQ(readProfileString(f, "tip", "name", "x"), "Quelvo");
    EXPECT_EQ(readProfileString(f, "Tip", "Missing", "dflt"), "dflt");
    EXPECT_EQ(readProfileString(f, "Nope", "Name", "dflt"), "dflt");
    EXPECT_EQ(readProfileString(dir.file("none.ini"), "Tip", "Name", "dflt"), "dflt");
    EXPECT_EQ(readProfileString(dir.path, "Tip", "Name", "dflt"), "dflt");  // a folder

    struct Case { const char* key; int32_t value; };
    const Case ints[] = {{"StartUp", -5}, {"FilePos", 0}, {"TimeStamp", 7}, {"Empty", 42},
                         {"Missing", 42}, {"Big", INT32_MAX}};
    for (const auto& c : ints)
        EXPECT_EQ(readProfileInt(f, "TIP", c.key, 42), c.value) << c.key;
    EXPECT_EQ(readProfileInt(dir.file("none.ini"), "Tip", "StartUp", -1), -1);
}

TEST(ProfileFile, WriteCreatesAndReplacesTheFile)
{
    TempFolder dir;
    const std::string f = dir.file("option.ini");
    const mode_t oldMask = ::umask(022);
    ASSERT_TRUE(writeProfileString(f, "Destinate", "Volume", "20"));
    ::umask(oldMask);
    EXPECT_EQ(readText(f), "[Destinate]\nVolume=20\n");
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);

    // An existing file keeps its permissions; the new text arrives by rename.
    ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
    ::stat(f.c_str(), &st);
    const ino_t firstInode = st.st_ino;
    ASSERT_TRUE(writeProfileString(f, "Destinate", "Volume", "25"));
    ::stat(f.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_NE(st.st_ino, firstInode);
    EXPECT_EQ(readProfileString(f, "Destinate", "Volume", ""), "25");

    // An unchanged text is not rewritten.
    const ino_t secondInode = st.st_ino;
    ASSERT_TRUE(writeProfileString(f, "destinate", "volume", "25"));
    ::stat(f.c_str(), &st);
    EXPECT_EQ(st.st_ino, secondInode);

    EXPECT_EQ(folderEntries(dir.path), std::vector<std::string>{"option.ini"});
}

TEST(ProfileFile, WriteThroughASymbolicLinkKeepsTheLink)
{
    TempFolder dir;
    writeText(dir.file("real.ini"), "[S]\nk=1\n");
    ASSERT_EQ(::symlink("real.ini", dir.file("link.ini").c_str()), 0);
    ASSERT_TRUE(writeProfileString(dir.file("link.ini"), "S", "k", "2"));
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readText(dir.file("real.ini")), "[S]\nk=2\n");
}

TEST(ProfileFile, FailedWritesLeaveTheOldFileWhole)
{
    TempFolder dir;
    const std::string f = dir.file("option.ini");
    const std::string original = "; keep\n[Destinate]\nVolume=20\n";
    writeText(f, original);

    // A full disk: the file size limit stops the write of the new text.
    const int fullDisk = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return writeProfileString(f, "Destinate", "Volume", std::string(200, '7')) ? 1 : 0;
    });
    EXPECT_EQ(fullDisk, 0);
    EXPECT_EQ(readText(f), original);
    EXPECT_EQ(folderEntries(dir.path), std::vector<std::string>{"option.ini"});

    // A folder the writer may not change (root drops its rights first).
    ASSERT_EQ(::chmod(dir.path.c_str(), 0555), 0);
    const int readOnly = inChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 2;
        return writeProfileString(f, "Destinate", "Volume", "30") ? 1 : 0;
    });
    ::chmod(dir.path.c_str(), 0755);
    EXPECT_EQ(readOnly, 0);
    EXPECT_EQ(readText(f), original);
    EXPECT_EQ(folderEntries(dir.path), std::vector<std::string>{"option.ini"});

    // Paths that are no writable file.
    EXPECT_FALSE(writeProfileString(dir.file("missing/option.ini"), "S", "k", "v"));
    EXPECT_FALSE(writeProfileString(dir.path, "S", "k", "v"));
    EXPECT_FALSE(writeProfileString(f, "S", "bad=key", "v"));
    EXPECT_EQ(readText(f), original);
}

TEST(ProfileFile, BatchWriteIsOneRewrite)
{
    TempFolder dir;
    const std::string f = dir.file("option.ini");
    writeText(f, "[Foreign]\na=1\n");
    std::vector<ProfileEntry> entries;
    for (int i = 0; i < 25; ++i)
        entries.push_back({"Key " + std::to_string(i), std::to_string(i * 3)});
    ASSERT_TRUE(writeProfileStrings(f, "Destinate", entries));
    for (const auto& e : entries)
        EXPECT_EQ(readProfileString(f, "Destinate", e.key, "?"), e.value);
    EXPECT_EQ(readProfileString(f, "Foreign", "a", "?"), "1");
    EXPECT_EQ(readText(f).rfind("[Foreign]\na=1\n\n[Destinate]\nKey 0=0\nKey 1=3\n", 0), 0u);
}
