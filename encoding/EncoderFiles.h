#pragma once
// Files the encoder writes besides its output. It writes a conversion under a
// temporary name in the output folder and renames it when complete; the
// program removes that file itself when the encoder was killed before it
// could clean up.

#include <string>

namespace quelvo {

// "<folder of outputPath>/.brantixenc-<pid>.part"
std::string encoderTemporaryPath(const std::string& outputPath, long pid);

}  // namespace quelvo
