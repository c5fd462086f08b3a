// tools/quorvane/output.cpp -- Printer and printError.
#include "tools/quorvane/output.h"

#include "tools/quorvane/system.h"

namespace quorvane::cli {

Printer::Printer(std::FILE* stream) : stream_(stream), colour_(showsColour(stream)) {}

std::string Printer::paint(std::string_view text, Colour colour) const {
    if (!colour_) return std::string(text);
    const char* code = colour == Colour::Red ? "\x1b[31m" : colour == Colour::Green ? "\x1b[32m" : "\x1b[33m";
    return code + std::string(text) + "\x1b[0m";
}

void Printer::line(std::string_view text) const {
    std::fwrite(text.data(), 1, text.size(), stream_);
    std::fputc('\n', stream_);
}

void printError(std::string_view message) {
    const Printer err(stderr);
    err.line(err.paint("quorvane: " + std::string(message), Colour::Red));
}

}  // namespace quorvane::cli
