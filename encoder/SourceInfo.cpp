#include "encoder/SourceInfo.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brantixenc {

ProbeValues probeValues(const SourceInfo& info)
{
    ProbeValues v;
    if (!info.readable)
        return v;
    constexpr double kInt32Max = std::numeric_limits<int32_t>::max();
    double seconds = info.durationSeconds < 0 ? 1 : std::round(info.durationSeconds);
    v.durationSeconds = int32_t(std::clamp(seconds, 1.0, kInt32Max));
    v.width = info.width;
    v.height = info.height;
    if (info.rateNum > 0 && info.rateDen > 0) {
        double scaled = std::round(double(info.rateNum) * 1e7 / info.rateDen);
        v.frameRate = int32_t(std::clamp(scaled, 1.0, kInt32Max));
    }
    return v;
}

}  // namespace brantixenc
