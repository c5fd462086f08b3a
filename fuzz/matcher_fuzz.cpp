// fuzz/matcher_fuzz.cpp -- the compiled lists against the reference decision, and nothing
// else, so that a long run reaches many executions. Same input as the decision target.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/decision_input.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/reference_decision.h"
#include "policy/policy.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const DecisionInput input = readDecisionInput(data, size);
    FilterSettings settings = settingsOf(input);
    for (const CodePage* codePage : {&codePage936(), &codePage1252()}) {
        compileFilterSettings(settings, *codePage);
        FUZZ_CHECK(decideRequest(settings, input.referer, input.url, *codePage) ==
                   referenceDecision(input.referers, input.suffixes, input.redirect, input.referer, input.url,
                                     *codePage));
    }
    return 0;
}
