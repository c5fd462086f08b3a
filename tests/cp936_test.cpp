// tests/cp936_test.cpp -- the code page 936 table: validity, Unicode forms both ways, upper case.
#include "policy/cp936.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quorvane {
namespace {

constexpr std::uint16_t code(unsigned lead, unsigned trail) {
    return static_cast<std::uint16_t>(lead << 8 | trail);
}

// Calls f for all 65536 byte pairs, stopping after the lead byte of a fatal failure.
template <class F>
void forEveryByteOfTwo(F f) {
    for (unsigned lead = 0; lead < 256 && !::testing::Test::HasFatalFailure(); ++lead) {
        for (unsigned trail = 0; trail < 256; ++trail) {
            f(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
        }
    }
}

TEST(Cp936Validity, LeadAndTrailBoundaries) {
    struct Row {
        unsigned byte;
        bool lead, trail;
    };
    const Row rows[] = {
        {0x00, false, false}, {0x3F, false, false}, {0x40, false, true},
        {0x7E, false, true},  {0x7F, false, false}, {0x80, false, true},
        {0x81, true, true},   {0xFE, true, true},   {0xFF, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.byte);
        const auto b = static_cast<unsigned char>(r.byte);
        EXPECT_EQ(isCp936LeadByte(b), r.lead);
        EXPECT_EQ(isCp936Pair(0x81, b), r.trail);
        EXPECT_EQ(isCp936Pair(0xFE, b), r.trail);
        EXPECT_EQ(cp936PairToUnicode(0xB0, b) != 0, r.trail);
        EXPECT_EQ(cp936UpperPair(0xB0, b) != 0, r.trail);
        EXPECT_FALSE(isCp936Pair(0x80, b));  // 0x80 and 0xFF lead nothing
        EXPECT_FALSE(isCp936Pair(0xFF, b));
    }
}

TEST(Cp936Validity, ThePairRuleDecidesEveryLookup) {
    int pairs = 0;
    forEveryByteOfTwo([&](unsigned char lead, unsigned char trail) {
        const bool valid = isCp936Pair(lead, trail);
        pairs += valid;
        ASSERT_EQ(cp936PairToUnicode(lead, trail) != 0, valid) << std::hex << code(lead, trail);
        ASSERT_EQ(cp936UpperPair(lead, trail) != 0, valid) << std::hex << code(lead, trail);
    });
    EXPECT_EQ(pairs, 126 * 190);
}

TEST(Cp936Unicode, KnownCharacters) {
    // Fixed points of the platform's table, including private-use codes that Python's gb18030
    // codec maps elsewhere (A2E3, A8BF, A989, FE51) and the first unit of each private area.
    struct Row {
        const char* name;
        std::uint16_t code;
        char16_t unit;
    };
    const Row rows[] = {
        {"first pair", 0x8140, 0x4E02},
        {"first GB2312 ideograph", 0xB0A1, 0x554A},
        {"section name, first", 0xC9E8, 0x8BBE},
        {"middle dot", 0xA1A4, 0x00B7},
        {"em dash", 0xA1AA, 0x2014},
        {"compatibility ideograph", 0xFE4F, 0xFA29},
        {"user area AAA1", 0xAAA1, 0xE000},
        {"user area F8A1", 0xF8A1, 0xE234},
        {"user area A140", 0xA140, 0xE4C6},
        {"first other unassigned", 0xA2AB, 0xE766},
        {"not the euro sign", 0xA2E3, 0xE76C},
        {"not U+01F9", 0xA8BF, 0xE7C8},
        {"not U+303E", 0xA989, 0xE7E7},
        {"not U+2E81", 0xFE50, 0xE815},
        {"FE51", 0xFE51, 0xE816},
        {"last unassigned", 0xFEA0, 0xE864},
        {"last pair", 0xFEFE, 0xE4C5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(cp936PairToUnicode(r.code >> 8, r.code & 0xFF), r.unit);
    }
}

TEST(Cp936Unicode, SingleBytes) {
    for (unsigned byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const char16_t want = byte < 0x80 ? byte : byte == 0x80 ? 0x20AC : byte == 0xFF ? 0xF8F5 : 0;
        const char16_t unit = cp936ByteToUnicode(static_cast<unsigned char>(byte));
        EXPECT_EQ(unit, want);
        if (want == 0 && byte != 0) continue;  // a lead byte
        unsigned char out[2] = {0xAA, 0xAA};
        ASSERT_EQ(unicodeToCp936(unit, out), 1);
        EXPECT_EQ(out[0], byte);
    }
}

TEST(Cp936Unicode, EveryPairHasItsOwnUnitAndComesBack) {
    std::vector<std::uint16_t> owner(0x10000, 0);
    forEveryByteOfTwo([&](unsigned char lead, unsigned char trail) {
        if (!isCp936Pair(lead, trail)) return;
        const char16_t unit = cp936PairToUnicode(lead, trail);
        ASSERT_FALSE(unit >= 0xD800 && unit <= 0xDFFF) << std::hex << code(lead, trail);
        ASSERT_EQ(owner[unit], 0) << std::hex << code(lead, trail) << " shares " << owner[unit];
        owner[unit] = code(lead, trail);
        unsigned char out[2] = {0, 0};
        ASSERT_EQ(unicodeToCp936(unit, out), 2) << std::hex << code(lead, trail);
        ASSERT_EQ(code(out[0], out[1]), code(lead, trail));
    });
}

TEST(Cp936Unicode, EveryUnitEncodesOnlyToWhatDecodesBack) {
    int mapped = 0;
    for (unsigned u = 0; u < 0x10000; ++u) {
        const auto unit = static_cast<char16_t>(u);
        unsigned char out[2] = {0, 0};
        const int count = unicodeToCp936(unit, out);
        mapped += count != 0;
        if (count == 1) {
            ASSERT_FALSE(isCp936LeadByte(out[0])) << std::hex << u;
            ASSERT_EQ(cp936ByteToUnicode(out[0]), unit) << std::hex << u;
        } else if (count == 2) {
            ASSERT_EQ(cp936PairToUnicode(out[0], out[1]), unit) << std::hex << u;
        } else {
            ASSERT_EQ(count, 0) << std::hex << u;
        }
    }
    EXPECT_EQ(mapped, 126 * 190 + 0x80 + 2);
}

TEST(Cp936Unicode, NoBestFitAndNoQuestionMark) {
    // U+00C0 has no character of its own; the platform's best fit would give A8A4.
    const char16_t units[] = {0x00C0, 0x0143, 0xFFFD, 0xD800, 0xDC00, 0xE865, 0xF8F4};
    for (const char16_t unit : units) {
        unsigned char out[2] = {0xAA, 0xAA};
        EXPECT_EQ(unicodeToCp936(unit, out), 0) << std::hex << static_cast<unsigned>(unit);
        EXPECT_EQ(out[0], 0xAA);
    }
}

TEST(Cp936Upper, ExactlyTheseCharactersChange) {
    struct Range {
        const char* name;
        std::uint16_t first, last, firstUpper;
    };
    const Range ranges[] = {
        {"small roman numerals", 0xA2A1, 0xA2AA, 0xA2F1},
        {"fullwidth Latin", 0xA3E1, 0xA3FA, 0xA3C1},
        {"Greek", 0xA6C1, 0xA6D8, 0xA6A1},
        {"Cyrillic", 0xA7D1, 0xA7F1, 0xA7A1},
    };
    int expected = 0;
    for (const Range& r : ranges) {
        SCOPED_TRACE(r.name);
        for (unsigned c = r.first; c <= r.last; ++c, ++expected) {
            EXPECT_EQ(cp936UpperPair(c >> 8, c & 0xFF), r.firstUpper + (c - r.first)) << std::hex << c;
        }
    }
    EXPECT_EQ(expected, 93);

    int changed = 0;
    forEveryByteOfTwo([&](unsigned char lead, unsigned char trail) {
        const std::uint16_t upper = cp936UpperPair(lead, trail);
        if (upper == 0 || upper == code(lead, trail)) return;
        ++changed;
        // The upper-case form is a character, is its own upper-case form and is never a single byte.
        ASSERT_TRUE(isCp936Pair(upper >> 8, upper & 0xFF)) << std::hex << code(lead, trail);
        ASSERT_EQ(cp936UpperPair(upper >> 8, upper & 0xFF), upper) << std::hex << code(lead, trail);
    });
    EXPECT_EQ(changed, 93);
}

TEST(Cp936Upper, FormsCodePage936CannotHoldStayApart) {
    // Their Unicode upper-case forms (U+2C6D, U+0143, U+0147, U+A7AC, U+0100, U+00DC) are
    // not in code page 936: each keeps its own form instead of all becoming '?'.
    const std::uint16_t kept[] = {0xA8BB, 0xA8BD, 0xA8BE, 0xA8C0, 0xA8A1, 0xA8B9};
    for (const std::uint16_t c : kept) {
        EXPECT_EQ(cp936UpperPair(c >> 8, c & 0xFF), c) << std::hex << c;
    }
}

}  // namespace
}  // namespace quorvane
