// tests/cli_runner.h -- runs the built quorvane tool and reads what it printed.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "support/run_program.h"

namespace quorvane::test {

// Runs quorvane with `args` in `directory`. Whatever the command, piped output has no colour
// codes, and an error is exactly one line on stderr with nothing on stdout.
inline ProgramRun runQuorvane(const std::vector<std::string>& args, const std::string& directory) {
    std::vector<std::string> argv{QUORVANE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    ProgramRun run = runProgram(argv, directory);
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << run.out;
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
    if (run.status == 2) {
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(run.err.starts_with("quorvane: ")) << run.err;
    } else {
        EXPECT_EQ(run.err, "");
    }
    return run;
}

// The short names that end check's warning lines, in the order printed.
inline std::vector<std::string> warningTags(std::string_view out) {
    std::vector<std::string> tags;
    std::size_t start = 0;
    while (start < out.size()) {
        std::size_t end = out.find('\n', start);
        if (end == std::string_view::npos) end = out.size();
        const std::string_view line = out.substr(start, end - start);
        if (line.starts_with("warning: ") && line.ends_with(']')) {
            const std::size_t open = line.rfind('[');
            tags.emplace_back(line.substr(open + 1, line.size() - open - 2));
        }
        start = end + 1;
    }
    return tags;
}

// Raw bytes as typed on the tool's command line: bytes from 80 on as \xNN, "\" as "\\".
inline std::string typedForm(std::string_view bytes) {
    std::string typed;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value >= 0x80) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", value);
            typed += escape;
        } else {
            typed += byte == '\\' ? std::string("\\\\") : std::string(1, byte);
        }
    }
    return typed;
}

}  // namespace quorvane::test
