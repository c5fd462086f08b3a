// tools/quorvane/system.h -- what the command line takes from the operating system: whole
// files and terminals. system_posix.cpp implements it; the tool is built for Linux.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quorvane::cli {

// Settings files are small; a larger file is refused rather than read into memory.
constexpr std::size_t kLargestFile = 64u << 20;

// Reads the whole file into `bytes`. Returns false with `error` set to the reason ("No such
// file or directory", "Is a directory", ...) when it cannot be opened or read, or is larger
// than kLargestFile.
bool readFileBytes(const std::string& path, std::string& bytes, std::string& error);

// Whether both paths name one existing file, links followed.
bool sameFile(const std::string& a, const std::string& b);

// Writes `bytes` to a new file in the directory of `path` and renames it to `path`, so that
// `path` is either untouched or complete. An existing file's permissions are kept. Returns
// false with `error` set to the reason; the new file is then removed.
bool replaceFile(const std::string& path, std::string_view bytes, std::string& error);

// Whether colours may be written to `stream`: it is a terminal and NO_COLOR is not set.
bool showsColour(std::FILE* stream);

}  // namespace quorvane::cli
