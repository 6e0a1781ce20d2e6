#include "encoding/RunState.h"

#include <chrono>

namespace quelvo {

uint32_t tickCount()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace quelvo
