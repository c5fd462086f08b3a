// tools/quorvane/warning.h -- one finding of `quorvane check`.
#pragma once

#include <string>

namespace quorvane::cli {

struct Warning {
    std::string text;  // one line of UTF-8: what is wrong and what it does to requests
    const char* tag;   // a short stable name shown after the text, such as "empty-entry"
};

}  // namespace quorvane::cli
