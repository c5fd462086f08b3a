// tools/quorvane/convert_command.h -- `quorvane convert IN OUT`: a UTF-8 settings file stored
// in code page 936.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane::cli {

// Where and why a conversion stopped; line and column count from 1, the column in characters.
struct ConversionError {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string message;
};

// The code page 936 bytes of UTF-8 text, a leading byte-order mark dropped and everything
// else (line ends included) kept. Returns false at the first malformed byte or at the first
// character that code page 936 cannot hold, with `error` saying where.
bool convertToCp936(std::string_view utf8, std::string& cp936, ConversionError& error);

// Runs the command; returns the exit status.
int runConvert(const std::string& in, const std::string& out);

}  // namespace quorvane::cli
