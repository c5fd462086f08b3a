// fuzz/settings_fuzz.cpp -- settings files of any bytes through the real reader and
// loadFilterSettings, and module paths of any bytes through settingsFilePath.
//
// Input: one mode byte, then the rest R. Even mode: R is the whole settings file. Odd mode:
// R is made into a value that the reader must give back unchanged (see cleanValue) and
// written under all three keys of a well-formed file; mode bits 1..3 pick a key (1..3)
// whose value is R repeated past the 10239-byte limit. In both modes R, up to its first
// zero byte, is also a module path.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/reference_settings.h"
#include "policy/cp936.h"
#include "policy/settings.h"

namespace quorvane {
namespace {

std::string& settingsDirectory() {
    static std::string directory;
    return directory;
}

void removeSettingsDirectory() {
    std::remove((settingsDirectory() + "Quorvane.ini").c_str());
    rmdir(settingsDirectory().c_str());
}

void writeSettingsFile(std::string_view bytes) {
    std::ofstream out(settingsDirectory() + "Quorvane.ini", std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
}

std::vector<std::string> entriesOf(const TextList& list) {
    std::vector<std::string> entries;
    for (const Text& entry : list) entries.emplace_back(entry.view());
    return entries;
}

bool isBlank(unsigned char byte) { return (byte >= 0x09 && byte <= 0x0D) || byte == 0x1A || byte == ' '; }

// `bytes` made into a value that a settings file gives back byte for byte: no zero, CR or
// LF (they end a value or a line), whole valid two-byte characters only, no blanks at
// either end (they are trimmed). Quotes are seen to by unquote.
std::string cleanValue(std::string_view bytes) {
    std::string value(bytes);
    for (char& c : value) {
        if (c == '\0' || c == '\r' || c == '\n') c = 'x';
    }
    for (std::size_t at = 0; at < value.size();) {
        const auto byte = static_cast<unsigned char>(value[at]);
        if (!isCp936LeadByte(byte)) {
            ++at;
        } else if (at + 1 < value.size() && isCp936Pair(byte, static_cast<unsigned char>(value[at + 1]))) {
            at += 2;
        } else {
            value[at++] = 'x';
        }
    }
    // Blank bytes are never the second byte of a character, so trimming cuts no character.
    std::size_t first = 0;
    while (first < value.size() && isBlank(static_cast<unsigned char>(value[first]))) ++first;
    std::size_t last = value.size();
    while (last > first && isBlank(static_cast<unsigned char>(value[last - 1]))) --last;
    return value.substr(first, last - first);
}

// Matching quotes around a value are dropped; a quote is never the second byte of a character.
void unquote(std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value.back() = 'x';
    }
}

// The longest start of a clean value that fits the limit without cutting a character.
std::string cutToLimit(const std::string& value) {
    std::size_t kept = 0;
    while (kept < value.size()) {
        const std::size_t width = isCp936LeadByte(static_cast<unsigned char>(value[kept])) ? 2 : 1;
        if (kept + width > kSettingsValueLimit) break;
        kept += width;
    }
    return value.substr(0, kept);
}

void checkList(const TextList& list, std::int32_t count, const Text& value) {
    FUZZ_CHECK(list.exists());
    FUZZ_CHECK(count == list.size());
    const std::vector<std::string> entries = entriesOf(list);
    FUZZ_CHECK(entries == referenceSplitSettingsList(value.view()));
    std::string joined;
    for (const std::string& entry : entries) {
        FUZZ_CHECK(entry.size() <= value.size());
        FUZZ_CHECK(entry.find('\0') == std::string::npos);
        if (&entry != &entries.front()) joined += '|';
        joined += entry;
    }
    // Rejoined, the entries give back the value, less a last separator that added nothing.
    FUZZ_CHECK(joined == value.view() || joined + "|" == value.view());
}

void checkValue(const Text& value) {
    FUZZ_CHECK(value.size() <= kSettingsValueLimit);
    FUZZ_CHECK(std::strlen(value.cString()) == value.size());
}

}  // namespace
}  // namespace quorvane

using namespace quorvane;

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    char pattern[] = "/tmp/quorvane-fuzz-XXXXXX";
    FUZZ_CHECK(mkdtemp(pattern) != nullptr);
    settingsDirectory() = std::string(pattern) + "/";
    std::atexit(removeSettingsDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);

    FUZZ_CHECK(settingsFilePath(rest.substr(0, rest.find('\0'))).view() == referenceSettingsFilePath(rest));

    // Well-formed: the value each key must give back.
    const char* const keys[] = {kAuthorizedReferersKey, kProtectedSuffixesKey, kRedirectTargetKey};
    std::string expected[3];
    const bool wellFormed = (mode & 1) != 0;
    if (wellFormed) {
        const std::string clean = cleanValue(rest);
        const int longKey = (mode >> 1) & 7;  // 1..3: that key's value goes past the limit
        std::string file = std::string("[") + kSettingsSection + "]\r\n";
        for (int i = 0; i < 3; ++i) {
            std::string value = clean;
            if (longKey == i + 1 && !clean.empty()) {
                while (value.size() <= kSettingsValueLimit) value += clean;
            }
            unquote(value);
            file += std::string(keys[i]) + "=" + value + "\r\n";
            expected[i] = cutToLimit(value);
        }
        writeSettingsFile(file);
    } else {
        writeSettingsFile(rest);
    }

    const std::string modulePath = settingsDirectory() + "Quorvane.dll";
    const std::string filePath = settingsDirectory() + "Quorvane.ini";
    FilterSettings settings;
    initFilterSettings(settings);
    loadFilterSettings(modulePath, settings);

    // A well-formed file gives its values back; any other is read again to see what it held.
    const auto valueOf = [&](int i) {
        return wellFormed ? Text(expected[i])
                          : readSettingsValue(filePath.c_str(), kSettingsSection, keys[i]);
    };
    const Text referers = valueOf(0);
    const Text suffixes = valueOf(1);
    const Text redirect = valueOf(2);
    for (const Text* value : {&referers, &suffixes, &redirect}) checkValue(*value);
    checkList(settings.authorizedReferers, settings.authorizedRefererCount, referers);
    checkList(settings.protectedSuffixes, settings.protectedSuffixCount, suffixes);
    FUZZ_CHECK(settings.redirectTarget.view() == redirect.view());

    // A second load from a directory without the file empties every field and frees the first.
    loadFilterSettings(settingsDirectory() + "missing/Quorvane.dll", settings);
    FUZZ_CHECK(settings.authorizedRefererCount == 0 && settings.authorizedReferers.exists());
    FUZZ_CHECK(settings.protectedSuffixCount == 0 && settings.protectedSuffixes.exists());
    FUZZ_CHECK(settings.redirectTarget.empty());
    releaseFilterSettings(settings);
    return 0;
}
