#include "encoding/EncoderFiles.h"

namespace quelvo {

std::string encoderTemporaryPath(const std::string& outputPath, long pid)
{
    const auto slash = outputPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : outputPath.substr(0, slash + 1);
    return folder + ".brantixenc-" + std::to_string(pid) + ".part";
}

}  // namespace quelvo
