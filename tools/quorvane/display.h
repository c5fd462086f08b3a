// tools/quorvane/display.h -- code page 936 bytes shown as UTF-8 text, and typed text back.
#pragma once

#include <string>
#include <string_view>

namespace quorvane::cli {

// The bytes as UTF-8 for a terminal. A character of code page 936 shows as itself; a byte
// that is no character (a lead byte without a valid trail byte, a lone lead byte at the end),
// a pair or byte that maps only to the private use area, and the control bytes 00..1F and 7F
// show as \xNN; a backslash shows as \\. So every shown text reads back to its bytes.
std::string showCp936(std::string_view bytes);

// Text typed on the command line (UTF-8, with the escapes \xNN and \\ that showCp936 writes)
// as code page 936 bytes. Returns false, with `error` set to one line, for malformed UTF-8,
// a character that code page 936 cannot hold, or an unknown escape.
bool typedToCp936(std::string_view typed, std::string& bytes, std::string& error);

// "U+00E9" for error messages.
std::string codePointName(char32_t codePoint);

}  // namespace quorvane::cli
