// fuzz/decision_fuzz.cpp -- decideRequest (scanning and with compiled lists), equalsIgnoreCase,
// leftBytes and rightBytes against the reference decision, under code pages 936 and 1252.
//
// Input: one byte n, then fields separated by zero bytes (texts hold none): the Referer, the
// URL, the redirect target, then list entries: the first n authorized referers, the rest
// protected suffixes. Missing fields are empty.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/decision_input.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/reference_decision.h"
#include "policy/code_page.h"
#include "policy/policy.h"
#include "policy/text.h"

namespace quorvane {
namespace {

// The policy's cuts against the rules, for the counts the decision uses and at the edges.
void checkCuts(std::string_view text, std::int32_t count) {
    FUZZ_CHECK(leftBytes(text, count).view() == referenceLeftBytes(text, count));
    FUZZ_CHECK(rightBytes(text, count).view() == referenceRightBytes(text, count));
}

void checkEquals(std::string_view a, std::string_view b) {
    for (const CodePage* codePage : {&codePage936(), &codePage1252()}) {
        const bool forward = equalsIgnoreCase(a, b, *codePage);
        FUZZ_CHECK(forward == equalsIgnoreCase(b, a, *codePage));
        FUZZ_CHECK(forward == referenceEqualsIgnoreCase(a, b, *codePage));
    }
}

}  // namespace
}  // namespace quorvane

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const DecisionInput input = readDecisionInput(data, size);
    const std::string& referer = input.referer;
    const std::string& url = input.url;
    const std::string& redirect = input.redirect;
    const std::vector<std::string>& referers = input.referers;
    const std::vector<std::string>& suffixes = input.suffixes;
    FilterSettings settings = settingsOf(input);

    // The lists as loaded: scanned (not compiled), then compiled for each code page; a
    // decision under the compiled page walks the tries, under the other one scans.
    const RequestOutcome want936 =
        referenceDecision(referers, suffixes, redirect, referer, url, codePage936());
    const RequestOutcome want1252 =
        referenceDecision(referers, suffixes, redirect, referer, url, codePage1252());
    for (const CodePage* compiledFor :
         {static_cast<const CodePage*>(nullptr), &codePage936(), &codePage1252()}) {
        if (compiledFor != nullptr) compileFilterSettings(settings, *compiledFor);
        FUZZ_CHECK(decideRequest(settings, referer, url, codePage936()) == want936);
        FUZZ_CHECK(decideRequest(settings, referer, url, codePage1252()) == want1252);
    }

    checkEquals(referer, url);
    for (const std::vector<std::string>* list : {&referers, &suffixes}) {
        for (const std::string& entry : *list) {
            const auto n = static_cast<std::int32_t>(entry.size());
            checkCuts(referer, n);
            checkCuts(url, n);
            checkEquals(leftBytes(referer, n).view(), entry);
            checkEquals(rightBytes(url, n).view(), entry);
        }
    }
    for (const std::int32_t n :
         {INT32_MIN, -1, 0, static_cast<std::int32_t>(referer.size()) + 1, INT32_MAX}) {
        checkCuts(referer, n);
    }
    return 0;
}
