// tools/quorvane/try_command.cpp -- explainRequest and the outcome as the tool prints it.
#include "tools/quorvane/try_command.h"

#include "tools/quorvane/display.h"
#include "tools/quorvane/output.h"
#include "tools/quorvane/settings_file.h"
#include "tools/quorvane/system.h"

namespace quorvane::cli {
namespace {

std::string bounded(std::string_view bytes) { return "[" + showCp936(bytes) + "]"; }

// The value of one typed option in code page 936, or an error line naming the option.
bool typedValue(const char* option, const std::optional<std::string>& typed, std::string& bytes) {
    std::string error;
    if (!typed.has_value()) {
        bytes.clear();
        return true;
    }
    if (typedToCp936(*typed, bytes, error)) return true;
    printError(std::string(option) + ": " + error);
    return false;
}

}  // namespace

Explanation explainRequest(const FilterSettings& settings, std::string_view referer, std::string_view url) {
    const CodePage& codePage = codePage936();
    Explanation explanation;
    explanation.outcome = decideRequest(settings, referer, url, codePage);
    explanation.active = isPolicyActive(settings);
    if (!explanation.active || url.empty()) return explanation;
    const TextList& prefixes = settings.authorizedReferers;
    for (std::int32_t i = 0; i < prefixes.size() && explanation.authorizedEntry < 0; ++i) {
        const auto n = static_cast<std::int32_t>(prefixes[i].size());
        if (equalsIgnoreCase(leftView(referer, n), prefixes[i].view(), codePage))
            explanation.authorizedEntry = i;
    }
    if (explanation.authorizedEntry >= 0) return explanation;
    const TextList& suffixes = settings.protectedSuffixes;
    for (std::int32_t i = 0; i < suffixes.size() && explanation.protectedEntry < 0; ++i) {
        const auto n = static_cast<std::int32_t>(suffixes[i].size());
        if (equalsIgnoreCase(rightView(url, n), suffixes[i].view(), codePage)) explanation.protectedEntry = i;
    }
    return explanation;
}

int runTry(const std::string& path, const std::optional<std::string>& typedReferer,
           const std::string& typedUrl, const std::optional<std::string>& typedAddress) {
    std::string referer;
    std::string url;
    std::string address;
    if (!typedValue("--referer", typedReferer, referer) || !typedValue("--url", typedUrl, url) ||
        !typedValue("--address", typedAddress, address)) {
        return 2;
    }
    std::string bytes;
    std::string reason;
    if (!readFileBytes(path, bytes, reason)) {
        printError("cannot read " + path + ": " + reason);
        return 2;
    }
    FilterSettings settings;
    loadSettingsFile(path, settings);
    const Explanation explanation = explainRequest(settings, referer, url);

    const Printer out(stdout);
    const Text page = buildRefusalPage(address);
    switch (explanation.outcome) {
        case RequestOutcome::Pass:
            out.line(out.paint("PASS", Colour::Green));
            break;
        case RequestOutcome::Redirect:
            out.line(out.paint("REDIRECT", Colour::Yellow) + " to " +
                     bounded(settings.redirectTarget.view()));
            break;
        case RequestOutcome::Refuse:
            out.line(out.paint("REFUSE", Colour::Red) + " with the refusal page, " +
                     std::to_string(page.size()) + " bytes");
            break;
    }
    if (!explanation.active) {
        const bool noReferers = settings.authorizedReferers.size() == 0;
        const SettingsKey& empty = noReferers ? kReferersKey : kSuffixesKey;
        out.line("  the filter is inactive: " + showCp936(empty.name) + " (" + empty.meaning +
                 ") has no entries");
    } else if (url.empty()) {
        out.line("  the URL is empty");
    } else if (explanation.authorizedEntry >= 0) {
        const std::int32_t i = explanation.authorizedEntry;
        out.line("  Referer " + bounded(referer) + ": authorized prefix " + std::to_string(i + 1) + " " +
                 bounded(settings.authorizedReferers[i].view()) + " begins it");
    } else {
        out.line("  Referer " + bounded(referer) + ": no authorized prefix begins it");
        const std::int32_t i = explanation.protectedEntry;
        out.line("  URL " + bounded(url) + ": " +
                 (i < 0 ? std::string("no protected suffix ends it")
                        : "protected suffix " + std::to_string(i + 1) + " " +
                              bounded(settings.protectedSuffixes[i].view()) + " ends it"));
    }
    if (explanation.outcome == RequestOutcome::Refuse) out.line("  page: " + showCp936(page.view()));
    return 0;
}

}  // namespace quorvane::cli
