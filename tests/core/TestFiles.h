#pragma once
// Files and folders for the core tests: a temporary folder removed with its
// contents, and whole-file reads and writes.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace quelvo::test {

struct TempFolder {
    std::string path;  // without a trailing separator
    TempFolder()
    {
        char name[] = "/tmp/quelvo-test-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // With the trailing separator, as the program directory is given.
    std::string dir() const { return path + "/"; }
    std::string file(const std::string& name) const { return path + "/" + name; }
};

inline std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace quelvo::test
