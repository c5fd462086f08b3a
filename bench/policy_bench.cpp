// bench/policy_bench.cpp -- cost of one decision, typical and longest lists, against memcmp.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "policy/policy.h"
#include "support/settings_builder.h"

namespace {

using quorvane::codePage936;
using quorvane::decideRequest;
using quorvane::FilterSettings;

const char kForeignReferer[] = "https://elsewhere.example/forum/thread/12345?page=2";
const char kAuthorizedReferer[] = "https://www.ours.example/gallery/2026/index.html";
const char kUrl[] = "/gallery/2026/photos/holiday-beach-0042.jpg";

FilterSettings typicalSettings() {
    return quorvane::test::makeSettings(
        {"http://www.ours.example/", "https://www.ours.example/", "https://partner.example/"},
        {".gif", ".png", ".zip", ".rar", ".jpg"}, "");
}

// As many entries as one 10239-byte value holds: prefixes of about 26 bytes, suffixes of 5.
std::vector<std::string> longestList(const std::string& stem, std::size_t entryBytes) {
    std::vector<std::string> entries;
    std::size_t used = 0;
    for (int i = 0; used + entryBytes + 1 <= 10239; ++i) {
        std::string entry = stem + std::to_string(i);
        entry.resize(entryBytes, 'x');
        used += entry.size() + 1;
        entries.push_back(entry);
    }
    return entries;
}

FilterSettings longestSettings() {
    std::vector<std::string> referers = longestList("https://partner", 26);
    referers.back() = "https://www.ours.example/";
    std::vector<std::string> suffixes = longestList(".t", 5);
    suffixes.back() = ".jpg";
    return quorvane::test::makeSettings(referers, suffixes, "");
}

void decide(benchmark::State& state, const FilterSettings& settings, const char* referer) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(decideRequest(settings, referer, kUrl, codePage936()));
    }
}

void BM_Typical_Pass(benchmark::State& state) { decide(state, typicalSettings(), kAuthorizedReferer); }
void BM_Typical_Refuse(benchmark::State& state) { decide(state, typicalSettings(), kForeignReferer); }
void BM_Longest_Pass(benchmark::State& state) {
    const FilterSettings settings = longestSettings();
    state.counters["referers"] = settings.authorizedRefererCount;
    state.counters["suffixes"] = settings.protectedSuffixCount;
    decide(state, settings, kAuthorizedReferer);
}
void BM_Longest_Refuse(benchmark::State& state) { decide(state, longestSettings(), kForeignReferer); }

// The floor: the same bytes compared exactly, with no case folding and no code page.
void memcmpFloor(benchmark::State& state, const FilterSettings& settings, const char* referer) {
    const std::string_view ref(referer);
    const std::string_view url(kUrl);
    for (auto _ : state) {
        bool matched = false;
        for (const quorvane::Text& prefix : settings.authorizedReferers) {
            const std::size_t n = std::min(prefix.size(), ref.size());
            if (n == prefix.size() && std::memcmp(ref.data(), prefix.cString(), n) == 0) {
                matched = true;
                break;
            }
        }
        if (!matched) {
            for (const quorvane::Text& suffix : settings.protectedSuffixes) {
                const std::size_t n = std::min(suffix.size(), url.size());
                if (n == suffix.size() && std::memcmp(url.data() + url.size() - n, suffix.cString(), n) == 0)
                    break;
            }
        }
        benchmark::DoNotOptimize(matched);
        benchmark::ClobberMemory();
    }
}

void BM_Memcmp_Typical_Refuse(benchmark::State& state) {
    memcmpFloor(state, typicalSettings(), kForeignReferer);
}
void BM_Memcmp_Longest_Pass(benchmark::State& state) {
    memcmpFloor(state, longestSettings(), kAuthorizedReferer);
}
void BM_Memcmp_Longest_Refuse(benchmark::State& state) {
    memcmpFloor(state, longestSettings(), kForeignReferer);
}

BENCHMARK(BM_Typical_Pass);
BENCHMARK(BM_Typical_Refuse);
BENCHMARK(BM_Longest_Pass);
BENCHMARK(BM_Longest_Refuse);
BENCHMARK(BM_Memcmp_Typical_Refuse);
BENCHMARK(BM_Memcmp_Longest_Pass);
BENCHMARK(BM_Memcmp_Longest_Refuse);

}  // namespace

BENCHMARK_MAIN();
