// fuzz/reference_decision.h -- the request decision written literally from its rules: the
// oracle that decideRequest and equalsIgnoreCase (and any faster matcher) are held to.
// Slow on purpose: new texts per comparison, lists scanned in order, one character at a time.
// It shares no code with policy/ but the code page 936 character data of policy/cp936.h;
// the upper-case forms come from the C library's case mapping for the Chinese (PRC) locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "policy/code_page.h"
#include "policy/policy.h"

namespace quorvane {

// Every argument is a text: it ends at its first zero byte, as the system's texts do.

// The first `count` bytes of `text` as a new text: empty for count <= 0, the whole text when
// count is larger. referenceRightBytes: the last `count` bytes under the same rules.
std::string referenceLeftBytes(std::string_view text, std::int32_t count);
std::string referenceRightBytes(std::string_view text, std::int32_t count);

// The upper-case form of the two-byte character (lead, trail) of code page 936: its Unicode
// form upper-cased and converted back, or the character itself when code page 936 has no
// character for that upper-case form. Empty when the pair is not a character.
std::string referenceUpperForm(unsigned char lead, unsigned char trail);

// Equality ignoring letter case. Double-byte: only code page 936 (the one whose data there
// is), read character by character. Single-byte: byte by byte with A..Z folded.
bool referenceEqualsIgnoreCase(std::string_view a, std::string_view b, const CodePage& codePage);

// The outcome for one request under the settings given as lists of entries.
RequestOutcome referenceDecision(const std::vector<std::string>& referers,
                                 const std::vector<std::string>& suffixes, std::string_view redirect,
                                 std::string_view referer, std::string_view url, const CodePage& codePage);

// The refusal page for `clientAddress`, from the bytes of its three pieces.
std::string referenceRefusalPage(std::string_view clientAddress);

}  // namespace quorvane
