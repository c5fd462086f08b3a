// tools/quorvane/settings_file.h -- a settings file of any name, read as the filter reads it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "policy/settings.h"

namespace quorvane::cli {

// The three keys in the order the filter reads them; the tool shows each name, through
// showCp936, beside what it means.
struct SettingsKey {
    const char* name;  // code page 936 bytes, as in the file
    const char* meaning;
};
constexpr SettingsKey kReferersKey{kAuthorizedReferersKey, "authorized referers"};
constexpr SettingsKey kSuffixesKey{kProtectedSuffixesKey, "protected suffixes"};
constexpr SettingsKey kTargetKey{kRedirectTargetKey, "redirect target"};

// The path handed to the library for `path`: the reader skips leading blanks and control
// bytes, so a path that starts with one gets "./" in front to keep them.
std::string libraryPath(const std::string& path);

// The settings in `path` exactly as the filter loads them from its own file: each value by
// readSettingsValue, each list by splitSettingsList. Missing file, section or key: empty.
void loadSettingsFile(const std::string& path, FilterSettings& settings);

// A value as it stands in the file before the filter's cut to kSettingsValueLimit: the same
// reader, given room for the whole file (`fileSize` bytes).
std::string uncutValue(const std::string& path, const char* key, std::size_t fileSize);

}  // namespace quorvane::cli
