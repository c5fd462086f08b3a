// policy/policy.cpp -- decideRequest and the refusal page. Portable.
#include "policy/policy.h"

#include <cstring>

namespace quorvane {
namespace {

bool anyPrefixByScan(const TextList& prefixes, std::string_view text, const CodePage& codePage) noexcept {
    for (const Text& prefix : prefixes) {
        const auto n = static_cast<std::int32_t>(prefix.size());
        if (equalsIgnoreCase(leftView(text, n), prefix.view(), codePage)) return true;
    }
    return false;
}

bool anySuffixByScan(const TextList& suffixes, std::string_view text, const CodePage& codePage) noexcept {
    for (const Text& suffix : suffixes) {
        const auto n = static_cast<std::int32_t>(suffix.size());
        if (equalsIgnoreCase(rightView(text, n), suffix.view(), codePage)) return true;
    }
    return false;
}

}  // namespace

bool isPolicyActive(const FilterSettings& settings) noexcept {
    return settings.authorizedRefererCount > 0 && settings.protectedSuffixCount > 0;
}

RequestOutcome decideRequest(const FilterSettings& settings, std::string_view referer, std::string_view url,
                             const CodePage& codePage) noexcept {
    const CompiledLists& compiled = settings.compiled;
    if (compiled.codePage != &codePage) return decideRequestByScan(settings, referer, url, codePage);
    if (!isPolicyActive(settings) || url.empty()) return RequestOutcome::Pass;
    if (anyPrefixMatches(compiled.referers, referer, codePage)) return RequestOutcome::Pass;
    if (!anySuffixMatches(compiled.suffixes, url, codePage)) return RequestOutcome::Pass;
    return settings.redirectTarget.empty() ? RequestOutcome::Refuse : RequestOutcome::Redirect;
}

RequestOutcome decideRequestByScan(const FilterSettings& settings, std::string_view referer,
                                   std::string_view url, const CodePage& codePage) noexcept {
    if (!isPolicyActive(settings) || url.empty()) return RequestOutcome::Pass;
    if (anyPrefixByScan(settings.authorizedReferers, referer, codePage)) return RequestOutcome::Pass;
    if (!anySuffixByScan(settings.protectedSuffixes, url, codePage)) return RequestOutcome::Pass;
    return settings.redirectTarget.empty() ? RequestOutcome::Refuse : RequestOutcome::Redirect;
}

Text buildRefusalPage(std::string_view clientAddress) {
    Text page = Text::withSize(kRefusalPageHead.size() + clientAddress.size() + kRefusalPageTail.size());
    char* out = page.data();
    std::memcpy(out, kRefusalPageHead.data(), kRefusalPageHead.size());
    out += kRefusalPageHead.size();
    if (!clientAddress.empty()) std::memcpy(out, clientAddress.data(), clientAddress.size());
    out += clientAddress.size();
    std::memcpy(out, kRefusalPageTail.data(), kRefusalPageTail.size());
    return page;
}

}  // namespace quorvane
