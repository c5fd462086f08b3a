// tests/support/temp_dir.cpp -- temporary directories and settings files for tests.
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include "policy/settings.h"

namespace quorvane::test {

TempDir::TempDir() {
    // Portable, so that the Windows test programs share it: create_directory fails on a
    // name that exists, so the first name it creates belongs to this directory alone.
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = base / ("quorvane-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(std::string_view name) const {
    return (std::filesystem::path(path_) / std::string(name)).string();
}

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
