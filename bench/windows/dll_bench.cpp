// bench/windows/dll_bench.cpp -- what Quorvane.dll costs its host: building the ANSI code
// page record at attach, a whole load and unload, and one request through HttpFilterProc.
// Google Benchmark is not built for MinGW here, so it times with QueryPerformanceCounter
// and prints the median of repeated runs.
//
//   dll_bench QUORVANE.DLL          (under Wine: script/wine-run win64 ...)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "filter/isapi.h"
#include "platform/platform.h"
#include "support/fake_server.h"
#include "support/temp_dir.h"

namespace {

double secondsNow() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median seconds of `runs` runs of `work`.
template <class Work>
double median(int runs, Work work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = secondsNow();
        work();
        times.push_back(secondsNow() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

using GetFilterVersionFn = quorvane::isapi::BOOL(QUORVANE_WINAPI*)(quorvane::isapi::HTTP_FILTER_VERSION*);
using HttpFilterProcFn = quorvane::isapi::DWORD(QUORVANE_WINAPI*)(quorvane::isapi::HTTP_FILTER_CONTEXT*,
                                                                  quorvane::isapi::DWORD, void*);

}  // namespace

int main(int argc, char** argv) {
    using namespace quorvane;
    if (argc != 2) {
        std::fprintf(stderr, "usage: dll_bench QUORVANE.DLL\n");
        return 2;
    }
    // A copy beside a settings file that protects .jpg against foreign pages.
    const test::TempDir dir;
    const std::string dll = dir.file("Quorvane.dll");
    const std::string source = argv[1][0] == '/' ? std::string("Z:") + argv[1] : std::string(argv[1]);
    if (CopyFileA(source.c_str(), dll.c_str(), FALSE) == FALSE) return 1;
    dir.write("Quorvane.ini", test::settingsFileBytes("http://ours.example/|https://ours.example/",
                                                      ".jpg|.gif|.zip|.rar", ""));
    std::printf("ANSI code page %u\n", GetACP());

    const double first = median(1, [] { platform::prepareAnsiCodePage(); });
    const double build = median(21, [] { platform::prepareAnsiCodePage(); });
    std::printf("code page record built from the platform: first %.2f ms, then %.2f ms (median of 21)\n",
                first * 1e3, build * 1e3);

    const double life = median(21, [&dll] {
        const HMODULE module = LoadLibraryA(dll.c_str());
        if (module != nullptr) FreeLibrary(module);
    });
    std::printf("LoadLibraryA + FreeLibrary of Quorvane.dll: %.2f ms (median of 21)\n", life * 1e3);

    const HMODULE module = LoadLibraryA(dll.c_str());
    if (module == nullptr) return 1;
    auto getFilterVersion = reinterpret_cast<GetFilterVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "GetFilterVersion")));
    auto httpFilterProc =
        reinterpret_cast<HttpFilterProcFn>(reinterpret_cast<void*>(GetProcAddress(module, "HttpFilterProc")));
    isapi::HTTP_FILTER_VERSION version{};
    version.dwServerFilterVersion = 0x00080000;
    getFilterVersion(&version);

    const struct {
        const char* name;
        const char* referer;
        const char* url;
    } requests[] = {
        {"unprotected url", "http://evil.example/", "/index.html"},
        {"protected url, foreign referer", "http://evil.example/page", "/images/photo.jpg"},
    };
    constexpr int kCalls = 20000;
    for (const auto& r : requests) {
        test::FakeServer server;
        server.headers["Referer:"] = r.referer;
        server.headers["Url"] = r.url;
        server.variables["REMOTE_ADDR"] = "192.0.2.7";
        const double batch = median(5, [&] {
            for (int i = 0; i < kCalls; ++i) {
                server.calls.clear();
                server.written.clear();
                httpFilterProc(&server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record);
            }
        });
        std::printf("HttpFilterProc, %s: %.2f us a call (median of 5 x %d)\n", r.name, batch / kCalls * 1e6,
                    kCalls);
    }
    FreeLibrary(module);
    DeleteFileA(dll.c_str());
    return 0;
}
