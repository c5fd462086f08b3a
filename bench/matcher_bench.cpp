// bench/matcher_bench.cpp -- decision cost against list length, compiled lists beside the
// entry-by-entry scan, and what compiling costs at load.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "policy/policy.h"
#include "support/settings_builder.h"

namespace {

using quorvane::codePage936;
using quorvane::FilterSettings;

const char kForeignReferer[] = "https://elsewhere.example/forum/thread/12345?page=2";
const char kAuthorizedReferer[] = "https://www.ours.example/gallery/2026/index.html";
const char kUrl[] = "/gallery/2026/photos/holiday-beach-0042.jpg";

// n authorized origins and n protected suffixes, the ones that match listed last.
FilterSettings settingsOf(std::size_t n, bool compiled) {
    std::vector<std::string> referers;
    std::vector<std::string> suffixes;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        referers.push_back("https://partner" + std::to_string(i) + ".example/");
        suffixes.push_back(".t" + std::to_string(i));
    }
    referers.emplace_back("https://www.ours.example/");
    suffixes.emplace_back(".jpg");
    return quorvane::test::makeSettings(referers, suffixes, "", compiled ? &codePage936() : nullptr);
}

void decide(benchmark::State& state, bool compiled, const char* referer) {
    const FilterSettings settings = settingsOf(static_cast<std::size_t>(state.range(0)), compiled);
    for (auto _ : state) {
        benchmark::DoNotOptimize(quorvane::decideRequest(settings, referer, kUrl, codePage936()));
    }
}

void BM_Compiled_Pass(benchmark::State& state) { decide(state, true, kAuthorizedReferer); }
void BM_Compiled_Refuse(benchmark::State& state) { decide(state, true, kForeignReferer); }
void BM_Scan_Pass(benchmark::State& state) { decide(state, false, kAuthorizedReferer); }
void BM_Scan_Refuse(benchmark::State& state) { decide(state, false, kForeignReferer); }

void BM_Compile(benchmark::State& state) {
    FilterSettings settings = settingsOf(static_cast<std::size_t>(state.range(0)), false);
    for (auto _ : state) quorvane::compileFilterSettings(settings, codePage936());
    const auto& compiled = settings.compiled;
    const double entries = 2.0 * static_cast<double>(state.range(0));
    state.counters["bytes/entry"] =
        static_cast<double>(compiled.referers.memoryBytes() + compiled.suffixes.memoryBytes()) / entries;
}

#define SIZES Arg(5)->Arg(50)->Arg(500)->Arg(5000)
BENCHMARK(BM_Compiled_Pass)->SIZES;
BENCHMARK(BM_Compiled_Refuse)->SIZES;
BENCHMARK(BM_Scan_Pass)->SIZES;
BENCHMARK(BM_Scan_Refuse)->SIZES;
BENCHMARK(BM_Compile)->SIZES->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
