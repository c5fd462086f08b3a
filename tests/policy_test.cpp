// tests/policy_test.cpp -- decideRequest and the refusal page.
#include "policy/policy.h"

#include <gtest/gtest.h>

#include "support/settings_builder.h"

namespace quorvane {
namespace {

using test::makeSettings;
using Outcome = RequestOutcome;

struct DecideCase {
    const char* name;
    std::string_view referer, url;
    Outcome want;
};

TEST(DecideRequest, RefusesOnlyForeignProtectedFiles) {
    const FilterSettings settings = makeSettings({"http://ours.example/", "abc"}, {".jpg", ".zip"}, "");
    const DecideCase cases[] = {
        {"foreign page, protected type", "http://evil.example/p", "/i/a.jpg", Outcome::Refuse},
        {"authorized page", "http://ours.example/page", "/i/a.jpg", Outcome::Pass},
        {"authorized prefix, any case", "HTTP://OURS.EXAMPLE/p", "/i/a.jpg", Outcome::Pass},
        {"suffix differs only in case", "http://evil.example/p", "/i/A.JPG", Outcome::Refuse},
        {"no referer", "", "/i/a.jpg", Outcome::Refuse},
        {"empty url passes", "http://evil.example/p", "", Outcome::Pass},
        {"empty url and no referer", "", "", Outcome::Pass},
        {"unprotected type", "http://evil.example/p", "/i/a.png", Outcome::Pass},
        {"query string after the suffix", "http://evil.example/p", "/i/a.jpg?x=1", Outcome::Pass},
        {"url is the suffix itself", "", ".jpg", Outcome::Refuse},
        {"url one byte short of the suffix", "", "jpg", Outcome::Pass},
        {"plain byte prefix, whatever follows", "abcdef", "/a.zip", Outcome::Pass},
        {"referer shorter than every prefix", "ab", "/a.zip", Outcome::Refuse},
        {"percent-encoded suffix is not decoded", "", "/a%2Ejpg", Outcome::Pass},
    };
    for (const DecideCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decideRequest(settings, c.referer, c.url, codePage936()), c.want);
    }
}

TEST(DecideRequest, InactiveWhenEitherListIsEmpty) {
    const FilterSettings noReferers = makeSettings({}, {".jpg"}, "");
    const FilterSettings noSuffixes = makeSettings({"http://ours/"}, {}, "/x.htm");
    EXPECT_FALSE(isPolicyActive(noReferers));
    EXPECT_FALSE(isPolicyActive(noSuffixes));
    EXPECT_EQ(decideRequest(noReferers, "", "/a.jpg", codePage936()), Outcome::Pass);
    EXPECT_EQ(decideRequest(noSuffixes, "http://evil/", "/a.jpg", codePage936()), Outcome::Pass);
}

TEST(DecideRequest, EmptyEntries) {
    const FilterSettings emptyReferer = makeSettings({"http://ours/", ""}, {".jpg"}, "");
    const FilterSettings emptySuffix = makeSettings({"http://ours/"}, {""}, "");
    EXPECT_EQ(decideRequest(emptyReferer, "http://evil/", "/a.jpg", codePage936()), Outcome::Pass)
        << "an empty authorized entry matches every referer";
    EXPECT_EQ(decideRequest(emptySuffix, "http://evil/", "/index.html", codePage936()), Outcome::Refuse)
        << "an empty protected entry matches every url";
    EXPECT_EQ(decideRequest(emptySuffix, "http://evil/", "", codePage936()), Outcome::Pass);
}

TEST(DecideRequest, RedirectTargetReplacesRefusal) {
    const FilterSettings settings = makeSettings({"http://ours/"}, {".jpg"}, "/nolink.htm");
    EXPECT_EQ(decideRequest(settings, "http://evil/", "/a.jpg", codePage936()), Outcome::Redirect);
    EXPECT_EQ(decideRequest(settings, "http://ours/x", "/a.jpg", codePage936()), Outcome::Pass);
}

TEST(DecideRequest, EntryLongerThanTheText) {
    const FilterSettings settings = makeSettings({"http://ours.example/"}, {"/gallery/photo.jpg"}, "");
    EXPECT_EQ(decideRequest(settings, "http://ours", "/gallery/photo.jpg", codePage936()), Outcome::Refuse);
    EXPECT_EQ(decideRequest(settings, "", "photo.jpg", codePage936()), Outcome::Pass);
    EXPECT_EQ(decideRequest(settings, "", "/GALLERY/photo.JPG", codePage936()), Outcome::Refuse);
}

struct CodePageCase {
    const char* name;
    std::string referer;
    std::string url;
    std::string prefix, suffix;
    Outcome under936, under1252;
};

TEST(DecideRequest, TwoByteCharactersFollowTheCodePage) {
    const CodePageCase cases[] = {
        {"lone lead byte cut from the referer", "ab\xB0\xA1xyz", "/a.jpg", "ab\xB0", ".jpg", Outcome::Pass,
         Outcome::Pass},
        {"entry 61 62 B0 against referer 61 62", "ab", "/a.jpg", "ab\xB0", ".jpg", Outcome::Pass,
         Outcome::Refuse},
        {"fullwidth letters in the suffix", "", "/\xA3\xC1.jpg", "http://ours/", "\xA3\xE1.jpg",
         Outcome::Refuse, Outcome::Pass},
        {"Greek letters in the referer", "http://\xA6\xA1/", "/a.jpg", "http://\xA6\xC1/", ".jpg",
         Outcome::Pass, Outcome::Refuse},
        {"Cyrillic letters in the referer", "http://\xA7\xA1/", "/a.jpg", "http://\xA7\xD1/", ".jpg",
         Outcome::Pass, Outcome::Refuse},
        {"invalid pair never matches", "\x81\x20x", "/a.jpg", "\x81\x20", ".jpg", Outcome::Refuse,
         Outcome::Pass},
        {"suffix starting on a trail byte", "", "/\xB0\xA1", "http://ours/", "\xA1", Outcome::Refuse,
         Outcome::Refuse},
    };
    for (const CodePageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const FilterSettings settings = makeSettings({c.prefix}, {c.suffix}, "");
        EXPECT_EQ(decideRequest(settings, c.referer, c.url, codePage936()), c.under936);
        EXPECT_EQ(decideRequest(settings, c.referer, c.url, codePage1252()), c.under1252);
    }
}

TEST(BuildRefusalPage, ExactBytes) {
    const std::string head = "\xB6\xD4\xB2\xBB\xC6\xF0\x20\x3A\x3C\x62\x3E";
    const std::string tail =
        "\x3C\x2F\x62\x3E\x20\x2C\x20\xD3\xC9\xD3\xDA\xC4\xFA\xB5\xC4\xC0\xB4\xC2\xB7\xB2\xBB\xBA\xCF\xB7\xA8"
        "\x20\xB7\xFE\xCE\xF1\xC6\xF7\xBE\xDC\xBE\xF8\xCF\xEC\xD3\xA6\xB1\xBE\xB4\xCE\xC7\xEB\xC7\xF3\x20\x2E"
        "\x20\x3C\x62\x72\x3E"
        "Quorvane v1.0";
    ASSERT_EQ(head.size(), 11U);
    ASSERT_EQ(tail.size(), 68U);

    const Text empty = buildRefusalPage("");
    EXPECT_EQ(empty.size(), 79U);
    EXPECT_EQ(empty.view(), head + tail);

    const Text withAddress = buildRefusalPage("192.0.2.7");
    EXPECT_EQ(withAddress.size(), 88U);
    EXPECT_EQ(withAddress.view(), head + "192.0.2.7" + tail);

    // The address goes in as it stands: no escaping, no trimming.
    EXPECT_EQ(buildRefusalPage(" <i>&").view(), head + " <i>&" + tail);
}

}  // namespace
}  // namespace quorvane
