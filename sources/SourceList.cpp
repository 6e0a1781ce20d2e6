#include "sources/SourceList.h"

#include <utility>

namespace quelvo {

bool SourceList::appendRow(const std::string& filePath)
{
    if (count < 0 || count >= kSourceCapacity)
        return false;
    totalDuration += durationSeconds[count];
    path[count] = filePath;
    ++count;
    return true;
}

bool SourceList::removeRow(int32_t s)
{
    if (s < 0 || s >= count)
        return false;
    totalDuration -= durationSeconds[s];
    for (int32_t i = s; i + 1 < count; ++i) {
        durationSeconds[i] = durationSeconds[i + 1];
        frameWidth[i] = frameWidth[i + 1];
        frameHeight[i] = frameHeight[i + 1];
        frameRate[i] = frameRate[i + 1];
        path[i] = std::move(path[i + 1]);
    }
    --count;
    // The vacated entry becomes the staging slot and keeps its values, as a
    // removed row's values stay behind in the tables.
    return true;
}

bool SourceList::swapRows(int32_t a, int32_t b)
{
    if (a < 0 || b < 0 || a >= count || b >= count)
        return false;
    std::swap(durationSeconds[a], durationSeconds[b]);
    std::swap(frameWidth[a], frameWidth[b]);
    std::swap(frameHeight[a], frameHeight[b]);
    std::swap(frameRate[a], frameRate[b]);
    std::swap(path[a], path[b]);
    return true;
}

}  // namespace quelvo
