#include "encoding/ReportProtocol.h"

#include <charconv>

namespace quelvo {

namespace {
template <typename T>
bool parseNumber(std::string_view text, T& out)
{
    if (text.empty())
        return false;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}
}  // namespace

std::string formatReport(const Report& r)
{
    return std::to_string(kEncoderReportMessage) + ' ' + std::to_string(r.code) + ' ' +
           std::to_string(r.value) + '\n';
}

std::string formatResult(int32_t result)
{
    return std::to_string(result) + '\n';
}

std::optional<Report> parseReport(std::string_view line)
{
    auto first = line.find(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    auto second = line.find(' ', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    uint32_t message = 0;
    Report r;
    if (!parseNumber(line.substr(0, first), message) || message != kEncoderReportMessage)
        return std::nullopt;
    if (!parseNumber(line.substr(first + 1, second - first - 1), r.code))
        return std::nullopt;
    if (!parseNumber(line.substr(second + 1), r.value))
        return std::nullopt;
    return r;
}

std::optional<int32_t> parseResult(std::string_view line)
{
    int32_t v = 0;
    if (!parseNumber(line, v))
        return std::nullopt;
    return v;
}

std::optional<std::string> LineBuffer::nextLine()
{
    auto nl = buffer_.find('\n');
    if (nl == std::string::npos)
        return std::nullopt;
    std::string line = buffer_.substr(0, nl);
    buffer_.erase(0, nl + 1);
    return line;
}

}  // namespace quelvo
