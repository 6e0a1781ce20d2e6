#pragma once
// The encoder's report channel: a connected pair of Unix stream sockets. The
// encoder writes "1824 <code> <value>\n" and then blocks until it reads one
// line "<result>\n" back. These are the pure halves: formatting and parsing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelvo {

constexpr uint32_t kEncoderReportMessage = 0x720;  // 1824

// Report codes.
constexpr uint32_t kReportDuration = 1;
constexpr uint32_t kReportWidth = 2;
constexpr uint32_t kReportHeight = 3;
constexpr uint32_t kReportFrameRate = 4;  // frames per second x 10,000,000
constexpr uint32_t kReportPosition = 6;

// Result of a report: 1 asks the encoder to stop.
constexpr int32_t kResultContinue = 0;
constexpr int32_t kResultStop = 1;

struct Report {
    uint32_t code = 0;
    int32_t value = 0;
    bool operator==(const Report&) const = default;
};

std::string formatReport(const Report& r);  // with the trailing "\n"
std::string formatResult(int32_t result);   // with the trailing "\n"

// One line without its "\n". nullopt for anything that is not exactly a
// report of message 1824 with an unsigned 32-bit code and a signed 32-bit value.
std::optional<Report> parseReport(std::string_view line);
std::optional<int32_t> parseResult(std::string_view line);

// Splits complete lines off the front of a receive buffer; a partial line
// stays in the buffer for the next read.
class LineBuffer {
public:
    void append(std::string_view bytes) { buffer_.append(bytes); }
    std::optional<std::string> nextLine();
    size_t pending() const { return buffer_.size(); }

private:
    std::string buffer_;
};

}  // namespace quelvo
