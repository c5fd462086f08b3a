// tools/quorvane/arguments.cpp -- parseArguments and the help texts.
#include "tools/quorvane/arguments.h"

#include <string_view>

namespace quorvane::cli {
namespace {

struct CommandName {
    std::string_view name;
    Command command;
    std::size_t fewestFiles, mostFiles;
};

constexpr CommandName kCommands[] = {
    {"check", Command::Check, 0, 1},
    {"try", Command::Try, 0, 1},
    {"convert", Command::Convert, 2, 2},
};

const CommandName* findCommand(std::string_view name) {
    for (const CommandName& command : kCommands) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

std::optional<std::string>* tryOption(Arguments& arguments, std::string_view name) {
    if (name == "--referer") return &arguments.referer;
    if (name == "--url") return &arguments.url;
    if (name == "--address") return &arguments.address;
    return nullptr;
}

bool usageError(std::string& error, const std::string& message, std::string_view command) {
    error = message + " (see: quorvane " + (command.empty() ? "" : std::string(command) + " ") + "--help)";
    return false;
}

}  // namespace

bool parseArguments(int argc, const char* const argv[], Arguments& arguments, std::string& error) {
    arguments = Arguments{};
    if (argc < 2) return usageError(error, "no command given", "");
    const std::string_view first = argv[1];
    if (first == "--help" || first == "-h") {
        arguments.help = true;
        return true;
    }
    if (first == "--version") {
        arguments.version = true;
        return true;
    }
    const CommandName* command = findCommand(first);
    if (command == nullptr) {
        return usageError(error, "unknown command \"" + std::string(first) + "\"", "");
    }
    arguments.command = command->command;
    for (int i = 2; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        const std::string_view word = argv[i];
        if (word == "--help" || word == "-h") {
            arguments.help = true;
            return true;
        }
    }

    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (optionsEnded || word == "-" || !word.starts_with('-')) {
            arguments.files.emplace_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        std::optional<std::string>* option =
            command->command == Command::Try ? tryOption(arguments, name) : nullptr;
        if (option == nullptr) {
            return usageError(
                error, "unknown option \"" + std::string(name) + "\" for " + std::string(command->name),
                command->name);
        }
        if (option->has_value()) {
            return usageError(error, "option " + std::string(name) + " given twice", command->name);
        }
        if (equals != std::string_view::npos) {
            *option = std::string(word.substr(equals + 1));
        } else if (i + 1 < argc) {
            *option = std::string(argv[++i]);
        } else {
            return usageError(error, "option " + std::string(name) + " needs a value", command->name);
        }
    }

    const std::size_t files = arguments.files.size();
    if (files < command->fewestFiles || files > command->mostFiles) {
        const std::string wanted =
            command->command == Command::Convert ? "two files, IN and OUT" : "at most one file";
        return usageError(error,
                          std::string(command->name) + " takes " + wanted + ", not " + std::to_string(files),
                          command->name);
    }
    if (command->command == Command::Try && !arguments.url.has_value()) {
        return usageError(error, "try needs --url", command->name);
    }
    return true;
}

const char* helpText(Command command) {
    switch (command) {
        case Command::None:
            return "usage: quorvane <command> [arguments]\n"
                   "\n"
                   "Shows what the Quorvane filter sees in a settings file, before it is deployed.\n"
                   "\n"
                   "commands:\n"
                   "  check [FILE]                 the settings as the filter loads them, and the mistakes\n"
                   "                               that make it silently wrong\n"
                   "  try [FILE] --url U [--referer R] [--address A]\n"
                   "                               one request, decided as the filter decides it\n"
                   "  convert IN OUT               a code page 936 settings file from a UTF-8 one\n"
                   "\n"
                   "FILE is ./Quorvane.ini when not given. quorvane <command> --help tells more.\n"
                   "  --help       this text\n"
                   "  --version    the version\n"
                   "\n"
                   "Exit status: 0 all is well, 1 check found warnings, 2 an error or bad usage.\n";
        case Command::Check:
            return "usage: quorvane check [FILE]\n"
                   "\n"
                   "Shows the settings in FILE (./Quorvane.ini when not given) exactly as the filter\n"
                   "loads them: each list's entries numbered between [ and ], so blanks and empty\n"
                   "entries show; the redirect target; whether the filter is active. Text is shown in\n"
                   "UTF-8; a byte that is no code page 936 character shows as \\xNN, a backslash as \\\\.\n"
                   "Then it warns about the mistakes that make the filter silently wrong, each line\n"
                   "ending in a short name: the file's encoding, empty lists and entries, blanks,\n"
                   "protected types without a dot, authorized prefixes that match other hosts or miss\n"
                   "what browsers send, values longer than the filter reads, a protected redirect target.\n"
                   "\n"
                   "Exit status: 0 no warnings, 1 warnings, 2 the file cannot be read or bad usage.\n";
        case Command::Try:
            return "usage: quorvane try [FILE] --url U [--referer R] [--address A]\n"
                   "\n"
                   "Decides one request as the filter would with the settings in FILE (./Quorvane.ini\n"
                   "when not given) and prints the outcome: PASS, REDIRECT to the target, or REFUSE\n"
                   "with the refusal page and its byte count, and the entries that decided it.\n"
                   "\n"
                   "  --url U        the request's URL as the server has it, query string included\n"
                   "  --referer R    the Referer header; without it the request has none\n"
                   "  --address A    the client's address, put in the refusal page; none when not given\n"
                   "\n"
                   "Values are UTF-8 and are turned into code page 936, as the filter sees them;\n"
                   "\\xNN gives one raw byte and \\\\ a backslash.\n"
                   "\n"
                   "Exit status: 0 decided, 2 the file cannot be read or bad usage.\n";
        case Command::Convert:
            return "usage: quorvane convert IN OUT\n"
                   "\n"
                   "Writes OUT, a settings file in code page 936, from IN, a UTF-8 one (a byte-order\n"
                   "mark is dropped). A character that code page 936 cannot hold, or bytes that are not\n"
                   "UTF-8, stop it with their line and column. OUT is written only when the whole file\n"
                   "converts, and IN is never overwritten.\n"
                   "\n"
                   "Exit status: 0 written, 2 not written.\n";
    }
    return "";
}

}  // namespace quorvane::cli
