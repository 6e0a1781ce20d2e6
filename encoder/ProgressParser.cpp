#include "encoder/ProgressParser.h"

#include <charconv>

namespace brantixenc {

std::optional<ProgressUpdate> ProgressParser::feedLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "out_time_us") {
        // "N/A" before the first packet, and a negative time right at the
        // start of some files: keep what we had.
        int64_t us = 0;
        auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), us);
        if (ec == std::errc() && ptr == value.data() + value.size() && us >= outTimeUs_)
            outTimeUs_ = us;
    } else if (key == "progress") {
        return ProgressUpdate{outTimeUs_, value == "end"};
    }
    return std::nullopt;
}

}  // namespace brantixenc
