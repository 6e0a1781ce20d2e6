// Report lines from the encoder: parse, and what parses survives a round trip.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "encoding/ReportProtocol.h"

using namespace quelvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    LineBuffer buffer;
    buffer.append(text);
    while (auto line = buffer.nextLine()) {
        if (auto r = parseReport(*line)) {
            const std::string again = formatReport(*r);
            if (parseReport(std::string_view(again).substr(0, again.size() - 1)) != r)
                std::abort();
        }
        (void)parseResult(*line);
    }
    return 0;
}
