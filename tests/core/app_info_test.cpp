#include <gtest/gtest.h>

#include "app/AppInfo.h"

using namespace quelvo;

TEST(TimeText, FormatsHoursMinutesSecondsWithoutWrappingHours)
{
    struct Case { long long seconds; const char* text; };
    const Case cases[] = {
        {0, "00:00:00"}, {59, "00:00:59"}, {3725, "01:02:05"},
        {86399, "23:59:59"}, {86400, "24:00:00"}, {360000, "100:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimeText(c.seconds), c.text) << c.seconds;
}

TEST(ProgramDirectory, DirectoryPartOfTheInvocationPath)
{
    struct Case { const char* argv0; const char* start; const char* dir; };
    const Case cases[] = {
        {"/opt/quelvo/Quelvo", "/home/u", "/opt/quelvo/"},
        {"build/bin/Quelvo", "/work/src", "/work/src/build/bin/"},
        {"./Quelvo", "/work/src/", "/work/src/./"},
        {"/Quelvo", "/tmp", "/"},
        {"Quelvo", "/tmp", ""},
        {"", "/tmp", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(directoryOfInvocation(c.argv0, c.start), c.dir) << c.argv0;
}
