#pragma once
// The application profile: per-user integer and text values by section and
// key, kept in "<application name>.INI" in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config) with the option file's profile rules.

#include <cstdint>
#include <string>
#include <string_view>

namespace quelvo {

// Full path of the profile file; the folder may not exist yet.
std::string appProfilePath();

int32_t appProfileInt(std::string_view section, std::string_view key, int32_t defaultValue);
std::string appProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue);

// Writing creates the configuration folder when it is missing.
bool writeAppProfileInt(std::string_view section, std::string_view key, int32_t value);
bool writeAppProfileString(std::string_view section, std::string_view key, std::string_view value);

}  // namespace quelvo
