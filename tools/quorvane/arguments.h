// tools/quorvane/arguments.h -- the command line as a record.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvane::cli {

enum class Command { None, Check, Try, Convert };

struct Arguments {
    Command command = Command::None;
    bool help = false;                                 // --help, for the tool or for the command
    bool version = false;                              // --version
    std::vector<std::string> files;                    // check, try: [FILE]; convert: IN OUT
    std::optional<std::string> referer, url, address;  // try, as typed
};

// The settings file when none is named.
constexpr const char* kDefaultSettingsFile = "Quorvane.ini";

// Reads argv[1..argc-1]. Returns false with `error` set to one line for bad usage: no or an
// unknown command, an unknown or repeated option, an option without its value, a wrong
// number of files, try without --url. --help anywhere wins over everything but an unknown
// command.
bool parseArguments(int argc, const char* const argv[], Arguments& arguments, std::string& error);

// The --help text of the tool (Command::None) or of one command.
const char* helpText(Command command);

}  // namespace quorvane::cli
