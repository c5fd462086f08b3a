// tools/quorvane/settings_warnings.h -- loaded settings that make the filter silently wrong.
#pragma once

#include <string_view>
#include <vector>

#include "policy/settings.h"
#include "tools/quorvane/warning.h"

namespace quorvane::cli {

// Empty lists, empty entries, blanks, protected entries without a dot, authorized prefixes
// that match other hosts or miss browsers' Referers, and a protected redirect target.
std::vector<Warning> settingsWarnings(const FilterSettings& settings);

// Values longer than the filter reads. `uncut` holds the three values whole, in the order
// authorized referers, protected suffixes, redirect target.
std::vector<Warning> lengthWarnings(const FilterSettings& settings, const std::string_view (&uncut)[3]);

}  // namespace quorvane::cli
