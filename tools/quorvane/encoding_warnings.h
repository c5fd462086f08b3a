// tools/quorvane/encoding_warnings.h -- why the filter finds nothing in a file: names stored in
// another encoding than code page 936, a byte-order mark, names an editor replaced by "?".
#pragma once

#include <string_view>
#include <vector>

#include "tools/quorvane/warning.h"

namespace quorvane::cli {

// Looks at the file's raw bytes for the section and key names in other encodings. This is
// diagnosis only: it explains an empty result and never supplies a value.
std::vector<Warning> encodingWarnings(std::string_view fileBytes);

}  // namespace quorvane::cli
