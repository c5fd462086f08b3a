// policy/cp936.cpp -- code page 936 lookups over the generated table. Portable.
#include "policy/cp936.h"

#include <array>
#include <cstddef>

namespace quorvane {
namespace {

struct Cp936UpperRange {
    std::uint16_t first, last;  // codes, lead << 8 | trail
    int delta;                  // added to the code
};

#include "policy/cp936_table.inc"

constexpr std::size_t kTrailsPerLead = 190;
constexpr std::size_t kPairCount = 126 * kTrailsPerLead;
static_assert(sizeof(kCp936PairUnicode) / sizeof(kCp936PairUnicode[0]) == kPairCount);

// Position of a valid pair in kCp936PairUnicode; trails skip the hole at 0x7F.
constexpr std::size_t pairIndex(unsigned char lead, unsigned char trail) noexcept {
    return (lead - 0x81u) * kTrailsPerLead + (trail < 0x7F ? trail - 0x40u : trail - 0x41u);
}

// Unicode code unit -> (lead << 8 | trail), 0 where no pair maps to it. Built by the
// compiler so that it can never disagree with the forward table.
constexpr std::array<std::uint16_t, 0x10000> buildUnicodeToPair() {
    std::array<std::uint16_t, 0x10000> table{};
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
            table[kCp936PairUnicode[pairIndex(static_cast<unsigned char>(lead),
                                              static_cast<unsigned char>(trail))]] = code;
        }
    }
    return table;
}

constexpr std::array<std::uint16_t, 0x10000> kUnicodeToPair = buildUnicodeToPair();

// Every pair has a unit of its own, and no pair takes a unit of a single byte.
constexpr bool pairUnitsAreDistinct() {
    std::size_t filled = 0;
    for (const std::uint16_t code : kUnicodeToPair) filled += code != 0;
    if (filled != kPairCount) return false;
    for (char16_t unit = 0; unit < 0x80; ++unit) {
        if (kUnicodeToPair[unit] != 0) return false;
    }
    return kUnicodeToPair[kCp936Byte80] == 0 && kUnicodeToPair[kCp936ByteFF] == 0;
}
static_assert(pairUnitsAreDistinct());

}  // namespace

char16_t cp936PairToUnicode(unsigned char lead, unsigned char trail) noexcept {
    return isCp936Pair(lead, trail) ? kCp936PairUnicode[pairIndex(lead, trail)] : char16_t{0};
}

char16_t cp936ByteToUnicode(unsigned char byte) noexcept {
    if (byte < 0x80) return byte;
    if (byte == 0x80) return kCp936Byte80;
    if (byte == 0xFF) return kCp936ByteFF;
    return 0;
}

int unicodeToCp936(char16_t unit, unsigned char out[2]) noexcept {
    if (unit < 0x80 || unit == kCp936Byte80 || unit == kCp936ByteFF) {
        out[0] = unit < 0x80 ? static_cast<unsigned char>(unit) : unit == kCp936Byte80 ? 0x80 : 0xFF;
        return 1;
    }
    const std::uint16_t code = kUnicodeToPair[unit];
    if (code == 0) return 0;
    out[0] = static_cast<unsigned char>(code >> 8);
    out[1] = static_cast<unsigned char>(code & 0xFF);
    return 2;
}

std::uint16_t cp936UpperPair(unsigned char lead, unsigned char trail) noexcept {
    if (!isCp936Pair(lead, trail)) return 0;
    const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
    for (const Cp936UpperRange& range : kCp936UpperRanges) {
        if (code >= range.first && code <= range.last) return static_cast<std::uint16_t>(code + range.delta);
    }
    return code;
}

}  // namespace quorvane
