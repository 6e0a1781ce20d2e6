#include <gtest/gtest.h>

#include <string>

#include "encoding/Progress.h"

using namespace quelvo;

namespace {

TEST(Progress, StatusLineBarAndEstimate)
{
    struct Case {
        const char* name;
        double total;       // totalDuration, s
        double done;        // doneSeconds, s
        double position;    // s
        uint32_t startTick;
        uint32_t tick;
        int32_t permille;
        const char* text;
    };
    const Case cases[] = {
        {"second of two 60 s rows at 30 s", 120, 60, 30, 1000, 46000, 750,
         "Total time:00:01:00;Elapsed time:00:00:45;Finished 75.0%"},
        {"half an hour at a quarter", 14400, 0, 3600, 0, 1800000, 250,
         "Total time:02:00:00;Elapsed time:00:30:00;Finished 25.0%"},
        // elapsed * 1000 passes 32 bits after 71 minutes.
        {"two hours at a half", 14400, 3600, 3600, 0, 7200000, 500,
         "Total time:04:00:00;Elapsed time:02:00:00;Finished 50.0%"},
        {"nothing done yet: the total is the estimate", 3725, 0, 0, 500, 500, 0,
         "Total time:01:02:05;Elapsed time:00:00:00;Finished 0.0%"},
        {"tenths truncated", 3, 0, 1, 0, 1000, 333,
         "Total time:00:00:03;Elapsed time:00:00:01;Finished 33.3%"},
        {"the whole batch", 90, 30, 60, 0, 90000, 1000,
         "Total time:00:01:30;Elapsed time:00:01:30;Finished 100.0%"},
        {"tick count wrapped", 100, 0, 50, 0xFFFFFC18u, 0x000003E8u, 500,
         "Total time:00:00:04;Elapsed time:00:00:02;Finished 50.0%"},
        {"hundred hours", 720000, 0, 360000, 0, 360000000u, 500,
         "Total time:200:00:00;Elapsed time:100:00:00;Finished 50.0%"},
    };
    for (const Case& c : cases) {
        RunState run;
        run.startTick = c.startTick;
        run.doneSeconds = c.done;
        const ProgressStep step = TakeProgressReport(run, c.total, c.position, c.tick);
        EXPECT_TRUE(step.taken) << c.name;
        EXPECT_EQ(step.permille, c.permille) << c.name;
        EXPECT_EQ(step.statusText, c.text) << c.name;
        EXPECT_EQ(run.lastPosition, c.position) << c.name;
    }
}

TEST(Progress, IgnoredReports)
{
    RunState run;  // lastPosition starts at 999
    run.doneSeconds = 0;
    const double total = 100;
    struct Step {
        double position;
        bool taken;
        double lastAfter;
    };
    const Step steps[] = {
        {999, false, 999},  // equal to the start value
        {10, true, 10},
        {10, false, 10},    // repeated
        {101, false, 101},  // above 1000 permille, yet remembered
        {101, false, 101},
        {-5, false, -5},    // a negative share is nothing to show
        {100, true, 100},   // exactly 1000 permille
    };
    for (const Step& s : steps) {
        const ProgressStep step = TakeProgressReport(run, total, s.position, 0);
        EXPECT_EQ(step.taken, s.taken) << s.position;
        EXPECT_EQ(run.lastPosition, s.lastAfter) << s.position;
        if (!s.taken) {
            EXPECT_EQ(step.statusText, "") << s.position;
        }
    }
}

TEST(Progress, EmptyTotalShowsNothing)
{
    // Rows whose probe reported no duration add up to 0 s.
    for (double position : {0.0, 5.0}) {
        RunState run;
        EXPECT_FALSE(TakeProgressReport(run, 0.0, position, 0).taken) << position;
    }
}

}  // namespace
