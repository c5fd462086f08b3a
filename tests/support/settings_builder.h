// tests/support/settings_builder.h -- FilterSettings from literal lists, for tests and benchmarks.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "policy/settings.h"

namespace quorvane::test {

TextList makeList(const std::vector<std::string>& entries);

// Settings as a load would give them, the lists compiled for `compileFor` (null: not
// compiled, so decisions scan the lists).
FilterSettings makeSettings(const std::vector<std::string>& referers,
                            const std::vector<std::string>& suffixes, std::string_view redirect,
                            const CodePage* compileFor = &codePage936());

std::vector<std::string> entriesOf(const TextList& list);

}  // namespace quorvane::test
