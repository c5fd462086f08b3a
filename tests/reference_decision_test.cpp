// tests/reference_decision_test.cpp -- the fuzz targets' oracles against the rules' own
// examples, and the code page 936 case table against the C library's case mapping.
#include "fuzz/reference_decision.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuzz/reference_settings.h"
#include "policy/code_page.h"
#include "support/request_cases.h"

namespace quorvane {
namespace {

TEST(CodePage936UpperForms, TableAgreesWithTheLocaleCaseMapping) {
    // Every pair that starts with a lead byte, characters or not.
    const CodePage& page = codePage936();
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0; trail <= 0xFF; ++trail) {
            const std::uint16_t upper = page.pairUpper[lead << 8 | trail];
            std::string table;
            if (upper > 0xFF) table = {static_cast<char>(upper >> 8), static_cast<char>(upper & 0xFF)};
            if (upper != 0 && upper <= 0xFF) table = {static_cast<char>(upper)};
            ASSERT_EQ(referenceUpperForm(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)),
                      table)
                << std::hex << lead << " " << trail;
        }
    }
}

struct EqualsCase {
    const char* name;
    std::string_view a, b;
    bool under936, under1252;
};

TEST(ReferenceEqualsIgnoreCase, FollowsTheRules) {
    const EqualsCase cases[] = {
        {"ASCII letters fold", "HTTP://Ours/", "http://ours/", true, true},
        {"lengths differ", "abc", "ab", false, false},
        {"lone lead byte at the end takes no part", "ab\xB0", "ab", true, false},
        {"invalid pair never equals itself", "\x81\x30", "\x81\x30", false, true},
        {"trail byte is not folded alone", "\x81\x61", "\x81\x41", false, true},
        {"fullwidth letters fold", "\xA3\xE1", "\xA3\xC1", true, false},
        {"upper-case form outside code page 936 keeps its own", "\xA8\xBB", "\xA8\xBD", false, false},
        {"text ends at its zero byte", std::string_view("a\0b", 3), "A", true, true},
    };
    for (const EqualsCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(referenceEqualsIgnoreCase(c.a, c.b, codePage936()), c.under936);
        EXPECT_EQ(referenceEqualsIgnoreCase(c.a, c.b, codePage1252()), c.under1252);
    }
}

TEST(ReferenceDecision, GivesTheOutcomesOfTheSharedRequestCases) {
    for (const test::RequestCase& c : test::kRequestCases) {
        if (c.notification != test::kPreproc || c.misbehaviour != test::Misbehaviour::None) continue;
        SCOPED_TRACE(c.name);
        const RequestOutcome want = c.pageAddress != nullptr ? RequestOutcome::Refuse
                                    : c.setUrl != nullptr    ? RequestOutcome::Redirect
                                                             : RequestOutcome::Pass;
        const auto orEmpty = [](const char* text) { return std::string_view(text == nullptr ? "" : text); };
        EXPECT_EQ(
            referenceDecision(referenceSplitSettingsList(c.referers), referenceSplitSettingsList(c.suffixes),
                              c.redirect, orEmpty(c.referer), orEmpty(c.url), codePage936()),
            want);
        if (want == RequestOutcome::Refuse) {
            EXPECT_EQ(referenceRefusalPage(c.pageAddress), test::kPageHead + c.pageAddress + test::kPageTail);
        }
    }
}

TEST(ReferenceDecision, CutsFollowTheRules) {
    EXPECT_EQ(referenceLeftBytes("abc", 0), "");
    EXPECT_EQ(referenceLeftBytes("abc", -5), "");
    EXPECT_EQ(referenceLeftBytes("abc", 2), "ab");
    EXPECT_EQ(referenceLeftBytes("abc", 9), "abc");
    EXPECT_EQ(referenceRightBytes("abc", 2), "bc");
    EXPECT_EQ(referenceRightBytes("ab\xB0\xA1", 1), "\xA1");
    EXPECT_EQ(referenceRightBytes("abc", 9), "abc");
}

struct SplitCase {
    std::string_view value;
    std::vector<std::string> entries;
};

TEST(ReferenceSplitSettingsList, FollowsTheRulesExamples) {
    const SplitCase cases[] = {
        {"", {}},         {"a|b|", {"a", "b"}},        {"|a", {"", "a"}},        {"a||b", {"a", "", "b"}},
        {"||", {"", ""}}, {" a | b ", {" a ", " b "}}, {"a\x81|b", {"a\x81|b"}}, {"a|b\x81", {"a", "b\x81"}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(referenceSplitSettingsList(c.value), c.entries);
    }
}

TEST(ReferenceSettingsFilePath, FollowsTheRulesExamples) {
    const std::string_view cases[][2] = {
        {"D:\\web\\filters\\QUORVANE.DLL", "D:\\web\\filters\\Quorvane.ini"},
        {"D:\\Quorvane.dll\\Quorvane.dll", "D:\\\\Quorvane.ini"},
        {"C:\\server\\host.exe", "C:\\server\\host.exeQuorvane.ini"},
        {"", "Quorvane.ini"},
        {"D:\\\x81Quorvane.dll", "D:\\\x81Quorvane.dllQuorvane.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        EXPECT_EQ(referenceSettingsFilePath(c[0]), c[1]);
    }
}

}  // namespace
}  // namespace quorvane
