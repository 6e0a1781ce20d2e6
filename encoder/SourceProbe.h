#pragma once
// Reads a source file's media values with libavformat, inside the process:
// starting ffprobe as a process costs most of the time a probe may take.

#include <string>

#include "encoder/SourceInfo.h"

namespace brantixenc {

SourceInfo probeSource(const std::string& path);

}  // namespace brantixenc
