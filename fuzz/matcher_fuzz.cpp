// fuzz/matcher_fuzz.cpp -- the compiled lists against the reference decision, and nothing
// else, so that a long run reaches many executions. Same input as the decision target: one
// byte n, then zero-separated fields: Referer, URL, redirect target, the first n entries
// authorized referers, the rest protected suffixes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/reference_decision.h"
#include "policy/policy.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
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
    const std::size_t entryCount = fields.size() - 3;
    const auto split =
        static_cast<std::ptrdiff_t>(3 + (refererCount < entryCount ? refererCount : entryCount));
    const std::vector<std::string> referers(fields.begin() + 3, fields.begin() + split);
    const std::vector<std::string> suffixes(fields.begin() + split, fields.end());

    FilterSettings settings;
    settings.authorizedReferers = TextList::withCapacity(referers.size());
    for (const std::string& entry : referers) settings.authorizedReferers.append(Text(entry));
    settings.authorizedRefererCount = settings.authorizedReferers.size();
    settings.protectedSuffixes = TextList::withCapacity(suffixes.size());
    for (const std::string& entry : suffixes) settings.protectedSuffixes.append(Text(entry));
    settings.protectedSuffixCount = settings.protectedSuffixes.size();
    settings.redirectTarget = Text(fields[2]);

    for (const CodePage* codePage : {&codePage936(), &codePage1252()}) {
        compileFilterSettings(settings, *codePage);
        FUZZ_CHECK(decideRequest(settings, fields[0], fields[1], *codePage) ==
                   referenceDecision(referers, suffixes, fields[2], fields[0], fields[1], *codePage));
    }
    return 0;
}
