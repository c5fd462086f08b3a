// tools/quorvane/settings_file.cpp -- loading a named settings file through the library.
#include "tools/quorvane/settings_file.h"

#include <utility>
#include <vector>

#include "policy/profile_reader.h"

namespace quorvane::cli {

std::string libraryPath(const std::string& path) {
    const bool skipped = !path.empty() && static_cast<unsigned char>(path[0]) >= 0x01 &&
                         static_cast<unsigned char>(path[0]) <= 0x20;
    return skipped ? "./" + path : path;
}

void loadSettingsFile(const std::string& path, FilterSettings& settings) {
    const std::string file = libraryPath(path);
    TextList referers =
        splitSettingsList(readSettingsValue(file.c_str(), kSettingsSection, kReferersKey.name).view());
    settings.authorizedReferers = std::move(referers);
    settings.authorizedRefererCount = settings.authorizedReferers.size();
    TextList suffixes =
        splitSettingsList(readSettingsValue(file.c_str(), kSettingsSection, kSuffixesKey.name).view());
    settings.protectedSuffixes = std::move(suffixes);
    settings.protectedSuffixCount = settings.protectedSuffixes.size();
    settings.redirectTarget = readSettingsValue(file.c_str(), kSettingsSection, kTargetKey.name);
}

std::string uncutValue(const std::string& path, const char* key, std::size_t fileSize) {
    // A value in code page 936 never takes more bytes than the file holds in any encoding.
    std::vector<char> buffer(fileSize + 2, '\0');
    readProfileValue(kSettingsSection, key, libraryPath(path).c_str(), buffer.data(), buffer.size());
    return std::string(buffer.data());
}

}  // namespace quorvane::cli
