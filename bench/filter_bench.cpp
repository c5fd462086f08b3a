// bench/filter_bench.cpp -- HttpFilterProc through a server that allocates nothing, with the
// blocks each path takes counted through the replaced global allocation functions.
#include <benchmark/benchmark.h>

#include "filter/request_handler.h"
#include "support/allocation_counter.h"
#include "support/settings_builder.h"
#include "support/static_server.h"

namespace {

using quorvane::FilterSettings;
namespace isapi = quorvane::isapi;

void handle(benchmark::State& state, const FilterSettings& settings, const char* referer) {
    quorvane::test::StaticServer server(referer, "/gallery/2026/photos/holiday-beach-0042.jpg", "192.0.2.7");
    const long before = quorvane::test::allocationCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(quorvane::handleNotification(
            settings, &server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record));
    }
    state.counters["blocks/call"] = static_cast<double>(quorvane::test::allocationCount() - before) /
                                    static_cast<double>(state.iterations());
}

FilterSettings settings(const char* redirect) {
    return quorvane::test::makeSettings(
        {"http://www.ours.example/", "https://www.ours.example/", "https://partner.example/"},
        {".gif", ".png", ".zip", ".rar", ".jpg"}, redirect);
}

void BM_HttpFilterProc_Pass(benchmark::State& state) {
    handle(state, settings(""), "https://www.ours.example/gallery/2026/index.html");
}
void BM_HttpFilterProc_Redirect(benchmark::State& state) {
    handle(state, settings("/nolink.htm"), "https://elsewhere.example/forum/thread/12345?page=2");
}
void BM_HttpFilterProc_Refuse(benchmark::State& state) {
    handle(state, settings(""), "https://elsewhere.example/forum/thread/12345?page=2");
}

BENCHMARK(BM_HttpFilterProc_Pass);
BENCHMARK(BM_HttpFilterProc_Redirect);
BENCHMARK(BM_HttpFilterProc_Refuse);

}  // namespace

BENCHMARK_MAIN();
