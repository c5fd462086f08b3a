// policy/settings.cpp -- settings path, value reading, list splitting and loading. Portable.
#include "policy/settings.h"

#include <cstring>
#include <utility>

#include "platform/platform.h"
#include "policy/code_page.h"

namespace quorvane {
namespace {

constexpr unsigned char kSeparator = '|';

// Bytes 80..FF start a two-byte character in the settings scans, whatever the code page.
constexpr bool startsPair(unsigned char byte) noexcept { return byte >= 0x80; }

bool matchesModuleName(std::string_view rest) noexcept {
    for (std::size_t i = 0; i < kModuleFileName.size(); ++i) {
        if (asciiLower(static_cast<unsigned char>(rest[i])) !=
            asciiLower(static_cast<unsigned char>(kModuleFileName[i]))) {
            return false;
        }
    }
    return true;
}

const char* skipLeadingControls(const char* text) noexcept {
    while (static_cast<unsigned char>(*text) >= 0x01 && static_cast<unsigned char>(*text) <= 0x20) ++text;
    return text;
}

}  // namespace

Text settingsFilePath(std::string_view modulePath) {
    const std::size_t nameSize = kModuleFileName.size();
    Text path = Text::withSize(modulePath.size() + kSettingsFileName.size());
    std::size_t out = 0;
    std::size_t pos = 0;
    while (pos < modulePath.size()) {
        const std::size_t remaining = modulePath.size() - pos;
        if (remaining < nameSize) {
            std::memcpy(path.data() + out, modulePath.data() + pos, remaining);
            out += remaining;
            break;
        }
        if (matchesModuleName(modulePath.substr(pos, nameSize))) {
            pos += nameSize;
            continue;
        }
        // Here at least a whole name remains, so a two-byte character is always complete.
        const std::size_t width = startsPair(static_cast<unsigned char>(modulePath[pos])) ? 2 : 1;
        std::memcpy(path.data() + out, modulePath.data() + pos, width);
        out += width;
        pos += width;
    }
    std::memcpy(path.data() + out, kSettingsFileName.data(), kSettingsFileName.size());
    out += kSettingsFileName.size();
    return Text(std::string_view(path.cString(), out));
}

Text readSettingsValue(const char* filePath, const char* section, const char* key) {
    filePath = skipLeadingControls(filePath);
    section = skipLeadingControls(section);
    key = skipLeadingControls(key);
    if (*filePath == '\0' || *section == '\0' || *key == '\0') return {};
    Text buffer = Text::withSize(kSettingsValueLimit);  // 10240 bytes with the zero
    // Cleared whole: where a two-byte character does not fit at the cut, the platform's
    // reader leaves that byte as the buffer held it, and heap blocks hold old bytes.
    std::memset(buffer.data(), 0, kSettingsValueLimit + 1);
    platform::readProfileString(section, key, filePath, buffer.data(), kSettingsValueLimit + 1);
    buffer.data()[kSettingsValueLimit] = '\0';
    return Text(std::string_view(buffer.cString()));
}

TextList splitSettingsList(std::string_view value) {
    // Two passes over the same rule: count the entries, then cut them into one block.
    auto scan = [value](auto&& onEntry) {
        std::size_t pieceStart = 0;
        std::size_t pos = 0;
        while (pos < value.size()) {
            const auto byte = static_cast<unsigned char>(value[pos]);
            if (byte == kSeparator) {
                onEntry(value.substr(pieceStart, pos - pieceStart));
                pieceStart = ++pos;
            } else if (startsPair(byte)) {
                if (pos + 1 >= value.size()) break;  // lone lead byte ends the scan
                pos += 2;                            // a 7C trail byte does not separate
            } else {
                ++pos;
            }
        }
        if (pieceStart < value.size()) onEntry(value.substr(pieceStart));
    };
    std::size_t count = 0;
    scan([&count](std::string_view) { ++count; });
    TextList list = TextList::withCapacity(count);
    scan([&list](std::string_view entry) { list.append(Text(entry)); });
    return list;
}

void loadFilterSettings(std::string_view modulePath, FilterSettings& settings) {
    const Text path = settingsFilePath(modulePath);
    settings.compiled.clear();  // until the new lists are compiled, decisions scan them

    TextList referers =
        splitSettingsList(readSettingsValue(path.cString(), kSettingsSection, kAuthorizedReferersKey).view());
    settings.authorizedReferers = std::move(referers);
    settings.authorizedRefererCount = settings.authorizedReferers.size();

    TextList suffixes =
        splitSettingsList(readSettingsValue(path.cString(), kSettingsSection, kProtectedSuffixesKey).view());
    settings.protectedSuffixes = std::move(suffixes);
    settings.protectedSuffixCount = settings.protectedSuffixes.size();

    settings.redirectTarget = readSettingsValue(path.cString(), kSettingsSection, kRedirectTargetKey);

    compileFilterSettings(settings, platform::ansiCodePage());
}

void compileFilterSettings(FilterSettings& settings, const CodePage& codePage) {
    settings.compiled.compile(settings.authorizedReferers, settings.protectedSuffixes, codePage);
}

void initFilterSettings(FilterSettings& settings) {
    settings.authorizedReferers = TextList::withCapacity(0);
    settings.authorizedRefererCount = 0;
    settings.protectedSuffixes = TextList::withCapacity(0);
    settings.protectedSuffixCount = 0;
    settings.redirectTarget.release();
    settings.compiled.clear();
}

void releaseFilterSettings(FilterSettings& settings) noexcept {
    settings.compiled.clear();
    settings.authorizedReferers.release();
    settings.protectedSuffixes.release();
    settings.redirectTarget.release();
}

}  // namespace quorvane
