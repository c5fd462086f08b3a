// tools/quorvane/utf8.h -- UTF-8 in and out, one code point at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane::cli {

// The code point that starts at text[pos]; `length` gets its byte count. Returns false, with
// `length` 1, for a byte that starts no well-formed sequence (overlong forms, surrogates and
// code points above U+10FFFF included), so a caller can step over it.
bool decodeUtf8(std::string_view text, std::size_t pos, char32_t& codePoint, std::size_t& length) noexcept;

void appendUtf8(std::string& out, char32_t codePoint);

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace quorvane::cli
