// tests/allocation_test.cpp -- the decision path allocates nothing. This binary replaces the
// global allocation functions, through which every block of the Linux build passes.
#include <gtest/gtest.h>

#include <string>

#include "policy/policy.h"
#include "support/allocation_counter.h"
#include "support/settings_builder.h"

namespace quorvane {
namespace {

TEST(DecisionAllocations, NoneOnAnyOutcome) {
    const FilterSettings refuse =
        test::makeSettings({"http://ours/", "\xB0\xA1", ""}, {".jpg", "\xA3\xE1"}, "");
    const FilterSettings foreign =
        test::makeSettings({"http://ours/", "http://partner/"}, {".jpg", ".zip"}, "");
    const FilterSettings redirect = test::makeSettings({"http://ours/"}, {".jpg"}, "/nolink.htm");
    const std::string longReferer(100000, 'x');
    struct Case {
        const FilterSettings* settings;
        std::string_view referer, url;
    };
    const Case cases[] = {
        {&refuse, "http://evil/", "/a.jpg"},
        {&foreign, "http://evil/", "/a.JPG"},
        {&foreign, "http://ours/p", "/a.jpg"},
        {&foreign, longReferer, "/a.zip"},
        {&redirect, "", "/a.jpg"},
        {&foreign, "http://\xA6\xC1", "/\x81"},
    };
    for (const Case& c : cases) {
        for (const CodePage* page : {&codePage936(), &codePage1252()}) {
            const long before = test::allocationCount();
            (void)decideRequest(*c.settings, c.referer, c.url, *page);
            (void)equalsIgnoreCase(c.referer, c.url, *page);
            EXPECT_EQ(test::allocationCount() - before, 0) << c.referer.substr(0, 20) << " " << c.url;
        }
    }
}

TEST(DecisionAllocations, CountingWorks) {
    const long before = test::allocationCount();
    const Text page = buildRefusalPage("192.0.2.7");
    EXPECT_EQ(test::allocationCount() - before, 1);
}

}  // namespace
}  // namespace quorvane
