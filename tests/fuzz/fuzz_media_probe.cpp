// The probe of a damaged media file: whatever the bytes, probing ends with
// values the program can take or with a duration of 0.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "encoder/SourceInfo.h"
#include "encoder/SourceProbe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        char templ[] = "/tmp/quelvo-fuzz-probe-XXXXXX";
        int fd = mkstemp(templ);
        if (fd >= 0)
            close(fd);
        return std::string(templ);
    }();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    const brantixenc::SourceInfo info = brantixenc::probeSource(path);
    const brantixenc::ProbeValues v = brantixenc::probeValues(info);
    if (!info.readable && v.durationSeconds != 0)
        std::abort();
    if (info.readable && (v.durationSeconds < 1 || v.width <= 0 || v.height <= 0))
        std::abort();
    return 0;
}
