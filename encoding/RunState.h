#pragma once
// State of the running batch, shared by the conversion run and the progress
// reports.

#include <cstdint>

namespace quelvo {

struct RunState {
    uint32_t startTick = 0;      // tick count at the start of the batch, milliseconds
    int32_t currentIndex = 0;    // row being converted; after a batch, the last one
    double doneSeconds = 0.0;    // durations of the rows finished in this batch
    double lastPosition = 999.0; // last progress position taken; never reset
    int32_t reportCounter = 0;   // progress reports since the last extra pump
};

// A monotonic millisecond clock taken as unsigned 32 bits (wraps like the
// Windows tick count).
uint32_t tickCount();

}  // namespace quelvo
