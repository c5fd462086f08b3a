// tests/windows/filter_host.cpp -- plays the web server for the real Quorvane.dll: copies it
// into a temporary directory with a code page 936 Quorvane.ini beside it, loads it with
// LoadLibraryA and drives its three exports with the fake server's callbacks.
//
//   filter_host QUORVANE.DLL ANSI-CODE-PAGE
//
// Fails at once when GetACP() is not the code page named, so a machine without the
// locale for it can never pass.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "filter/isapi.h"
#include "support/fake_server.h"
#include "support/request_cases.h"
#include "support/temp_dir.h"
#include "tests/windows/checks.h"

namespace quorvane::test {
namespace {

using isapi::DWORD;

using GetFilterVersionFn = isapi::BOOL(QUORVANE_WINAPI*)(isapi::HTTP_FILTER_VERSION*);
using HttpFilterProcFn = DWORD(QUORVANE_WINAPI*)(isapi::HTTP_FILTER_CONTEXT*, DWORD, void*);
using TerminateFilterFn = isapi::BOOL(QUORVANE_WINAPI*)(DWORD);

constexpr DWORD kServerVersion = 0x00080000;

std::string sourceDll;
unsigned codePage = 0;

// Quorvane.dll copied into `directory` under `fileName`, loaded, its exports found by name.
// Unloaded when it goes out of scope.
class LoadedFilter {
public:
    LoadedFilter(const std::string& directory, const char* fileName = "Quorvane.dll") {
        path = directory + "\\" + fileName;
        if (CopyFileA(sourceDll.c_str(), path.c_str(), FALSE) == FALSE) return;
        module = LoadLibraryA(path.c_str());
        if (module == nullptr) return;
        getFilterVersion = reinterpret_cast<GetFilterVersionFn>(exportAddress("GetFilterVersion"));
        httpFilterProc = reinterpret_cast<HttpFilterProcFn>(exportAddress("HttpFilterProc"));
        terminateFilter = reinterpret_cast<TerminateFilterFn>(exportAddress("TerminateFilter"));
    }
    ~LoadedFilter() { unload(); }
    LoadedFilter(const LoadedFilter&) = delete;
    LoadedFilter& operator=(const LoadedFilter&) = delete;

    bool ready() const {
        return getFilterVersion != nullptr && httpFilterProc != nullptr && terminateFilter != nullptr;
    }

    isapi::BOOL registerFilter(DWORD serverVersion = kServerVersion) {
        isapi::HTTP_FILTER_VERSION version{};
        version.dwServerFilterVersion = serverVersion;
        return getFilterVersion(&version);
    }

    // Runs one request through HttpFilterProc.
    DWORD request(FakeServer& server, DWORD notification = isapi::SF_NOTIFY_PREPROC_HEADERS) {
        return httpFilterProc(&server.context, notification, &server.record);
    }

    // An export by name, or by ordinal given as MAKEINTRESOURCEA(n); null when there is none.
    void* exportAddress(const char* nameOrOrdinal) const {
        return reinterpret_cast<void*>(GetProcAddress(module, nameOrOrdinal));
    }

    void unload() {
        if (module != nullptr) FreeLibrary(module);
        module = nullptr;
    }

    std::string path;
    HMODULE module = nullptr;
    GetFilterVersionFn getFilterVersion = nullptr;
    HttpFilterProcFn httpFilterProc = nullptr;
    TerminateFilterFn terminateFilter = nullptr;
};

void writeSettings(const TempDir& dir, const char* referers, const char* suffixes, const char* redirect) {
    dir.write("Quorvane.ini", settingsFileBytes(referers, suffixes, redirect));
}

// A foreign request for a protected file, as the settings below protect it.
void loadForeignRequest(FakeServer& server, const char* address = "192.0.2.7") {
    server.headers["Referer:"] = "http://evil.example/";
    server.headers["Url"] = "/a.jpg";
    server.variables["REMOTE_ADDR"] = address;
}
constexpr const char* kReferers = "http://ours.example/";
constexpr const char* kSuffixes = ".jpg|.zip";

int threadCount() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more != FALSE; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    }
    CloseHandle(snapshot);
    return count;
}

// Bytes held in busy blocks of the process heap, where the filter takes all its blocks.
long long processHeapBusyBytes() {
    const HANDLE heap = GetProcessHeap();
    if (HeapLock(heap) == FALSE) return -1;
    long long busy = 0;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry) != FALSE) {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) busy += entry.cbData;
    }
    HeapUnlock(heap);
    return busy;
}

void checkExports(Checks& checks) {
    TempDir dir;
    const int threadsBefore = threadCount();
    LoadedFilter filter(dir.path());
    if (!checks.expect(filter.ready(), "exports: GetFilterVersion, HttpFilterProc, TerminateFilter by name"))
        return;
    const char* const inOrder[] = {"GetFilterVersion", "HttpFilterProc", "TerminateFilter"};
    for (int ordinal = 1; ordinal <= 3; ++ordinal) {
        checks.expect(
            filter.exportAddress(MAKEINTRESOURCEA(ordinal)) == filter.exportAddress(inOrder[ordinal - 1]),
            std::string("exports: ordinal ") + std::to_string(ordinal) + " is " + inOrder[ordinal - 1]);
    }
    checks.expect(filter.exportAddress(MAKEINTRESOURCEA(4)) == nullptr, "exports: no ordinal 4");
    checks.expect(GetModuleHandleA("QUORVANE.DLL") == filter.module, "exports: the module is Quorvane.dll");

    writeSettings(dir, kReferers, kSuffixes, "");
    filter.registerFilter();
    FakeServer server;
    loadForeignRequest(server);
    filter.request(server);
    checks.expectNumber(static_cast<unsigned long>(threadCount()), static_cast<unsigned long>(threadsBefore),
                        "exports: load, registration and a request start no thread");
}

void checkRegistration(Checks& checks) {
    TempDir dir;
    LoadedFilter filter(dir.path());
    if (!filter.ready()) return;
    writeSettings(dir, kReferers, kSuffixes, "");
    const struct {
        const char* name;
        DWORD serverVersion;
        isapi::BOOL result;
    } cases[] = {
        {"server version 0 is refused", 0, isapi::kFalse},
        {"server version 1", 1, isapi::kTrue},
        {"server version 6.0", 0x00060000, isapi::kTrue},
        {"largest server version", 0xFFFFFFFF, isapi::kTrue},
    };
    for (const auto& c : cases) {
        const std::string name = std::string("registration: ") + c.name;
        isapi::HTTP_FILTER_VERSION version;
        std::memset(&version, 'x', sizeof version);
        version.dwServerFilterVersion = c.serverVersion;
        const isapi::HTTP_FILTER_VERSION before = version;
        checks.expectNumber(static_cast<unsigned long>(filter.getFilterVersion(&version)),
                            static_cast<unsigned long>(c.result), name + ": result");
        if (c.result == isapi::kFalse) {
            checks.expect(std::memcmp(&version, &before, sizeof version) == 0, name + ": record untouched");
        } else {
            checks.expectNumber(version.dwFilterVersion, 0x00070005, name + ": filter version");
            checks.expectNumber(version.dwFlags, 0x00084000, name + ": flags");
            checks.expect(std::memcmp(version.lpszFilterDesc, "Quorvane", 9) == 0 &&
                              std::memcmp(version.lpszFilterDesc + 9, before.lpszFilterDesc + 9,
                                          sizeof version.lpszFilterDesc - 9) == 0,
                          name + ": description, the rest of the field untouched");
        }
        // Refused or not, the settings were loaded: a foreign request is refused.
        FakeServer server;
        loadForeignRequest(server);
        checks.expectNumber(filter.request(server), isapi::SF_STATUS_REQ_FINISHED,
                            name + ": settings loaded");
    }
}

void checkRequestCases(Checks& checks) {
    TempDir dir;
    LoadedFilter filter(dir.path());
    if (!filter.ready()) return;
    for (const RequestCase& c : kRequestCases) {
        if (c.needsCodePage936 && codePage != 936) continue;  // the code page table covers these
        const std::string name = std::string("request: ") + c.name;
        writeSettings(dir, c.referers, c.suffixes, c.redirect);
        if (!checks.expect(filter.registerFilter() == isapi::kTrue, name + ": registration")) continue;
        FakeServer server;
        loadRequest(server, c);
        checks.expectNumber(filter.request(server, c.notification), c.status, name + ": status");
        checks.expectBytes(server.callSummary(), c.calls, name + ": callbacks");
        checks.expectBytes(server.setUrl, c.setUrl == nullptr ? "" : c.setUrl, name + ": SetHeader value");
        const std::string page = c.pageAddress == nullptr ? "" : kPageHead + c.pageAddress + kPageTail;
        checks.expectBytes(server.written, page, name + ": bytes written");
        if (c.pageAddress != nullptr && !server.calls.empty()) {
            checks.expectNumber(server.calls.back().size, 79 + std::strlen(c.pageAddress),
                                name + ": byte count");
        }
    }
}

// Where the ANSI code page decides: the DLL's own code page record, built from the platform
// at attach, against the single-byte rule.
void checkCodePageCases(Checks& checks) {
    const DWORD refuse = isapi::SF_STATUS_REQ_FINISHED;
    const DWORD pass = isapi::SF_STATUS_REQ_NEXT_NOTIFICATION;
    const struct {
        const char* name;
        const char* referers;
        const char* suffix;
        const char* referer;
        const char* url;
        DWORD under936, underSingleByte;
    } cases[] = {
        {"fullwidth a matches fullwidth A", kReferers, "\xA3\xE1", "http://evil/", "/\xA3\xC1", refuse, pass},
        {"Greek alpha matches ALPHA", kReferers, "\xA6\xC1", "http://evil/", "/\xA6\xA1", refuse, pass},
        {"Cyrillic a matches A", kReferers, "\xA7\xD1", "http://evil/", "/\xA7\xA1", refuse, pass},
        {"small roman one matches ONE", kReferers, "\xA2\xA1", "http://evil/", "/\xA2\xF1", refuse, pass},
        {"a trail byte a is not folded alone", kReferers, "\x81\x61", "http://evil/", "/\x81\x41", pass,
         refuse},
        {"A8BB and A8BD stay different", kReferers, "\xA8\xBB", "http://evil/", "/\xA8\xBD", pass, pass},
        {"A8BE and A8C0 stay different", kReferers, "\xA8\xBE", "http://evil/", "/\xA8\xC0", pass, pass},
        {"A8BB matches itself", kReferers, "\xA8\xBB", "http://evil/", "/\xA8\xBB", refuse, refuse},
    };
    TempDir dir;
    LoadedFilter filter(dir.path());
    if (!filter.ready()) return;
    for (const auto& c : cases) {
        const std::string name = "code page " + std::to_string(codePage) + ": " + c.name;
        writeSettings(dir, c.referers, c.suffix, "");
        filter.registerFilter();
        FakeServer server;
        server.headers["Referer:"] = c.referer;
        server.headers["Url"] = c.url;
        server.variables["REMOTE_ADDR"] = "192.0.2.7";
        checks.expectNumber(filter.request(server), codePage == 936 ? c.under936 : c.underSingleByte, name);
    }
}

// The platform's reader leaves the buffer's old byte where a two-byte character does not fit
// at the cut; the heap hands out blocks with old bytes in them.
void checkValueCutInsidePair(Checks& checks) {
    TempDir dir;
    LoadedFilter filter(dir.path());
    if (!filter.ready()) return;
    const std::string cutPrefix = "/" + std::string(10237, 'd');
    writeSettings(dir, kReferers, kSuffixes, (cutPrefix + "\xB0\xA1").c_str());
    // Under a single-byte code page B0 is a character of its own and fits.
    const std::string target = codePage == 936 ? cutPrefix : cutPrefix + "\xB0";
    for (int attempt = 0; attempt < 3; ++attempt) {
        void* used = HeapAlloc(GetProcessHeap(), 0, 10240);
        if (used != nullptr) std::memset(used, '#', 10240);
        HeapFree(GetProcessHeap(), 0, used);
        filter.registerFilter();
        FakeServer server;
        loadForeignRequest(server);
        filter.request(server);
        checks.expectBytes(server.setUrl, target,
                           "value cut inside a pair: no stray byte, load " + std::to_string(attempt + 1));
    }
}

void checkTerminateFilter(Checks& checks) {
    TempDir dir;
    LoadedFilter filter(dir.path());
    if (!filter.ready()) return;
    writeSettings(dir, kReferers, kSuffixes, "");
    filter.registerFilter();
    for (const DWORD flags : {0x0u, 0x1u, 0xFFFFFFFFu}) {
        const std::string name = "TerminateFilter(" + hex(flags) + ")";
        checks.expectNumber(static_cast<unsigned long>(filter.terminateFilter(flags)), 1, name + ": TRUE");
        FakeServer server;
        loadForeignRequest(server);
        checks.expectNumber(filter.request(server), isapi::SF_STATUS_REQ_FINISHED, name + ": settings stay");
        checks.expectBytes(server.written, kPageHead + "192.0.2.7" + kPageTail, name + ": same page");
    }
}

// Many server threads at once, each checking its own requests' outcomes and bytes.
struct ThreadWork {
    HttpFilterProcFn httpFilterProc = nullptr;
    int index = 0;
    int failures = 0;
};

::DWORD WINAPI runRequests(void* argument) {
    auto& work = *static_cast<ThreadWork*>(argument);
    const std::string address = "198.51.100." + std::to_string(work.index);
    for (int i = 0; i < 400; ++i) {
        FakeServer server;
        const bool foreign = i % 2 == 0;
        server.headers["Referer:"] = foreign ? "http://evil.example/" : "HTTP://OURS.EXAMPLE/page";
        server.headers["Url"] = i % 3 == 0 ? "/file.ZIP" : "/image.jpg";
        server.variables["REMOTE_ADDR"] = address;
        const DWORD status =
            work.httpFilterProc(&server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record);
        const bool right =
            foreign
                ? status == isapi::SF_STATUS_REQ_FINISHED && server.written == kPageHead + address + kPageTail
                : status == isapi::SF_STATUS_REQ_NEXT_NOTIFICATION && server.written.empty();
        work.failures += !right;
    }
    return 0;
}

void checkThreads(Checks& checks) {
    TempDir dir;
    LoadedFilter filter(dir.path());
    if (!filter.ready()) return;
    writeSettings(dir, kReferers, kSuffixes, "");
    filter.registerFilter();
    constexpr int kThreads = 8;
    ThreadWork work[kThreads];
    HANDLE threads[kThreads];
    int started = 0;
    for (int t = 0; t < kThreads; ++t) {
        work[t].httpFilterProc = filter.httpFilterProc;
        work[t].index = t + 1;
        threads[t] = CreateThread(nullptr, 0, runRequests, &work[t], 0, nullptr);
        if (threads[t] == nullptr) break;
        ++started;
    }
    checks.expectNumber(static_cast<unsigned long>(started), kThreads, "threads: all started");
    if (started == 0) return;
    const ::DWORD waited = WaitForMultipleObjects(static_cast<::DWORD>(started), threads, TRUE, 120000);
    checks.expect(waited != WAIT_TIMEOUT && waited != WAIT_FAILED,
                  "threads: all finished within two minutes");
    for (int t = 0; t < started; ++t) {
        checks.expectNumber(static_cast<unsigned long>(work[t].failures), 0,
                            "threads: thread " + std::to_string(t + 1) + " wrong outcomes of 400");
        CloseHandle(threads[t]);
    }
}

// One life of the module: load, register, refuse a request, terminate, unload.
bool runOneLife(const TempDir& dir) {
    LoadedFilter filter(dir.path());
    if (!filter.ready() || filter.registerFilter() != isapi::kTrue) return false;
    FakeServer server;
    loadForeignRequest(server);
    const bool refused = filter.request(server) == isapi::SF_STATUS_REQ_FINISHED;
    const bool terminated = filter.terminateFilter(0) == isapi::kTrue;
    filter.unload();
    return refused && terminated && GetModuleHandleA("Quorvane.dll") == nullptr;
}

void checkLoadCycles(Checks& checks) {
    TempDir dir;
    writeSettings(dir, kReferers, kSuffixes, "");
    for (int warmUp = 0; warmUp < 3; ++warmUp) runOneLife(dir);  // the platform's caches fill up
    const long long busyBefore = processHeapBusyBytes();
    int good = 0;
    constexpr int kLives = 25;
    for (int life = 0; life < kLives; ++life) good += runOneLife(dir);
    const long long busyAfter = processHeapBusyBytes();
    checks.expectNumber(static_cast<unsigned long>(good), kLives,
                        "load cycles: each loads, refuses, terminates and really unloads");
    checks.expect(busyAfter == busyBefore, "load cycles: unload gives every block back to the process heap",
                  "busy bytes before " + std::to_string(busyBefore) + ", after " + std::to_string(busyAfter));
}

// Under another file name the module finds no "Quorvane.dll", looks for its settings beside
// the host's program instead, finds none and passes everything.
void checkRenamedModule(Checks& checks) {
    TempDir dir;
    writeSettings(dir, kReferers, kSuffixes, "");
    LoadedFilter filter(dir.path(), "Other.dll");
    if (!checks.expect(filter.ready(), "renamed module: loads")) return;
    checks.expectNumber(static_cast<unsigned long>(filter.registerFilter()), 1, "renamed module: registers");
    FakeServer server;
    loadForeignRequest(server);
    checks.expectNumber(filter.request(server), isapi::SF_STATUS_REQ_NEXT_NOTIFICATION,
                        "renamed module: inactive, the request passes");
    checks.expectBytes(server.callSummary(), "", "renamed module: no callback");
}

// Code page 936 directory names on the module's path, found through the platform's path.
void checkUnusualDirectories(Checks& checks) {
    const struct {
        const char* name;
        const char* directory;
    } cases[] = {
        {"a Chinese directory name", "\xC9\xE8\xD6\xC3"},
        // 81 51 is one character whose second byte is 'Q': no "Quorvane.dll" starts there.
        {"a name ending in a pair whose second byte starts the module name", "\x81\x51uorvane.dll"},
    };
    TempDir base;
    for (const auto& c : cases) {
        const std::string name = std::string("directory: ") + c.name;
        const std::string directory = base.path() + "\\" + c.directory;
        if (!checks.expect(CreateDirectoryA(directory.c_str(), nullptr) != FALSE, name + ": created"))
            continue;
        const std::string settings = settingsFileBytes(kReferers, kSuffixes, "");
        const std::string iniPath = directory + "\\Quorvane.ini";
        const HANDLE file =
            CreateFileA(iniPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ::DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) {
            WriteFile(file, settings.data(), static_cast<::DWORD>(settings.size()), &written, nullptr);
            CloseHandle(file);
        }
        {
            LoadedFilter filter(directory);
            if (!checks.expect(filter.ready(), name + ": loads")) continue;
            filter.registerFilter();
            FakeServer server;
            loadForeignRequest(server);
            checks.expectNumber(filter.request(server), isapi::SF_STATUS_REQ_FINISHED,
                                name + ": settings found, request refused");
        }
        DeleteFileA(iniPath.c_str());
        DeleteFileA((directory + "\\Quorvane.dll").c_str());
        RemoveDirectoryA(directory.c_str());
    }
}

}  // namespace
}  // namespace quorvane::test

int main(int argc, char** argv) {
    using namespace quorvane::test;
    if (argc != 3) {
        std::fprintf(stderr, "usage: filter_host QUORVANE.DLL ANSI-CODE-PAGE\n");
        return 2;
    }
    sourceDll = windowsPath(argv[1]);
    codePage = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
    std::printf("GetACP() = %u, expected %u\n", GetACP(), codePage);
    if (GetACP() != codePage) {
        std::printf("FAIL the ANSI code page is not the one this run is for (is the locale installed?)\n");
        return 1;
    }

    Checks checks;
    checkExports(checks);
    checkRegistration(checks);
    checkRequestCases(checks);
    checkCodePageCases(checks);
    checkValueCutInsidePair(checks);
    checkTerminateFilter(checks);
    checkThreads(checks);
    checkLoadCycles(checks);
    checkRenamedModule(checks);
    if (codePage == 936) checkUnusualDirectories(checks);
    return checks.finish();
}
