// tests/cli_try_test.cpp -- `quorvane try`: the outcome the filter would give, and why.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_runner.h"
#include "support/request_cases.h"
#include "support/temp_dir.h"

namespace quorvane::test {
namespace {

struct TryCase {
    const char* name;
    const char* suffixes;
    const char* target;
    std::vector<std::string> args;
    const char* out;
};

std::vector<TryCase> tryCases() {
    return {
        {"authorized referer passes",
         ".jpg|.gif",
         "",
         {"--referer", "HTTPS://ours.example/gallery/", "--url", "/a.jpg"},
         "PASS\n"
         "  Referer [HTTPS://ours.example/gallery/]: authorized prefix 2 [https://ours.example/] begins "
         "it\n"},
        {"unprotected url passes",
         ".jpg|.gif",
         "",
         {"--referer", "https://other.example/", "--url", "/index.html"},
         "PASS\n"
         "  Referer [https://other.example/]: no authorized prefix begins it\n"
         "  URL [/index.html]: no protected suffix ends it\n"},
        {"query after the suffix passes",
         ".jpg",
         "",
         {"--referer", "https://other.example/", "--url", "/a.jpg?x=1"},
         "PASS\n"
         "  Referer [https://other.example/]: no authorized prefix begins it\n"
         "  URL [/a.jpg?x=1]: no protected suffix ends it\n"},
        {"inactive filter passes",
         "",
         "",
         {"--referer", "https://other.example/", "--url", "/a.jpg"},
         "PASS\n"
         "  the filter is inactive: 文件类型 (protected suffixes) has no entries\n"},
        {"empty url passes",
         ".jpg",
         "",
         {"--referer", "https://other.example/", "--url", ""},
         "PASS\n"
         "  the URL is empty\n"},
        {"redirect target set",
         ".jpg|.gif",
         "/nolink.htm",
         {"--referer", "https://other.example/", "--url", "/a.GIF"},
         "REDIRECT to [/nolink.htm]\n"
         "  Referer [https://other.example/]: no authorized prefix begins it\n"
         "  URL [/a.GIF]: protected suffix 2 [.gif] ends it\n"},
        {"refused with the address in the page",
         ".jpg|.gif",
         "",
         {"--referer", "https://other.example/page.html", "--url", "/photos/cat.jpg", "--address",
          "192.0.2.7"},
         "REFUSE with the refusal page, 88 bytes\n"
         "  Referer [https://other.example/page.html]: no authorized prefix begins it\n"
         "  URL [/photos/cat.jpg]: protected suffix 1 [.jpg] ends it\n"
         "  page: 对不起 :<b>192.0.2.7</b> , 由于您的来路不合法 服务器拒绝响应本次请求 . <br>Quorvane "
         "v1.0\n"},
        {"refused without a referer or an address",
         ".jpg",
         "",
         {"--url=/a.jpg"},
         "REFUSE with the refusal page, 79 bytes\n"
         "  Referer []: no authorized prefix begins it\n"
         "  URL [/a.jpg]: protected suffix 1 [.jpg] ends it\n"
         "  page: 对不起 :<b></b> , 由于您的来路不合法 服务器拒绝响应本次请求 . <br>Quorvane v1.0\n"},
        {"typed fullwidth letter folds under code page 936",
         "\xA3\xE1",
         "",
         {"--referer", "https://other.example/", "--url", "/Ａ"},
         "REFUSE with the refusal page, 79 bytes\n"
         "  Referer [https://other.example/]: no authorized prefix begins it\n"
         "  URL [/Ａ]: protected suffix 1 [ａ] ends it\n"
         "  page: 对不起 :<b></b> , 由于您的来路不合法 服务器拒绝响应本次请求 . <br>Quorvane v1.0\n"},
        {"escaped byte in a typed value",
         ".jpg",
         "/nolink.htm",
         {"--referer", "https://other.example/", "--url", "/cat\\x2Ejpg"},
         "REDIRECT to [/nolink.htm]\n"
         "  Referer [https://other.example/]: no authorized prefix begins it\n"
         "  URL [/cat.jpg]: protected suffix 1 [.jpg] ends it\n"},
    };
}

TEST(QuorvaneTry, PrintsTheOutcomeAndTheEntriesThatDecidedIt) {
    for (const TryCase& c : tryCases()) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        dir.write("Quorvane.ini", settingsFileBytes(kOurs, c.suffixes, c.target));
        std::vector<std::string> args{"try"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProgramRun run = runQuorvane(args, dir.path());
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, c.out);
    }
}

// The requests the filter's own tests carry out, decided again through the tool.
TEST(QuorvaneTry, AgreesWithTheFilterOnTheSharedRequestCases) {
    for (const RequestCase& c : kRequestCases) {
        if (c.notification != kPreproc || c.misbehaviour != Misbehaviour::None) continue;
        SCOPED_TRACE(c.name);
        const TempDir dir;
        dir.write("rules.ini", settingsFileBytes(c.referers, c.suffixes, c.redirect));
        std::vector<std::string> args{"try", "rules.ini", "--url", typedForm(c.url != nullptr ? c.url : "")};
        if (c.referer != nullptr) args.insert(args.end(), {"--referer", typedForm(c.referer)});
        if (c.address != nullptr) args.insert(args.end(), {"--address", typedForm(c.address)});
        const ProgramRun run = runQuorvane(args, dir.path());
        EXPECT_EQ(run.status, 0);
        const std::string want = c.pageAddress != nullptr ? "REFUSE"
                                 : c.setUrl != nullptr    ? "REDIRECT"
                                                          : "PASS";
        EXPECT_EQ(run.out.substr(0, run.out.find_first_of(" \n")), want) << run.out;
        if (c.pageAddress != nullptr) {
            EXPECT_NE(run.out.find("<b>" + std::string(c.pageAddress) + "</b>"), std::string::npos)
                << run.out;
        }
    }
}

struct TryErrorCase {
    const char* name;
    std::vector<std::string> args;
    const char* err;
};

std::vector<TryErrorCase> tryErrorCases() {
    return {
        {"character code page 936 lacks",
         {"try", "--url", "/a.jpg", "--referer", "http://한.example/"},
         "quorvane: --referer: \"한\" (U+D55C) has no code page 936 form\n"},
        {"unknown escape",
         {"try", "--url", "/a\\q.jpg"},
         "quorvane: --url: unknown escape at \"\\q.j\": write \\xNN for a byte and \\\\ for a backslash\n"},
        {"escape cut short",
         {"try", "--url", "/a\\x4"},
         "quorvane: --url: unknown escape at \"\\x4\": write \\xNN for a byte and \\\\ for a backslash\n"},
        {"malformed UTF-8",
         {"try", "--url", "/a\xC3"},
         "quorvane: --url: not UTF-8 text: byte 3 cannot start a character\n"},
        {"missing settings file",
         {"try", "none.ini", "--url", "/a.jpg"},
         "quorvane: cannot read none.ini: No such file or directory\n"},
    };
}

TEST(QuorvaneTry, RefusesValuesItCannotHandTheFilter) {
    const TempDir dir;
    dir.write("Quorvane.ini", settingsFileBytes(kOurs, ".jpg", ""));
    for (const TryErrorCase& c : tryErrorCases()) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = runQuorvane(c.args, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
}  // namespace quorvane::test
