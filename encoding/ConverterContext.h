#pragma once
// The program's process-wide records, owned by the main window and handed to
// the parts that read and write them.

#include <cstdint>
#include <string>

#include "encoding/RunState.h"
#include "settings/OutputSettings.h"
#include "sources/SourceList.h"

namespace quelvo {

struct ConverterContext {
    OutputSettings settings;
    EncodeParameters params;
    SourceList sources;
    RunState run;
    std::string versionText = "1.00";
    // Where the encoder and the option files lie (ends with a separator).
    std::string programDirectory;
};

}  // namespace quelvo
