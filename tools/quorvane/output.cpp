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
    // Control bytes from a file name or a typed value must not break the one line.
    std::string line = "quorvane: ";
    for (const char byte : message) {
        if (static_cast<unsigned char>(byte) >= 0x20) {
            line.push_back(byte);
            continue;
        }
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(byte));
        line += escape;
    }
    const Printer err(stderr);
    err.line(err.paint(line, Colour::Red));
}

}  // namespace quorvane::cli
