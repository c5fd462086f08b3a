// tests/support/temp_dir.h -- a temporary directory that removes itself, and file helpers.
#pragma once

#include <string>
#include <string_view>

namespace quorvane::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // Full path of `name` inside the directory.
    std::string file(std::string_view name) const;
    // Writes `bytes` exactly as given (no newline conversion) and returns the full path.
    std::string write(std::string_view name, std::string_view bytes) const;

private:
    std::string path_;
};

// The code page 936 settings file for the three values, one key a line, CRLF line ends.
std::string settingsFileBytes(std::string_view referers, std::string_view suffixes,
                              std::string_view redirect);

}  // namespace quorvane::test
