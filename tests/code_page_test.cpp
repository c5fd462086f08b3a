// tests/code_page_test.cpp -- equalsIgnoreCase under a double-byte and a single-byte code page.
#include "policy/code_page.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

struct EqualsCase {
    const char* name;
    std::string_view a, b;
    bool under936, under1252;
};

const EqualsCase kEqualsCases[] = {
    {"identical ASCII", "abc", "abc", true, true},
    {"ASCII letters differ in case", "HTTP://Ours/", "http://ours/", true, true},
    {"empty texts", "", "", true, true},
    {"one empty", "", "a", false, false},
    {"different lengths", "abc", "ab", false, false},
    {"non-letters do not fold", "[", "{", false, false},
    {"lone lead byte at the end takes no part", "ab\xB0", "ab", true, false},
    {"both end in a lone lead byte", "ab\xB0", "ab\xC1", true, false},
    {"same two-byte character", "\xB0\xA1", "\xB0\xA1", true, true},
    {"invalid pair never equals itself", "\x81\x30", "\x81\x30", false, true},
    {"invalid pair after a mismatch", "a\x81\x30", "b\x81\x30", false, false},
    {"trail byte is not upper-cased alone", "\x81\x61", "\x81\x41", false, true},
    {"fullwidth a equals fullwidth A", "\xA3\xE1", "\xA3\xC1", true, false},
    {"Greek alpha equals capital Alpha", "\xA6\xC1", "\xA6\xA1", true, false},
    {"Cyrillic a equals capital A", "\xA7\xD1", "\xA7\xA1", true, false},
    {"small roman numeral one equals capital", "\xA2\xA1", "\xA2\xF1", true, false},
    {"pinyin with tone keeps its own form", "\xA8\xA1", "\xA8\xA2", false, false},
    {"forms that cannot convert back stay apart", "\xA8\xBB", "\xA8\xBD", false, false},
    {"such a form never equals a question mark", "\xA8\xBB", "?", false, false},
    {"bytes above 7F never fold; alone, lead bytes vanish", "\xE0", "\xC0", true, false},
    {"trail byte folds only in a single-byte code page", "\xB0\x41", "\xB0\x61", false, true},
};

TEST(EqualsIgnoreCase, FollowsTheCodePage) {
    for (const EqualsCase& c : kEqualsCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(equalsIgnoreCase(c.a, c.b, codePage936()), c.under936);
        EXPECT_EQ(equalsIgnoreCase(c.b, c.a, codePage936()), c.under936) << "not symmetric";
        EXPECT_EQ(equalsIgnoreCase(c.a, c.b, codePage1252()), c.under1252);
    }
}

TEST(EqualsIgnoreCase, EverySingleByteAgainstItsAsciiFold) {
    // The whole single-byte space: only A..Z fold, under either kind of code page.
    for (int x = 1; x < 0x81; ++x) {
        for (int y = 1; y < 0x81; ++y) {
            const char a[] = {static_cast<char>(x), 0};
            const char b[] = {static_cast<char>(y), 0};
            const bool want =
                asciiLower(static_cast<unsigned char>(x)) == asciiLower(static_cast<unsigned char>(y));
            ASSERT_EQ(equalsIgnoreCase(a, b, codePage936()), want) << x << " " << y;
            ASSERT_EQ(equalsIgnoreCase(a, b, codePage1252()), want) << x << " " << y;
        }
    }
}

}  // namespace
}  // namespace quorvane
