// The tips file as anyone may edit it: whatever it holds, reading ends and a
// shown tip obeys the line rules.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/TipsReader.h"

using namespace quelvo;

namespace {
std::string folder()
{
    static std::string dir = [] {
        char templ[] = "/tmp/quelvo-fuzz-tips-XXXXXX";
        std::string d = mkdtemp(templ);
        setenv("XDG_CONFIG_HOME", d.c_str(), 1);
        return d;
    }();
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = folder() + "/tips.txt";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    TipsReader reader(path, [] {});
    for (int i = 0; i < 4; ++i) {
        const std::string& tip = reader.tipText();
        if (tip.size() > 999)
            std::abort();
        if (!tip.empty() && (tip[0] == ' ' || tip[0] == '\t' || tip[0] == '\n' || tip[0] == ';'))
            std::abort();
        reader.readNextTip();
    }
    return 0;
}
