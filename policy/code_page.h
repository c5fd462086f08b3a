// policy/code_page.h -- the ANSI code page as data, and the case-insensitive comparison
// that follows it. Portable: Linux tests run the Windows rules of any code page given.
#pragma once

#include <array>
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

}  // namespace quorvane
