// tests/support/run_program.h -- runs a program to its end and keeps what it wrote.
#pragma once

#include <string>
#include <vector>

namespace quorvane::test {

struct ProgramRun {
    int status = -1;  // the exit status; -1 when it did not exit by itself
    std::string out;  // everything written to stdout
    std::string err;  // everything written to stderr
};

// Runs argv[0] (a path) with the arguments in `directory`, stdin empty, stdout and stderr
// caught through pipes (so the program sees no terminal). A program still running after
// `timeoutSeconds` is killed and reported with status -1.
ProgramRun runProgram(const std::vector<std::string>& argv, const std::string& directory,
                      int timeoutSeconds = 60);

}  // namespace quorvane::test
