#include <gtest/gtest.h>

#include "encoding/ReportProtocol.h"

using namespace quelvo;

TEST(ReportProtocol, FormatsAndParsesReportLines)
{
    EXPECT_EQ(formatReport({6, 42}), "1824 6 42\n");
    EXPECT_EQ(formatReport({4, -1}), "1824 4 -1\n");
    EXPECT_EQ(formatReport({4294967295u, 2147483647}), "1824 4294967295 2147483647\n");
    EXPECT_EQ(formatResult(1), "1\n");

    struct Case { const char* line; std::optional<Report> report; };
    const Case cases[] = {
        {"1824 1 3725", Report{1, 3725}},
        {"1824 4 -2147483648", Report{4, INT32_MIN}},
        {"1824 4294967295 0", Report{4294967295u, 0}},
        {"1824 1 2147483648", std::nullopt},   // value out of int32
        {"1824 -1 5", std::nullopt},           // code is unsigned
        {"1825 1 5", std::nullopt},            // another message
        {"1824 1", std::nullopt},
        {"1824 1 5 ", std::nullopt},
        {"1824  1 5", std::nullopt},
        {"", std::nullopt},
        {"garbage", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseReport(c.line), c.report) << c.line;

    EXPECT_EQ(parseResult("1"), 1);
    EXPECT_EQ(parseResult("-7"), -7);
    EXPECT_EQ(parseResult("x"), std::nullopt);
    EXPECT_EQ(parseResult(""), std::nullopt);
}

TEST(ReportProtocol, LineBufferKeepsPartialLines)
{
    LineBuffer b;
    b.append("1824 6 1\n1824 6");
    EXPECT_EQ(b.nextLine(), "1824 6 1");
    EXPECT_EQ(b.nextLine(), std::nullopt);
    b.append(" 2\n\n");
    EXPECT_EQ(b.nextLine(), "1824 6 2");
    EXPECT_EQ(b.nextLine(), "");
    EXPECT_EQ(b.pending(), 0u);
}
