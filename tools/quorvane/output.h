// tools/quorvane/output.h -- lines to the terminal or a pipe, coloured only on a terminal.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quorvane::cli {

enum class Colour { Red, Green, Yellow };

class Printer {
public:
    explicit Printer(std::FILE* stream);
    // `text` wrapped in the colour's escape codes when the stream shows colours.
    std::string paint(std::string_view text, Colour colour) const;
    void line(std::string_view text) const;

private:
    std::FILE* stream_;
    bool colour_;
};

// One line on stderr: "quorvane: " and the message, its control bytes shown as \xNN.
void printError(std::string_view message);

}  // namespace quorvane::cli
