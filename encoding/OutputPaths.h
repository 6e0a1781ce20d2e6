#pragma once
// Where the converted files go: the output folder is made to exist (and
// becomes the current directory, which the encoder inherits), and each
// source's output name is derived from its file name and the format.

#include <cstdint>
#include <span>
#include <string>

namespace quelvo {

// Paths are kept to this many characters (bytes of their UTF-8 text).
constexpr size_t kMaxPathLength = 255;

// Makes sure the folder exists, creating every missing level from the top,
// and makes it the current directory. 0 on success, -1 otherwise (also for a
// path that names a file). A trailing separator is ignored; "/" is accepted.
int EnsureFolder(const std::string& path);

// True when a file can be created in the folder (checked by creating and
// removing one), so an unwritable folder is found before a batch starts.
bool FolderWritable(const std::string& folder);

// The output file for sourcePath under outputFolder in outputFormat's
// extension: <folder>/<name up to its last dot>.<ext>, or the variant
// <name>_<source ext>.<ext> when that exists. A name that would be one of
// the protected paths (the list's sources, or outputs of the same batch) gets
// "_2", "_3" ... before the extension instead, the first that neither is
// protected nor exists. Empty when no name of at most kMaxPathLength
// characters can be made or the format is unknown.
std::string MakeOutputPath(const std::string& outputFolder, int32_t outputFormat,
                           const std::string& sourcePath,
                           std::span<const std::string> protectedPaths = {});

// True when a and b name the same file: equal after making them absolute and
// normal, or both existing and equivalent (links).
bool samePath(const std::string& a, const std::string& b);

}  // namespace quelvo
