#include "app/AppInfo.h"

#include <unistd.h>

#include <climits>
#include <cstdio>

namespace quelvo {

namespace {
std::string g_invocation;
std::string g_startFolder;

std::string currentFolder()
{
    char buf[PATH_MAX];
    if (getcwd(buf, sizeof buf) == nullptr)
        return {};
    return buf;
}

std::string runningExecutable()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<size_t>(n));
}
}  // namespace

char nativeSeparator()
{
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

void setInvocationPath(const std::string& argv0)
{
    g_invocation = argv0;
    g_startFolder = currentFolder();
}

std::string directoryOfInvocation(const std::string& argv0, const std::string& startFolder)
{
    const char sep = nativeSeparator();
    auto pos = argv0.rfind(sep);
    if (pos == std::string::npos)
        return {};
    std::string dir = argv0.substr(0, pos + 1);
    if (dir.front() != sep && !startFolder.empty()) {
        std::string base = startFolder;
        if (base.back() != sep)
            base += sep;
        dir = base + dir;
    }
    return dir;
}

std::string ProgramDirectory()
{
    std::string invocation = g_invocation;
    if (invocation.find(nativeSeparator()) == std::string::npos)
        invocation = runningExecutable();
    return directoryOfInvocation(invocation, g_startFolder.empty() ? currentFolder() : g_startFolder);
}

std::string ApplicationName()
{
    std::string name = g_invocation.empty() ? runningExecutable() : g_invocation;
    auto pos = name.rfind(nativeSeparator());
    if (pos != std::string::npos)
        name = name.substr(pos + 1);
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name = name.substr(0, dot);
    return name.empty() ? std::string("Quelvo") : name;
}

std::string TimeText(long long seconds)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", seconds / 3600, (seconds % 3600) / 60,
                  seconds % 60);
    return buf;
}

}  // namespace quelvo
