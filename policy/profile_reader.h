// policy/profile_reader.h -- readProfileValue: one value of an INI file, read as the Windows
// platform's GetPrivateProfileStringA reads it. Portable: no <windows.h>; used off Windows.
#pragma once

#include <cstddef>

namespace quorvane {

// Reads the value of `key` in `section` of the INI file at `path` into `buffer`, which holds
// `bufferSize` bytes (the caller gives 10240), the way the Windows platform's profile reader
// does. `section` and `key` are code page 936 bytes; `path` is used as given.
//
// Result: the value, zero-terminated, cut to at most bufferSize - 1 bytes, never inside a
// two-byte character (where one does not fit, the platform leaves that last byte as the
// caller's buffer held it: the same result for a zeroed buffer). The empty text when the
// file, the section or the key is missing, when the file is unreadable, empty or a
// directory, or when an argument is null (the platform lists names for a null section or
// key). A null buffer or a bufferSize of 0 gets nothing. Never throws; never reads or writes
// outside buffer. Reads the file in blocks, holding one line at a time, and stops at the end
// of the section searched.
//
// Where: a relative path, even one without any '/', is taken from the current working
// directory. The Windows platform looks for a bare file name in its Windows directory.
//
// Encoding: a file starting with the byte-order mark EF BB BF is read as UTF-8, FF FE as
// UTF-16LE, FE FF as UTF-16BE; any other file is read as code page 936 bytes, so a UTF-8
// file without the mark finds no Chinese name. Either way the text is read as Unicode,
// names are matched as Unicode and the value is given back in code page 936, as follows:
// - code page 936: a lead byte and the byte after it always read as one character, '?' when
//   the pair is invalid (even when the second byte ends the line); a lead byte that is last
//   or before a zero byte reads as '?';
// - UTF-8: each malformed sequence reads as U+FFFD; a sequence cut short by the end of the
//   file ends it. UTF-16: a last odd byte is ignored;
// - a character that code page 936 cannot hold comes back as '?' (the platform gives a
//   best-fit character instead for a few hundred, e.g. U+00C0 as the bytes of U+00E0).
//
// Syntax:
// - A line ends at any run of CR and LF. Blanks are tab, LF, VT, FF, CR, space and 0x1A;
//   those around a line, a name, the '=' and a value are ignored, those inside are kept.
// - A line starting with '[' and holding a ']' opens a section named by the text between
//   the '[' and the last ']'; what follows that ']' is ignored. Lines before the first
//   section line belong to a section with the empty name.
// - Any other line is a key: the name is the text before its first '=', the value the text
//   after it. A line without '=' is a key without a value. Lines starting with ';' or '#'
//   are plain keys whose names start with that character, so a name without it never
//   matches them.
// - A zero byte ends a name or a value where it stands.
// Lookup:
// - Names match when equal with letters A..Z taken in either case; no other letter folds.
//   Blanks around the names given are ignored.
// - Only the first section of the name is searched, and only its first key of the name
//   counts: its value, even when empty, or the empty text when it has no '='.
// - A value wrapped in a matching pair of double or single quotes loses them; a quote on one
//   side only, or two different quotes, stay. As on the platform, the value is first cut to
//   bufferSize - 1 UTF-16 units; the closing quote is then dropped by removing the last unit
//   kept, whenever the value after its opening quote is at most bufferSize units long.
//
// Checked against GetPrivateProfileStringA under Wine by tests/windows/profile_platform_check
// on the files in tests/profile_corpus and on long values: no difference in 4,600 queries.
void readProfileValue(const char* section, const char* key, const char* path, char* buffer,
                      std::size_t bufferSize) noexcept;

}  // namespace quorvane
