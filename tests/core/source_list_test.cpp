#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "sources/SourceList.h"

using namespace quelvo;

namespace {

struct Media {
    std::string path;
    double duration;
    int32_t width;
    int32_t height;
    double rate;
    bool operator==(const Media&) const = default;
};

// What a probe with every report leaves in the staging slot.
void stage(SourceList& list, const Media& m)
{
    list.durationSeconds[list.count] = m.duration;
    list.frameWidth[list.count] = m.width;
    list.frameHeight[list.count] = m.height;
    list.frameRate[list.count] = m.rate;
}

Media row(const SourceList& list, int i)
{
    return {list.path[i], list.durationSeconds[i], list.frameWidth[i], list.frameHeight[i],
            list.frameRate[i]};
}

std::vector<Media> rows(const SourceList& list)
{
    std::vector<Media> out;
    for (int i = 0; i < list.count; ++i)
        out.push_back(row(list, i));
    return out;
}

double sum(const SourceList& list)
{
    return std::accumulate(list.durationSeconds.begin(), list.durationSeconds.begin() + list.count, 0.0);
}

const Media kA{"/v/a.avi", 60, 640, 480, 25};
const Media kB{"/v/b b.mpg", 3725, 352, 288, 29.97};
const Media kC{"/v/c.wmv", 10, 320, 240, 15};
const Media kD{"/v/d.asf", 360000, 720, 576, 214.7483647};

class SourceListTest : public ::testing::Test {
protected:
    void add(const Media& m)
    {
        stage(list, m);
        ASSERT_TRUE(list.appendRow(m.path));
    }
    SourceList list;
};

TEST_F(SourceListTest, RowsKeepTheirValuesThroughRemovesAndSwaps)
{
    struct Op {
        enum Kind { Remove, Swap } kind;
        int a, b;
        std::vector<Media> after;
    };
    for (const Media& m : {kA, kB, kC, kD})
        add(m);
    const Op ops[] = {
        {Op::Swap, 0, 1, {kB, kA, kC, kD}},
        {Op::Swap, 3, 2, {kB, kA, kD, kC}},
        {Op::Remove, 1, 0, {kB, kD, kC}},
        {Op::Remove, 2, 0, {kB, kD}},
        {Op::Swap, 1, 0, {kD, kB}},
        {Op::Remove, 0, 0, {kB}},
        {Op::Remove, 0, 0, {}},
    };
    for (const Op& op : ops) {
        const bool ok = op.kind == Op::Remove ? list.removeRow(op.a) : list.swapRows(op.a, op.b);
        EXPECT_TRUE(ok);
        EXPECT_EQ(rows(list), op.after);
        EXPECT_EQ(list.totalDuration, sum(list));
    }
    EXPECT_EQ(list.totalDuration, 0.0);
}

TEST_F(SourceListTest, BadIndicesChangeNothing)
{
    add(kA);
    add(kB);
    const auto before = rows(list);
    EXPECT_FALSE(list.removeRow(-1));
    EXPECT_FALSE(list.removeRow(2));
    EXPECT_FALSE(list.swapRows(0, 2));
    EXPECT_FALSE(list.swapRows(-1, 0));
    EXPECT_EQ(rows(list), before);
    EXPECT_EQ(list.totalDuration, kA.duration + kB.duration);
}

TEST_F(SourceListTest, StagingSlotKeepsWhatNoReportOverwrote)
{
    // A probe that reports nothing into a slot never used: zeros.
    ASSERT_TRUE(list.appendRow("/v/silent.avi"));
    EXPECT_EQ(row(list, 0), (Media{"/v/silent.avi", 0, 0, 0, 0}));

    add(kA);
    add(kB);
    add(kC);
    // Removing B moves C down; the slot behind the rows still holds C's values.
    ASSERT_TRUE(list.removeRow(2));
    ASSERT_TRUE(list.appendRow("/v/unreported.avi"));
    EXPECT_EQ(row(list, 3), (Media{"/v/unreported.avi", kC.duration, kC.width, kC.height, kC.rate}));
    EXPECT_EQ(list.totalDuration, sum(list));

    // A probe that reports the duration only keeps the slot's frame values.
    list.removeRow(3);
    list.durationSeconds[list.count] = 5;
    ASSERT_TRUE(list.appendRow("/v/partial.avi"));
    EXPECT_EQ(row(list, 3), (Media{"/v/partial.avi", 5, kC.width, kC.height, kC.rate}));
}

TEST_F(SourceListTest, HoldsNinetyNineRows)
{
    for (int i = 0; i < kSourceCapacity; ++i)
        add({"/v/" + std::to_string(i), 1, 1, 1, 1});
    EXPECT_TRUE(list.full());
    EXPECT_FALSE(list.appendRow("/v/one-more"));
    EXPECT_EQ(list.count, kSourceCapacity);
    EXPECT_EQ(list.totalDuration, 99.0);
    EXPECT_EQ(list.path[98], "/v/98");
}

}  // namespace
