// policy/settings.h -- FilterSettings and its loader: where the settings file is, how a
// value is read and how a list value is cut into entries. Portable; the file itself is
// read through the platform seam.
#pragma once

#include <cstdint>
#include <string_view>

#include "policy/list_matcher.h"
#include "policy/text.h"

namespace quorvane {

// The whole configuration. Each count equals its list's number of entries and is set
// together with the list. The record owns its lists, their entries and the target.
struct FilterSettings {
    std::int32_t authorizedRefererCount = 0;
    std::int32_t protectedSuffixCount = 0;
    TextList authorizedReferers;  // Referer prefixes that may fetch protected files
    TextList protectedSuffixes;   // URL endings that are protected
    Text redirectTarget;          // empty: refuse with the page instead of rewriting
    // The two lists compiled for the ANSI code page at load, so that a decision's cost does
    // not grow with them. Rebuilt by every load, released with the lists.
    CompiledLists compiled;
};

// Names of the settings file and its keys. The section and keys are code page 936 bytes,
// matched as bytes, so the file must store them in code page 936.
constexpr std::string_view kModuleFileName = "Quorvane.dll";
constexpr std::string_view kSettingsFileName = "Quorvane.ini";
constexpr const char* kSettingsSection = "\xC9\xE8\xD6\xC3";                        // 设置
constexpr const char* kAuthorizedReferersKey = "\xCA\xDA\xC8\xA8\xC0\xB4\xC2\xB7";  // 授权来路
constexpr const char* kProtectedSuffixesKey = "\xCE\xC4\xBC\xFE\xC0\xE0\xD0\xCD";   // 文件类型
constexpr const char* kRedirectTargetKey = "\xD6\xD8\xB6\xA8\xCF\xF2\xB5\xBD";      // 重定向到

// The longest value used, in bytes; a longer value is cut there.
constexpr std::size_t kSettingsValueLimit = 10239;

// The module path with every "Quorvane.dll" removed (ASCII letters in any case, never
// starting on the second byte of a two-byte character), followed by "Quorvane.ini".
Text settingsFilePath(std::string_view modulePath);

// One value of the settings file. Leading bytes 01..20 of each argument are skipped;
// if any argument is then empty, no file is read. The empty text when the file, the
// section or the key is missing; otherwise the value, cut to kSettingsValueLimit bytes.
Text readSettingsValue(const char* filePath, const char* section, const char* key);

// Cuts a list value at every "|" that is not the second byte of a two-byte character.
// Entries keep their blanks; an empty last piece adds nothing; empty value, no entries.
TextList splitSettingsList(std::string_view value);

// Reads the three keys from the settings file beside `modulePath` and replaces the
// record's fields in order: authorized referers, protected suffixes, redirect target.
// Each field's old content is released only once its new value is complete. Then compiles
// the lists for the platform's ANSI code page.
void loadFilterSettings(std::string_view modulePath, FilterSettings& settings);

// Compiles the lists for `codePage`; decisions under another code page scan the lists.
void compileFilterSettings(FilterSettings& settings, const CodePage& codePage);

// Start-up contents: two existing lists without entries and no redirect target.
void initFilterSettings(FilterSettings& settings);

// Releases the lists, their entries and the redirect target.
void releaseFilterSettings(FilterSettings& settings) noexcept;

}  // namespace quorvane
