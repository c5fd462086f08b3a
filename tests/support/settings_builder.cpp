// tests/support/settings_builder.cpp -- FilterSettings from literal lists.
#include "support/settings_builder.h"

namespace quorvane::test {

TextList makeList(const std::vector<std::string>& entries) {
    TextList list = TextList::withCapacity(entries.size());
    for (const std::string& entry : entries) list.append(Text(entry));
    return list;
}

FilterSettings makeSettings(const std::vector<std::string>& referers,
                            const std::vector<std::string>& suffixes, std::string_view redirect,
                            const CodePage* compileFor) {
    FilterSettings settings;
    settings.authorizedReferers = makeList(referers);
    settings.authorizedRefererCount = settings.authorizedReferers.size();
    settings.protectedSuffixes = makeList(suffixes);
    settings.protectedSuffixCount = settings.protectedSuffixes.size();
    settings.redirectTarget = Text(redirect);
    if (compileFor != nullptr) compileFilterSettings(settings, *compileFor);
    return settings;
}

std::vector<std::string> entriesOf(const TextList& list) {
    std::vector<std::string> entries;
    for (const Text& entry : list) entries.emplace_back(entry.view());
    return entries;
}

}  // namespace quorvane::test
