// policy/code_page.h -- the ANSI code page as data, and the case-insensitive comparison
// that follows it. Portable: Linux tests run the Windows rules of any code page given.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvane {

// How one ANSI code page reads and folds characters.
struct CodePage {
    unsigned number = 0;
    bool doubleByte = false;
    // Lead bytes of a double-byte code page; all false for a single-byte one.
    std::array<bool, 256> leadByte{};
    // Double-byte code pages only: the upper-case form of every two-byte character,
    // indexed by (lead << 8 | trail), as (lead << 8 | trail) again, or as a single
    // byte below 0x100 should a form be one; 0 where the pair is not a character.
    std::array<std::uint16_t, 65536> pairUpper{};
};

// Code page 936 (Chinese, PRC) from the generated table in cp936.h.
const CodePage& codePage936() noexcept;

// A single-byte code page: only the letters A..Z fold, whatever the number.
CodePage makeSingleByteCodePage(unsigned number) noexcept;
const CodePage& codePage1252() noexcept;

// Equality that ignores letter case. Double-byte: both texts are read as characters
// from the first byte; a lead byte at the very end takes no part; single bytes fold
// A..Z to a..z; a two-byte character compares by its upper-case form, and a pair that
// is not a character makes the texts differ. Single-byte: bytes, with A..Z folded.
// The views are texts: they hold no zero byte.
bool equalsIgnoreCase(std::string_view a, std::string_view b, const CodePage& codePage) noexcept;

constexpr unsigned char asciiLower(unsigned char byte) noexcept {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

constexpr int kTextEnd = -1;
constexpr int kNotACharacter = -2;

// Reads the character at `pos` as equalsIgnoreCase compares it and moves past it: a single
// byte folded to lower case, or a two-byte character's upper-case form. kTextEnd at the end
// of the text or at a lead byte that is its last byte (pos then moves to the end);
// kNotACharacter for a pair the code page does not hold.
inline int readFolded(std::string_view text, std::size_t& pos, const CodePage& codePage) noexcept {
    if (pos >= text.size()) return kTextEnd;
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (!codePage.leadByte[byte]) {
        ++pos;
        return asciiLower(byte);
    }
    if (pos + 1 >= text.size()) {
        pos = text.size();
        return kTextEnd;
    }
    const auto trail = static_cast<unsigned char>(text[pos + 1]);
    pos += 2;
    const std::uint16_t upper = codePage.pairUpper[(byte << 8) | trail];
    return upper == 0 ? kNotACharacter : upper;
}

}  // namespace quorvane
