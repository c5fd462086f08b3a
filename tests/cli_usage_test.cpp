// tests/cli_usage_test.cpp -- quorvane's command line itself: help, version, usage errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_runner.h"
#include "support/temp_dir.h"

namespace quorvane::test {
namespace {

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* out;  // the start of stdout
    const char* err;  // all of stderr
};

std::vector<UsageCase> usageCases() {
    return {
        {"version", {"--version"}, 0, "quorvane 1.3.3.21\n", ""},
        {"help", {"--help"}, 0, "usage: quorvane <command> [arguments]\n", ""},
        {"short help", {"-h"}, 0, "usage: quorvane <command> [arguments]\n", ""},
        {"check help", {"check", "--help"}, 0, "usage: quorvane check [FILE]\n", ""},
        {"try help wins over a missing --url",
         {"try", "--help"},
         0,
         "usage: quorvane try [FILE] --url U [--referer R] [--address A]\n",
         ""},
        {"convert help after its files",
         {"convert", "a", "b", "--help"},
         0,
         "usage: quorvane convert IN OUT\n",
         ""},
        {"no command", {}, 2, "", "quorvane: no command given (see: quorvane --help)\n"},
        {"unknown command",
         {"verify"},
         2,
         "",
         "quorvane: unknown command \"verify\" (see: quorvane --help)\n"},
        {"unknown option",
         {"check", "--verbose"},
         2,
         "",
         "quorvane: unknown option \"--verbose\" for check (see: quorvane check --help)\n"},
        {"try option given to check",
         {"check", "--url", "/a.jpg"},
         2,
         "",
         "quorvane: unknown option \"--url\" for check (see: quorvane check --help)\n"},
        {"two files for check",
         {"check", "a.ini", "b.ini"},
         2,
         "",
         "quorvane: check takes at most one file, not 2 (see: quorvane check --help)\n"},
        {"one file for convert",
         {"convert", "a.ini"},
         2,
         "",
         "quorvane: convert takes two files, IN and OUT, not 1 (see: quorvane convert --help)\n"},
        {"try without --url",
         {"try", "--referer", "http://a/"},
         2,
         "",
         "quorvane: try needs --url (see: quorvane try --help)\n"},
        {"option without its value",
         {"try", "--url"},
         2,
         "",
         "quorvane: option --url needs a value (see: quorvane try --help)\n"},
        {"option given twice",
         {"try", "--url", "/a", "--url=/b"},
         2,
         "",
         "quorvane: option --url given twice (see: quorvane try --help)\n"},
        {"line break in a file name stays on the one error line",
         {"check", "a\nb.ini"},
         2,
         "",
         "quorvane: cannot read a\\x0Ab.ini: No such file or directory\n"},
        {"help after -- is a file name",
         {"check", "--", "--help"},
         2,
         "",
         "quorvane: cannot read --help: No such file or directory\n"},
    };
}

TEST(QuorvaneUsage, AnswersHelpVersionAndBadUsageWithTheirExitStatus) {
    const TempDir dir;
    for (const UsageCase& c : usageCases()) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = runQuorvane(c.args, dir.path());
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.out.starts_with(c.out)) << run.out;
        EXPECT_EQ(run.err, c.err);
    }
}

}  // namespace
}  // namespace quorvane::test
