// policy/code_page.cpp -- code page records and equalsIgnoreCase. Portable.
#include "policy/code_page.h"

#include <cstddef>

#include "policy/cp936.h"

namespace quorvane {
namespace {

CodePage buildCodePage936() noexcept {
    CodePage page;
    page.number = 936;
    page.doubleByte = true;
    for (unsigned lead = 0; lead < 256; ++lead) {
        page.leadByte[lead] = isCp936LeadByte(static_cast<unsigned char>(lead));
        if (!page.leadByte[lead]) continue;
        for (unsigned trail = 0; trail < 256; ++trail) {
            page.pairUpper[(lead << 8) | trail] =
                cp936UpperPair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
        }
    }
    return page;
}

}  // namespace

const CodePage& codePage936() noexcept {
    static const CodePage page = buildCodePage936();
    return page;
}

CodePage makeSingleByteCodePage(unsigned number) noexcept {
    CodePage page;
    page.number = number;
    return page;
}

const CodePage& codePage1252() noexcept {
    static const CodePage page = makeSingleByteCodePage(1252);
    return page;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b, const CodePage& codePage) noexcept {
    if (!codePage.doubleByte) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (asciiLower(static_cast<unsigned char>(a[i])) !=
                asciiLower(static_cast<unsigned char>(b[i]))) {
                return false;
            }
        }
        return true;
    }
    // Bytes below 80 are single-byte characters in every double-byte code page, so while
    // both texts hold them they advance together, with no character reading.
    std::size_t i = 0;
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    while (i < common && static_cast<unsigned char>(a[i]) < 0x80 && static_cast<unsigned char>(b[i]) < 0x80) {
        if (asciiLower(static_cast<unsigned char>(a[i])) != asciiLower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
        ++i;
    }
    std::size_t j = i;
    for (;;) {
        const int x = readFolded(a, i, codePage);
        const int y = readFolded(b, j, codePage);
        if (x == kNotACharacter || y == kNotACharacter || x != y) return false;
        if (x == kTextEnd) return true;
    }
}

}  // namespace quorvane
