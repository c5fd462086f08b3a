// tests/shared_library_test.cpp -- a host that knows only the entry points: it loads the
// built shared library from a directory holding Quorvane.ini, registers, filters, unloads.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "filter/isapi.h"
#include "support/fake_server.h"
#include "support/request_cases.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

using GetFilterVersionFn = isapi::BOOL (*)(isapi::HTTP_FILTER_VERSION*);
using HttpFilterProcFn = isapi::DWORD (*)(isapi::HTTP_FILTER_CONTEXT*, isapi::DWORD, void*);
using TerminateFilterFn = isapi::BOOL (*)(isapi::DWORD);

struct Loaded {
    void* handle;
    GetFilterVersionFn getFilterVersion;
    HttpFilterProcFn httpFilterProc;
    TerminateFilterFn terminateFilter;
};

Loaded load(const std::string& path) {
    Loaded lib{dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr, nullptr, nullptr};
    if (lib.handle == nullptr) return lib;
    lib.getFilterVersion = reinterpret_cast<GetFilterVersionFn>(dlsym(lib.handle, "GetFilterVersion"));
    lib.httpFilterProc = reinterpret_cast<HttpFilterProcFn>(dlsym(lib.handle, "HttpFilterProc"));
    lib.terminateFilter = reinterpret_cast<TerminateFilterFn>(dlsym(lib.handle, "TerminateFilter"));
    return lib;
}

isapi::DWORD request(const Loaded& lib, const char* referer, const char* url, std::string& written) {
    test::FakeServer server;
    server.headers["Referer:"] = referer;
    server.headers["Url"] = url;
    server.variables["REMOTE_ADDR"] = "127.0.0.1";
    const isapi::DWORD status =
        lib.httpFilterProc(&server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record);
    written = server.written;
    return status;
}

TEST(SharedLibrary, LoadRegisterFilterUnloadCycles) {
    test::TempDir dir;
    const std::string library = dir.file("libquorvane.so");
    std::filesystem::copy_file(QUORVANE_SHARED_LIBRARY, library);

    for (int cycle = 0; cycle < 5; ++cycle) {
        SCOPED_TRACE(cycle);
        // Each cycle changes the settings: only a fresh load and registration can see them.
        const std::string suffix = cycle % 2 == 0 ? ".jpg" : ".png";
        dir.write("Quorvane.ini", test::settingsFileBytes("http://ours/", suffix, ""));

        const Loaded lib = load(library);
        ASSERT_NE(lib.handle, nullptr) << dlerror();
        ASSERT_NE(lib.getFilterVersion, nullptr);
        ASSERT_NE(lib.httpFilterProc, nullptr);
        ASSERT_NE(lib.terminateFilter, nullptr);
        EXPECT_EQ(dlsym(lib.handle, "_ZN8quorvane14moduleSettingsEv"), nullptr) << "internals are hidden";

        std::string written;
        EXPECT_EQ(request(lib, "http://evil/", ("/a" + suffix).c_str(), written),
                  isapi::SF_STATUS_REQ_NEXT_NOTIFICATION)
            << "before registration every request passes";

        isapi::HTTP_FILTER_VERSION version{};
        version.dwServerFilterVersion = 0x80000;
        ASSERT_EQ(lib.getFilterVersion(&version), isapi::kTrue);
        EXPECT_EQ(request(lib, "http://evil/", ("/a" + suffix).c_str(), written),
                  isapi::SF_STATUS_REQ_FINISHED);
        EXPECT_EQ(written, test::kPageHead + "127.0.0.1" + test::kPageTail);
        EXPECT_EQ(request(lib, "http://ours/p", ("/a" + suffix).c_str(), written),
                  isapi::SF_STATUS_REQ_NEXT_NOTIFICATION);
        EXPECT_EQ(lib.terminateFilter(0), isapi::kTrue);

        ASSERT_EQ(dlclose(lib.handle), 0);
        EXPECT_EQ(dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr)
            << "the library must really unload";
    }
}

}  // namespace
}  // namespace quorvane
