#pragma once
// Reads ffmpeg's machine-readable progress (-progress): blocks of key=value
// lines, each closed by "progress=continue" or "progress=end".

#include <cstdint>
#include <optional>
#include <string_view>

namespace brantixenc {

struct ProgressUpdate {
    int64_t outTimeUs = 0;  // output time reached, microseconds
    bool end = false;       // ffmpeg has finished writing
    bool operator==(const ProgressUpdate&) const = default;
};

class ProgressParser {
public:
    // One line without its "\n"; gives an update at the end of each block.
    std::optional<ProgressUpdate> feedLine(std::string_view line);

private:
    int64_t outTimeUs_ = 0;
};

}  // namespace brantixenc
