#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// A fresh folder under the system's temporary folder for one test, removed with everything in
// it when the test ends.
struct TempFolder
{
    explicit TempFolder(const std::string& prefix = "bramblewick-test")
        : pattern((std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string()),
          path(::mkdtemp(pattern.data()))
    {
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return (path / name).string(); }

    std::string pattern;
    std::filesystem::path path;
};
