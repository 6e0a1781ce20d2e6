#include "encoding/Progress.h"

#include <cstdio>

#include "app/AppInfo.h"

namespace quelvo {

const char* const kInitialStatusText = "Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%";

std::string ProgressStatusText(uint64_t estimateMs, uint32_t elapsedMs, int32_t permille)
{
    const std::string total = TimeText(static_cast<long long>(estimateMs / 1000));
    const std::string elapsed = TimeText(elapsedMs / 1000);
    char buf[128];
    std::snprintf(buf, sizeof buf, "Total time:%s;Elapsed time:%s;Finished %d.%01d%%",
                  total.c_str(), elapsed.c_str(), permille / 10, permille % 10);
    return buf;
}

ProgressStep TakeProgressReport(RunState& run, double totalDuration, double position,
                                uint32_t tick)
{
    ProgressStep step;
    if (position == run.lastPosition)
        return step;
    run.lastPosition = position;

    const double permille = (position + run.doneSeconds) * 1000.0 / totalDuration;
    // Written so that NaN (nothing done of an empty total) is refused too.
    if (!(permille >= 0.0 && permille <= 1000.0))
        return step;

    // Unsigned arithmetic keeps the difference right across a clock wrap.
    const uint32_t elapsed = tick - run.startTick;
    uint64_t estimate;
    if (permille == 0.0)
        estimate = static_cast<uint64_t>(static_cast<int64_t>(totalDuration)) * 1000u;
    else
        estimate = static_cast<uint64_t>(static_cast<double>(uint64_t{elapsed} * 1000u) / permille);

    step.taken = true;
    step.permille = static_cast<int32_t>(permille);
    step.statusText = ProgressStatusText(estimate, elapsed, step.permille);
    return step;
}

}  // namespace quelvo
