// fuzz/decision_input.h -- how the decision and matcher targets read their input: one byte n,
// then fields separated by zero bytes (texts hold none): the Referer, the URL, the redirect
// target, then list entries, the first n authorized referers and the rest protected suffixes.
// Missing fields are empty. Also the settings those fields make, uncompiled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "policy/settings.h"

namespace quorvane {

struct DecisionInput {
    std::string referer;
    std::string url;
    std::string redirect;
    std::vector<std::string> referers;
    std::vector<std::string> suffixes;
};

inline DecisionInput readDecisionInput(const std::uint8_t* data, std::size_t size) {
    DecisionInput input;
    if (size == 0) return input;
    const std::size_t refererCount = data[0];
    std::vector<std::string> fields;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    for (std::size_t start = 0;;) {
        const std::size_t end = rest.find('\0', start);
        fields.emplace_back(rest.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    fields.resize(fields.size() < 3 ? 3 : fields.size());
    input.referer = fields[0];
    input.url = fields[1];
    input.redirect = fields[2];
    const std::size_t entryCount = fields.size() - 3;
    const auto split =
        static_cast<std::ptrdiff_t>(3 + (refererCount < entryCount ? refererCount : entryCount));
    input.referers.assign(fields.begin() + 3, fields.begin() + split);
    input.suffixes.assign(fields.begin() + split, fields.end());
    return input;
}

inline TextList textListOf(const std::vector<std::string>& entries) {
    TextList list = TextList::withCapacity(entries.size());
    for (const std::string& entry : entries) list.append(Text(entry));
    return list;
}

inline FilterSettings settingsOf(const DecisionInput& input) {
    FilterSettings settings;
    settings.authorizedReferers = textListOf(input.referers);
    settings.authorizedRefererCount = settings.authorizedReferers.size();
    settings.protectedSuffixes = textListOf(input.suffixes);
    settings.protectedSuffixCount = settings.protectedSuffixes.size();
    settings.redirectTarget = Text(input.redirect);
    return settings;
}

}  // namespace quorvane
