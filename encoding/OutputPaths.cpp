#include "encoding/OutputPaths.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#include <cstdlib>
#endif

#include "app/AppInfo.h"
#include "settings/OutputSettings.h"

namespace quelvo {

namespace fs = std::filesystem;

namespace {

bool entryExists(const std::string& path)
{
    std::error_code ec;
    // A dangling link is still a name that is taken.
    return fs::exists(fs::symlink_status(path, ec));
}

bool enterFolder(const std::string& path)
{
    std::error_code ec;
    fs::current_path(path, ec);
    return !ec;
}

#ifdef _WIN32
// "C:\name": the leaf is the whole path, the drive needs no ensuring.
bool isDriveChild(const std::string& path, size_t lastSeparator)
{
    return lastSeparator > 0 && path[lastSeparator - 1] == ':' &&
           path.rfind(':') == lastSeparator - 1;
}
#endif

}  // namespace

int EnsureFolder(const std::string& pathIn)
{
    const char sep = nativeSeparator();
    std::string path = pathIn;
    while (path.size() > 1 && path.back() == sep)
        path.pop_back();
    if (path.empty())
        return -1;

    std::error_code ec;
    if (fs::is_directory(path, ec))
        return enterFolder(path) ? 0 : -1;
    // A folder the listing does not show but that can be entered (a drive
    // root) is accepted as it is.
    if (enterFolder(path))
        return 0;

    const size_t pos = path.rfind(sep);
    std::string leaf;
    if (pos == std::string::npos) {
        leaf = path;  // one level, below the current directory
#ifdef _WIN32
    } else if (isDriveChild(path, pos)) {
        leaf = path;
#endif
    } else {
        // Ensuring the parent leaves the current directory there, so the
        // leaf is created below it.
        const std::string parent = pos == 0 ? path.substr(0, 1) : path.substr(0, pos);
        if (EnsureFolder(parent) == -1)
            return -1;
        leaf = path.substr(pos + 1);
    }
    if (leaf.empty())
        return -1;
    fs::create_directory(leaf, ec);
    if (ec)
        return -1;
    return enterFolder(leaf) ? 0 : -1;
}

bool FolderWritable(const std::string& folder)
{
    std::string probe = folder;
    if (probe.empty() || probe.back() != nativeSeparator())
        probe += nativeSeparator();
#ifndef _WIN32
    probe += ".quelvo-write-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0)
        return false;
    close(fd);
    unlink(probe.c_str());
    return true;
#else
    probe += ".quelvo-write-test";
    FILE* f = std::fopen(probe.c_str(), "wb");
    if (!f)
        return false;
    std::fclose(f);
    std::remove(probe.c_str());
    return true;
#endif
}

bool samePath(const std::string& a, const std::string& b)
{
    std::error_code ec;
    const fs::path pa = fs::absolute(a, ec).lexically_normal();
    const fs::path pb = fs::absolute(b, ec).lexically_normal();
    if (pa == pb)
        return true;
    const bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

std::string MakeOutputPath(const std::string& outputFolder, int32_t outputFormat,
                           const std::string& sourcePath,
                           std::span<const std::string> protectedPaths)
{
    const FormatInfo* info = formatInfo(outputFormat);
    if (!info)
        return {};
    const char sep = nativeSeparator();
    const std::string ext = info->extension;

    std::string folder = outputFolder;
    if (folder.empty() || folder.back() != sep)
        folder += sep;
    const size_t nameStart = sourcePath.rfind(sep);
    const std::string name =
        nameStart == std::string::npos ? sourcePath : sourcePath.substr(nameStart + 1);
    // The dot is looked for in the name only; a leading dot marks a hidden
    // file, not an extension.
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string sourceExt = hasExtension ? name.substr(dot + 1) : std::string();

    auto isProtected = [&](const std::string& candidate) {
        return std::any_of(protectedPaths.begin(), protectedPaths.end(),
                           [&](const std::string& p) { return samePath(candidate, p); });
    };

    std::string chosen = folder + stem + "." + ext;
    if (entryExists(chosen) || isProtected(chosen)) {
        const std::string variantStem = stem + "_" + sourceExt;
        chosen = folder + variantStem + "." + ext;
        // The variant is overwritten when it exists, unless it must be kept;
        // then the first numbered name that is free is taken.
        if (isProtected(chosen)) {
            chosen.clear();
            for (int n = 2; n < 10000 && chosen.empty(); ++n) {
                std::string numbered = folder + variantStem + "_" + std::to_string(n) + "." + ext;
                if (!isProtected(numbered) && !entryExists(numbered))
                    chosen = std::move(numbered);
            }
            if (chosen.empty())
                return {};
        }
    }
    if (chosen.size() > kMaxPathLength)
        return {};
    return chosen;
}

}  // namespace quelvo
