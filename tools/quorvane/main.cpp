// tools/quorvane/main.cpp -- quorvane, the administrator's command line: check, try, convert.
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "platform/platform.h"
#include "tools/quorvane/arguments.h"
#include "tools/quorvane/check_command.h"
#include "tools/quorvane/convert_command.h"
#include "tools/quorvane/output.h"
#include "tools/quorvane/try_command.h"

namespace quorvane::cli {
namespace {

std::string settingsFile(const Arguments& arguments) {
    return arguments.files.empty() ? kDefaultSettingsFile : arguments.files.front();
}

int run(int argc, const char* const argv[]) {
    platform::prepareBlockAllocator();
    Arguments arguments;
    std::string error;
    if (!parseArguments(argc, argv, arguments, error)) {
        printError(error);
        return 2;
    }
    if (arguments.version) {
        std::fputs("quorvane " QUORVANE_VERSION "\n", stdout);
        return 0;
    }
    if (arguments.help) {
        std::fputs(helpText(arguments.command), stdout);
        return 0;
    }
    switch (arguments.command) {
        case Command::Check:
            return runCheck(settingsFile(arguments));
        case Command::Try:
            return runTry(settingsFile(arguments), arguments.referer, *arguments.url, arguments.address);
        case Command::Convert:
            return runConvert(arguments.files[0], arguments.files[1]);
        case Command::None:
            break;
    }
    return 2;
}

}  // namespace
}  // namespace quorvane::cli

int main(int argc, char* argv[]) {
    try {
        const int status = quorvane::cli::run(argc, argv);
        return std::fflush(stdout) == 0 ? status : 2;
    } catch (const std::bad_alloc&) {
        quorvane::cli::printError("out of memory");
    } catch (const std::exception& error) {
        quorvane::cli::printError(error.what());
    }
    return 2;
}
