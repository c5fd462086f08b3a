// tools/quorvane/check_command.h -- `quorvane check [FILE]`.
#pragma once

#include <string>

namespace quorvane::cli {

// Shows the settings in `path` as the filter loads them, then the warnings. Returns the exit
// status: 0 no warnings, 1 warnings, 2 the file cannot be read.
int runCheck(const std::string& path);

}  // namespace quorvane::cli
