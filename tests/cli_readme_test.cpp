// tests/cli_readme_test.cpp -- the README's example session is what the tool prints.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "support/temp_dir.h"

namespace quorvane::test {
namespace {

std::vector<std::string> words(const std::string& command) {
    std::vector<std::string> split;
    std::istringstream in(command);
    for (std::string word; in >> word;) split.push_back(word);
    return split;
}

// Replays the first ```console block under the README's quorvane heading in a fresh
// directory: "$ cat FILE" creates FILE from the lines shown, "$ quorvane ..." must print them.
TEST(QuorvaneReadme, ExampleSessionIsWhatTheToolPrints) {
    std::ifstream readme(QUORVANE_README);
    ASSERT_TRUE(readme) << QUORVANE_README;
    std::string line;
    while (std::getline(readme, line) && !line.starts_with("## The command line")) {
    }
    while (std::getline(readme, line) && line != "```console") {
    }
    ASSERT_EQ(line, "```console") << "no example session in the README";

    std::vector<std::pair<std::string, std::string>> steps;  // command, what it shows
    while (std::getline(readme, line) && line != "```") {
        if (line.starts_with("$ ")) {
            steps.emplace_back(line.substr(2), "");
        } else {
            ASSERT_FALSE(steps.empty()) << line;
            steps.back().second += line + "\n";
        }
    }
    ASSERT_GE(steps.size(), 3u);

    const TempDir dir;
    for (const auto& [command, shown] : steps) {
        SCOPED_TRACE(command);
        std::vector<std::string> args = words(command);
        if (args.size() == 2 && args[0] == "cat") {
            dir.write(args[1], shown);
            continue;
        }
        ASSERT_EQ(args.front(), "quorvane");
        args.erase(args.begin());
        const ProgramRun run = runQuorvane(args, dir.path());
        EXPECT_EQ(run.out + run.err, shown);
    }
}

}  // namespace
}  // namespace quorvane::test
