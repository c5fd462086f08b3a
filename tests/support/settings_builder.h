// tests/support/settings_builder.h -- FilterSettings from literal lists, for tests and benchmarks.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "policy/settings.h"

namespace quorvane::test {

TextList makeList(const std::vector<std::string>& entries);

FilterSettings makeSettings(const std::vector<std::string>& referers,
                            const std::vector<std::string>& suffixes, std::string_view redirect);

std::vector<std::string> entriesOf(const TextList& list);

}  // namespace quorvane::test
