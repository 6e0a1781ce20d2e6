#pragma once
// Turns a progress report of the encoder (the position reached in the file
// being converted) into the share of the batch done, the elapsed time and the
// estimated total time, as the progress window shows them.

#include <cstdint>
#include <string>

#include "encoding/RunState.h"

namespace quelvo {

// The progress window's text when a batch starts (a comma after the first
// time, unlike the live text).
extern const char* const kInitialStatusText;

struct ProgressStep {
    bool taken = false;   // false: the report changes nothing on screen
    int32_t permille = 0; // bar position, 0..1000
    std::string statusText;
};

// Takes one report of `position` seconds within the file being converted at
// clock value `tick` (milliseconds). A position equal to the last one taken,
// a share above 1000 permille (or below 0, or none for an empty total) is not
// taken; every report but a repeated one becomes run.lastPosition.
ProgressStep TakeProgressReport(RunState& run, double totalDuration, double position,
                                uint32_t tick);

// "Total time:%s;Elapsed time:%s;Finished %d.%01d%%".
std::string ProgressStatusText(uint64_t estimateMs, uint32_t elapsedMs, int32_t permille);

}  // namespace quelvo
