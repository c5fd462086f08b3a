// tests/handler_allocation_test.cpp -- blocks per request on each path: one per two-call
// read and one for the page, nothing else. Replaces the global allocation functions.
#include <gtest/gtest.h>

#include "filter/request_handler.h"
#include "support/allocation_counter.h"
#include "support/settings_builder.h"
#include "support/static_server.h"

namespace quorvane {
namespace {

TEST(HandlerAllocations, OneBlockPerReadAndOneForThePage) {
    const FilterSettings refusing = test::makeSettings({"http://ours/"}, {".jpg"}, "");
    const FilterSettings redirecting = test::makeSettings({"http://ours/"}, {".jpg"}, "/nolink.htm");
    const struct {
        const char* name;
        const FilterSettings* settings;
        const char* referer;
        long blocks;
    } cases[] = {
        {"pass", &refusing, "http://ours/page", 2},
        {"redirect", &redirecting, "http://evil/", 2},
        {"refuse", &refusing, "http://evil/", 4},
        {"refuse without a referer", &refusing, nullptr, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::StaticServer server(c.referer, "/a.jpg", "192.0.2.7");
        const long before = test::allocationCount();
        handleNotification(*c.settings, &server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record);
        EXPECT_EQ(test::allocationCount() - before, c.blocks);
    }
}

}  // namespace
}  // namespace quorvane
