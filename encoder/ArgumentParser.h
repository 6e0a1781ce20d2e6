#pragma once
// Reads Brantixenc's one argument string: two quoted paths, options in
// MEncoder's syntax, and the tail "-endpos <limit> <mode> <descriptor>".

#include <optional>
#include <string>
#include <string_view>

#include "encoder/EncoderJob.h"

namespace brantixenc {

// nullopt with a one-line reason in *error (when error is not null) for
// anything it does not understand; never throws.
std::optional<EncoderJob> parseArguments(std::string_view text, std::string* error);

// The string as the program hands it over is argv[1]; by hand it may arrive
// split over several entries, which are joined with blanks.
std::string joinArguments(int argc, const char* const* argv);

}  // namespace brantixenc
