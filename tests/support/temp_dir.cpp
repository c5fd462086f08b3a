// tests/support/temp_dir.cpp -- temporary directories and settings files for tests.
#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "policy/settings.h"

namespace quorvane::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(std::string_view name) const { return path_ + "/" + std::string(name); }

std::string TempDir::write(std::string_view name, std::string_view bytes) const {
    const std::string full = file(name);
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + full);
    return full;
}

std::string settingsFileBytes(std::string_view referers, std::string_view suffixes,
                              std::string_view redirect) {
    std::string bytes = std::string("[") + kSettingsSection + "]\r\n";
    bytes += std::string(kAuthorizedReferersKey) + "=" + std::string(referers) + "\r\n";
    bytes += std::string(kProtectedSuffixesKey) + "=" + std::string(suffixes) + "\r\n";
    bytes += std::string(kRedirectTargetKey) + "=" + std::string(redirect) + "\r\n";
    return bytes;
}

}  // namespace quorvane::test
