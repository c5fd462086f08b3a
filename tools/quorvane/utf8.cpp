// tools/quorvane/utf8.cpp -- UTF-8 decoding and encoding.
#include "tools/quorvane/utf8.h"

namespace quorvane::cli {

bool decodeUtf8(std::string_view text, std::size_t pos, char32_t& codePoint, std::size_t& length) noexcept {
    length = 1;
    const auto byteAt = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byteAt(pos);
    if (first < 0x80) {
        codePoint = first;
        return true;
    }
    // Lead byte ranges of well-formed sequences: C0, C1 and F5..FF start none.
    std::size_t size = 0;
    if (first >= 0xC2 && first <= 0xDF) size = 2;
    if (first >= 0xE0 && first <= 0xEF) size = 3;
    if (first >= 0xF0 && first <= 0xF4) size = 4;
    if (size == 0) return false;
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t value = first & (0x7Fu >> size);
    if (text.size() - pos < size) return false;
    for (std::size_t i = 1; i < size; ++i) {
        const unsigned char next = byteAt(pos + i);
        if ((next & 0xC0u) != 0x80) return false;
        value = value << 6 | (next & 0x3Fu);
    }
    if (value < kSmallest[size] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    codePoint = value;
    length = size;
    return true;
}

void appendUtf8(std::string& out, char32_t codePoint) {
    const auto put = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (codePoint < 0x80) {
        put(codePoint);
    } else if (codePoint < 0x800) {
        put(0xC0 | codePoint >> 6);
        put(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        put(0xE0 | codePoint >> 12);
        put(0x80 | (codePoint >> 6 & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    } else {
        put(0xF0 | codePoint >> 18);
        put(0x80 | (codePoint >> 12 & 0x3F));
        put(0x80 | (codePoint >> 6 & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace quorvane::cli
