#include "platform/AppProfile.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/AppInfo.h"
#include "platform/ProfileFile.h"

namespace quelvo {

namespace {

std::string configFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // The base directory rules ignore a relative XDG_CONFIG_HOME.
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config";
}

bool ensureConfigFolder()
{
    std::error_code ec;
    std::filesystem::create_directories(configFolder(), ec);
    return !ec;
}

}  // namespace

std::string appProfilePath()
{
    return configFolder() + "/" + ApplicationName() + ".INI";
}

int32_t appProfileInt(std::string_view section, std::string_view key, int32_t defaultValue)
{
    return readProfileInt(appProfilePath(), section, key, defaultValue);
}

std::string appProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue)
{
    return readProfileString(appProfilePath(), section, key, defaultValue);
}

bool writeAppProfileInt(std::string_view section, std::string_view key, int32_t value)
{
    return writeAppProfileString(section, key, std::to_string(value));
}

bool writeAppProfileString(std::string_view section, std::string_view key, std::string_view value)
{
    return ensureConfigFolder() && writeProfileString(appProfilePath(), section, key, value);
}

}  // namespace quelvo
