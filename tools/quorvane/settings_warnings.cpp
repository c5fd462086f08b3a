// tools/quorvane/settings_warnings.cpp -- the checks behind `quorvane check`, each on the lists
// exactly as the filter holds them, compared with the filter's own equalsIgnoreCase.
#include "tools/quorvane/settings_warnings.h"

#include <string>
#include <utility>
#include <vector>

#include "policy/code_page.h"
#include "tools/quorvane/display.h"
#include "tools/quorvane/settings_file.h"

namespace quorvane::cli {
namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";

std::string quoted(std::string_view bytes) { return "[" + showCp936(bytes) + "]"; }

std::string entryName(const SettingsKey& key, std::int32_t index, std::string_view entry) {
    return showCp936(key.name) + " entry " + std::to_string(index + 1) + " " + quoted(entry);
}

bool isBlank(char byte) {
    return static_cast<unsigned char>(byte) >= 0x01 && static_cast<unsigned char>(byte) <= 0x20;
}

std::string_view trimmed(std::string_view entry) {
    while (!entry.empty() && isBlank(entry.front())) entry.remove_prefix(1);
    while (!entry.empty() && isBlank(entry.back())) entry.remove_suffix(1);
    return entry;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoreCase(leftView(text, static_cast<std::int32_t>(prefix.size())), prefix, codePage936());
}

// The scheme with "://" that `entry` starts with, or empty.
std::string_view schemeOf(std::string_view entry) {
    if (startsWith(entry, kHttp)) return kHttp;
    if (startsWith(entry, kHttps)) return kHttps;
    return {};
}

// After the scheme: the host with any port, up to the first "/".
std::string_view authorityOf(std::string_view entry, std::string_view scheme) {
    const std::string_view rest = entry.substr(scheme.size());
    return rest.substr(0, rest.find('/'));
}

bool endsInPort(std::string_view authority) {
    const std::size_t colon = authority.rfind(':');
    return colon != std::string_view::npos && colon + 1 < authority.size() &&
           authority.find_first_not_of("0123456789", colon + 1) == std::string_view::npos;
}

// Empty entries and blanks, in any list; returns whether the entry holds anything else to check.
bool checkEmptyAndBlanks(const SettingsKey& key, std::int32_t index, std::string_view entry,
                         const std::string& matchesAll, std::vector<Warning>& warnings) {
    if (entry.empty()) {
        warnings.push_back({showCp936(key.name) + " entry " + std::to_string(index + 1) + " is empty (from " +
                                (index == 0 ? "a \"|\" at the start" : "two \"|\" in a row") +
                                "): " + matchesAll,
                            "empty-entry"});
        return false;
    }
    if (trimmed(entry).size() != entry.size()) {
        warnings.push_back({entryName(key, index, entry) +
                                " has blanks around it: they are part of the entry, so it matches only texts "
                                "that hold them there",
                            "blanks"});
    }
    return !trimmed(entry).empty();
}

void checkReferer(std::int32_t index, std::string_view entry, std::vector<Warning>& warnings) {
    const std::string_view bare = trimmed(entry);
    const std::string name = entryName(kReferersKey, index, entry);
    const bool beginsHttp = startsWith(kHttp, bare);
    const bool beginsHttps = startsWith(kHttps, bare);
    if (beginsHttp || beginsHttps) {
        const std::string which = beginsHttp && beginsHttps ? "http:// and https://"
                                  : beginsHttp              ? "http://"
                                                            : "https://";
        warnings.push_back({name + " is no more than a scheme: it matches every " + which +
                                " Referer, from any site, so those requests all pass",
                            "any-site"});
        return;
    }
    const std::string_view scheme = schemeOf(bare);
    if (scheme.empty()) {
        warnings.push_back({name + " has no http:// or https:// scheme: a Referer always begins with one, so "
                                   "this entry never matches",
                            "no-scheme"});
        return;
    }
    const std::string_view authority = authorityOf(bare, scheme);
    const std::size_t originEnd = scheme.size() + authority.size();
    if (originEnd == bare.size()) {
        const std::string other = showCp936(bare) + (endsInPort(authority) ? "0/" : ".evil.example/");
        warnings.push_back({name + " ends right after the host name without \"/\": it also matches " + other +
                                " and every other host that begins the same way",
                            "host-without-slash"});
    } else if (originEnd + 1 < bare.size()) {
        warnings.push_back({name + " goes on past the origin: browsers send only the origin " +
                                showCp936(bare.substr(0, originEnd + 1)) +
                                " as the Referer of a file that another site's page embeds, so it no longer "
                                "matches such embeds",
                            "path-beyond-origin"});
    }
}

// An origin listed under one scheme only: its pages served under the other match nothing.
void checkSchemePairs(const TextList& referers, std::vector<Warning>& warnings) {
    for (std::int32_t i = 0; i < referers.size(); ++i) {
        const std::string_view bare = trimmed(referers[i].view());
        const std::string_view scheme = schemeOf(bare);
        if (scheme.empty()) continue;
        const std::string_view authority = authorityOf(bare, scheme);
        if (authority.empty()) continue;
        const std::string_view otherScheme = scheme == kHttp ? kHttps : kHttp;
        bool paired = false;
        bool seenBefore = false;
        for (std::int32_t j = 0; j < referers.size(); ++j) {
            const std::string_view other = trimmed(referers[j].view());
            const std::string_view otherEntryScheme = schemeOf(other);
            if (otherEntryScheme.empty()) continue;
            const bool sameAuthority =
                equalsIgnoreCase(authorityOf(other, otherEntryScheme), authority, codePage936());
            paired = paired || (sameAuthority && otherEntryScheme == otherScheme);
            seenBefore = seenBefore || (sameAuthority && otherEntryScheme == scheme && j < i);
        }
        if (paired || seenBefore) continue;
        warnings.push_back({entryName(kReferersKey, i, referers[i].view()) + " lists " +
                                showCp936(authority) + " for " + std::string(scheme) + " but not for " +
                                std::string(otherScheme) + ": its pages served over " +
                                std::string(otherScheme) + " match no entry",
                            "scheme-pair"});
    }
}

void checkSuffix(std::int32_t index, std::string_view entry, std::vector<Warning>& warnings) {
    const std::string_view bare = trimmed(entry);
    if (bare.front() == '.') return;
    warnings.push_back({entryName(kSuffixesKey, index, entry) +
                            " has no leading \".\": it also matches URLs that end in \"a" + showCp936(bare) +
                            "\"",
                        "no-dot"});
}

void checkTarget(const FilterSettings& settings, std::vector<Warning>& warnings) {
    const std::string_view target = settings.redirectTarget.view();
    if (target.empty()) return;
    for (std::int32_t i = 0; i < settings.protectedSuffixes.size(); ++i) {
        const std::string_view suffix = settings.protectedSuffixes[i].view();
        if (suffix.empty()) continue;  // already reported: it matches everything
        if (equalsIgnoreCase(rightView(target, static_cast<std::int32_t>(suffix.size())), suffix,
                             codePage936())) {
            warnings.push_back(
                {showCp936(kTargetKey.name) + " " + quoted(target) + " ends in protected " +
                     entryName(kSuffixesKey, i, suffix) +
                     ": the target is itself protected, so another site's request for it is "
                     "rewritten to itself, and a server that filters the rewritten request again may loop",
                 "protected-target"});
            return;
        }
    }
}

}  // namespace

std::vector<Warning> settingsWarnings(const FilterSettings& settings) {
    std::vector<Warning> warnings;
    const std::pair<const SettingsKey*, const TextList*> lists[] = {
        {&kReferersKey, &settings.authorizedReferers}, {&kSuffixesKey, &settings.protectedSuffixes}};
    for (const auto& [key, list] : lists) {
        if (list->size() == 0) {
            warnings.push_back({showCp936(key->name) + " (" + key->meaning +
                                    ") has no entries: the filter is inactive and lets every request pass",
                                "inactive"});
        }
    }
    const std::string everyReferer = "it matches every Referer, so every request passes";
    for (std::int32_t i = 0; i < settings.authorizedReferers.size(); ++i) {
        const std::string_view entry = settings.authorizedReferers[i].view();
        if (checkEmptyAndBlanks(kReferersKey, i, entry, everyReferer, warnings)) {
            checkReferer(i, entry, warnings);
        }
    }
    checkSchemePairs(settings.authorizedReferers, warnings);
    const std::string everyUrl = "it matches every URL, so every request whose Referer no entry of " +
                                 showCp936(kReferersKey.name) + " begins is refused or redirected";
    for (std::int32_t i = 0; i < settings.protectedSuffixes.size(); ++i) {
        const std::string_view entry = settings.protectedSuffixes[i].view();
        if (checkEmptyAndBlanks(kSuffixesKey, i, entry, everyUrl, warnings)) checkSuffix(i, entry, warnings);
    }
    checkTarget(settings, warnings);
    return warnings;
}

std::vector<Warning> lengthWarnings(const FilterSettings& settings, const std::string_view (&uncut)[3]) {
    std::vector<Warning> warnings;
    const SettingsKey* keys[] = {&kReferersKey, &kSuffixesKey, &kTargetKey};
    for (int k = 0; k < 3; ++k) {
        if (uncut[k].size() <= kSettingsValueLimit) continue;
        std::string text = showCp936(keys[k]->name) + " is " + std::to_string(uncut[k].size()) +
                           " bytes long and the filter reads only its first " +
                           std::to_string(kSettingsValueLimit) + ": ";
        if (k == 2) {
            text += "it rewrites to a cut URL";
        } else {
            const TextList& kept = k == 0 ? settings.authorizedReferers : settings.protectedSuffixes;
            const TextList whole = splitSettingsList(uncut[k]);
            const std::int32_t last = kept.size() - 1;
            const bool lastCut = last >= 0 && last < whole.size() && kept[last].view() != whole[last].view();
            text += "it keeps " + std::to_string(kept.size()) + " of " + std::to_string(whole.size()) +
                    " entries" + (lastCut ? ", the last of them cut short" : "");
        }
        warnings.push_back({text, "too-long"});
    }
    return warnings;
}

}  // namespace quorvane::cli
