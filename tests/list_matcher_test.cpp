// tests/list_matcher_test.cpp -- the compiled lists give exactly what comparing each entry,
// cut to its length, with equalsIgnoreCase gives.
#include "policy/list_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "policy/policy.h"
#include "support/settings_builder.h"

namespace quorvane {
namespace {

bool prefixByRule(const std::vector<std::string>& entries, std::string_view text, const CodePage& page) {
    for (const std::string& entry : entries) {
        if (equalsIgnoreCase(leftBytes(text, static_cast<std::int32_t>(entry.size())).view(), entry, page)) {
            return true;
        }
    }
    return false;
}

bool suffixByRule(const std::vector<std::string>& entries, std::string_view text, const CodePage& page) {
    for (const std::string& entry : entries) {
        if (equalsIgnoreCase(rightBytes(text, static_cast<std::int32_t>(entry.size())).view(), entry, page)) {
            return true;
        }
    }
    return false;
}

struct Compiled {
    Compiled(const std::vector<std::string>& entries, const CodePage& page) : list(test::makeList(entries)) {
        prefixes.build(list, page, false);
        suffixes.build(list, page, true);
    }
    TextList list;
    FoldedTrie prefixes;
    FoldedTrie suffixes;
};

struct MatchCase {
    const char* name;
    std::vector<std::string> entries;
    std::string text;
};

// Cases found while building the tries, where a cut, a lone lead byte or an invalid pair
// makes the characters of the cut text differ from those of the whole text.
const MatchCase kTrickyCases[] = {
    {"entry ends in a lone lead byte", {"ab\xB0"}, "ab\xB0\xA1"},
    {"entry cut inside a character matches shorter text", {"ab\xB0"}, "ab"},
    {"text ends in a lone lead byte", {"ab"}, "ab\xB0"},
    {"suffix cut starts on a trail byte", {"\xA1"}, "x\xB0\xA1"},
    {"suffix cut re-reads the pairs", {"\xA1\xB0"}, "\xB0\xA1\xB0"},
    {"suffix of two bytes that pair differently", {"\xB0\xA1"}, "\xB0\xB0\xA1"},
    {"invalid pair in the text after the prefix", {"ab"}, "ab\x81\x30"},
    {"invalid pair inside the prefix's reach", {"ab\x81\x30"}, "ab\x81\x30"},
    {"invalid pair in the entry", {"\x81\x30", "zz"}, "\x81\x30zz"},
    {"entry longer than the text, equal when folded", {"ABC\xA3\xE1"}, "abc\xA3\xC1"},
    {"entry longer than the text by a lone lead", {"abc\xB0"}, "abc"},
    {"empty entry matches everything", {"", "x"}, "anything"},
    {"empty entry and empty text", {""}, ""},
    {"lone lead entry, text starts with a pair", {"\xB0"}, "\xB0\xA1rest"},
    {"lone lead entry, text starts with a single byte", {"\xB0"}, "a\xB0"},
    {"entries that are prefixes of each other", {"http://a", "http://ab", "http://abc/"}, "HTTP://AB/x"},
    {"fullwidth, Greek and Cyrillic letters", {"\xA3\xE1\xA6\xC1\xA7\xD1"}, "\xA3\xC1\xA6\xA1\xA7\xA1"},
    {"text of a single lead byte", {"\xB0", "a"}, "\xB0"},
    {"suffix entry with a lone lead at its end", {".jp\xB0"}, "/a.jp"},
    {"many suffix lengths over one chain", {"\xA1\xB0\xA1", "\xB0\xA1\xB0\xA1"}, "\xB0\xA1\xB0\xA1\xB0\xA1"},
};

TEST(FoldedTrie, TrickyCasesAgreeWithTheRule) {
    for (const MatchCase& c : kTrickyCases) {
        SCOPED_TRACE(c.name);
        for (const CodePage* page : {&codePage936(), &codePage1252()}) {
            const Compiled compiled(c.entries, *page);
            EXPECT_EQ(anyPrefixMatches(compiled.prefixes, c.text, *page),
                      prefixByRule(c.entries, c.text, *page))
                << "prefix, code page " << page->number;
            EXPECT_EQ(anySuffixMatches(compiled.suffixes, c.text, *page),
                      suffixByRule(c.entries, c.text, *page))
                << "suffix, code page " << page->number;
        }
    }
}

// Every text of up to four bytes and every entry of up to three over a small alphabet that
// holds lead bytes, trail bytes, a pair that is not a character and letters in both cases.
TEST(FoldedTrie, EverySmallEntryAndTextAgreeWithTheRule) {
    const std::string alphabet =
        "aA\xA3\xE1\xC1"
        "0";
    std::vector<std::string> words{""};
    for (std::size_t begin = 0, length = 1; length <= 4; ++length) {
        const std::size_t end = words.size();
        for (std::size_t i = begin; i < end; ++i) {
            for (const char byte : alphabet) words.push_back(words[i] + byte);
        }
        begin = end;
    }
    for (const CodePage* page : {&codePage936(), &codePage1252()}) {
        for (const std::string& entry : words) {
            if (entry.size() > 3) break;
            const std::vector<std::string> entries{entry};
            const Compiled compiled(entries, *page);
            for (const std::string& text : words) {
                ASSERT_EQ(anyPrefixMatches(compiled.prefixes, text, *page),
                          prefixByRule(entries, text, *page))
                    << "prefix [" << entry << "] text [" << text << "] code page " << page->number;
                ASSERT_EQ(anySuffixMatches(compiled.suffixes, text, *page),
                          suffixByRule(entries, text, *page))
                    << "suffix [" << entry << "] text [" << text << "] code page " << page->number;
            }
        }
    }
}

TEST(DecideRequest, CompiledAndScannedAgreeAndFollowTheCodePageGiven) {
    const FilterSettings compiled936 = test::makeSettings({"http://\xA6\xC1/"}, {"\xA3\xE1.jpg"}, "");
    const FilterSettings notCompiled =
        test::makeSettings({"http://\xA6\xC1/"}, {"\xA3\xE1.jpg"}, "", nullptr);
    EXPECT_EQ(compiled936.compiled.codePage, &codePage936());
    EXPECT_EQ(notCompiled.compiled.codePage, nullptr);
    const struct {
        const char* referer;
        const char* url;
    } requests[] = {
        {"http://\xA6\xA1/x", "/\xA3\xC1.JPG"}, {"http://evil/", "/\xA3\xC1.JPG"}, {"", "/a.jpg"}};
    for (const auto& r : requests) {
        SCOPED_TRACE(r.referer);
        for (const CodePage* page : {&codePage936(), &codePage1252()}) {
            const RequestOutcome want = decideRequestByScan(notCompiled, r.referer, r.url, *page);
            EXPECT_EQ(decideRequest(compiled936, r.referer, r.url, *page), want);
            EXPECT_EQ(decideRequest(notCompiled, r.referer, r.url, *page), want);
        }
    }
}

}  // namespace
}  // namespace quorvane
