// fuzz/reference_settings.h -- the settings path and the list split written literally from
// their rules, as oracles for the settings fuzz target. Share no code with policy/.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The module path with every "Quorvane.dll" removed by one scan (ASCII letters in any case;
// bytes 80..FF take the next byte with them), followed by "Quorvane.ini". The path is a text:
// it ends at its first zero byte.
std::string referenceSettingsFilePath(std::string_view modulePath);

// The entries of a list value cut at "|", a byte 80..FF and the byte after it being one
// character; an empty last piece adds nothing. The value is a text, as above.
std::vector<std::string> referenceSplitSettingsList(std::string_view value);

}  // namespace quorvane
