// tests/concurrency_test.cpp -- many threads in HttpFilterProc at once, each result checked.
// Its worth is under ThreadSanitizer (the linux-tsan preset): no data race, no lock.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "filter/host_api.h"
#include "filter/isapi.h"
#include "support/fake_server.h"
#include "support/request_cases.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

TEST(Concurrency, ManyThreadsMixedRequests) {
    test::TempDir dir;
    dir.write("Quorvane.ini", test::settingsFileBytes("http://ours/|https://ours/", ".jpg|.zip", ""));
    ASSERT_EQ(QuorvaneSetSettingsDirectory(dir.path().c_str()), 1);
    isapi::HTTP_FILTER_VERSION version{};
    version.dwServerFilterVersion = 0x80000;
    ASSERT_EQ(GetFilterVersion(&version), isapi::kTrue);
    QuorvaneSetSettingsDirectory(nullptr);

    struct Request {
        const char* referer;
        const char* url;
        isapi::DWORD status;
    };
    const Request requests[] = {
        {"http://ours/page", "/a.jpg", isapi::SF_STATUS_REQ_NEXT_NOTIFICATION},
        {"http://evil/page", "/a.JPG", isapi::SF_STATUS_REQ_FINISHED},
        {"https://OURS/x", "/b.zip", isapi::SF_STATUS_REQ_NEXT_NOTIFICATION},
        {"", "/c.zip", isapi::SF_STATUS_REQ_FINISHED},
        {"http://evil/", "/index.html", isapi::SF_STATUS_REQ_NEXT_NOTIFICATION},
    };
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                const Request& r = requests[(t + i) % std::size(requests)];
                test::FakeServer server;
                server.headers["Referer:"] = r.referer;
                server.headers["Url"] = r.url;
                server.variables["REMOTE_ADDR"] = "192.0.2." + std::to_string(t);
                const isapi::DWORD status =
                    HttpFilterProc(&server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record);
                const bool pageRight =
                    r.status != isapi::SF_STATUS_REQ_FINISHED ||
                    server.written == test::kPageHead + "192.0.2." + std::to_string(t) + test::kPageTail;
                if (status != r.status || !pageRight) wrong.fetch_add(1);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace quorvane
