// tests/cli_check_test.cpp -- `quorvane check` on real files: what it shows and every warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_runner.h"
#include "policy/settings.h"
#include "support/temp_dir.h"

namespace quorvane::test {
namespace {

constexpr const char* kOurs = "http://ours.example/|https://ours.example/";

std::string repeated(std::string_view piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// UTF-16LE bytes of text that holds only BMP characters.
std::string utf16le(std::u16string_view text) {
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

const char* const kUtf8Settings =
    "[设置]\r\n授权来路=http://ours.example/|https://ours.example/\r\n文件类型=.jpg|.gif\r\n重定向到=/"
    "nolink.htm\r\n";
const char16_t* const kUtf16Settings =
    u"[设置]\r\n授权来路=http://ours.example/|https://ours.example/\r\n文件类型=.jpg|.gif\r\n重定向到=/"
    u"nolink.htm\r\n";

TEST(QuorvaneCheck, ShowsACleanFileAsTheFilterLoadsIt) {
    const TempDir dir;
    dir.write("Quorvane.ini", settingsFileBytes(kOurs, ".jpg|.gif", "/nolink.htm"));
    const ProgramRun run = runQuorvane({"check"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "settings file: Quorvane.ini\n"
              "授权来路 (authorized referers): 2 entries\n"
              "  1 [http://ours.example/]\n"
              "  2 [https://ours.example/]\n"
              "文件类型 (protected suffixes): 2 entries\n"
              "  1 [.jpg]\n"
              "  2 [.gif]\n"
              "重定向到 (redirect target): [/nolink.htm]\n"
              "filter: active\n"
              "no warnings\n");
}

struct CheckCase {
    const char* name;
    std::string file;
    std::vector<std::string> tags;  // every warning, in order
    const char* shows;              // a piece of the output that explains it
};

std::vector<CheckCase> checkCases() {
    const auto settings = [](std::string_view referers, std::string_view suffixes, std::string_view target) {
        return settingsFileBytes(referers, suffixes, target);
    };
    return {
        {"names stored in UTF-8",
         kUtf8Settings,
         {"encoding", "inactive", "inactive"},
         "[设置], 授权来路, 文件类型 and 重定向到 are stored in UTF-8, not in code page 936"},
        {"UTF-8 with a byte-order mark is read, but fragile",
         std::string("\xEF\xBB\xBF") + kUtf8Settings,
         {"utf8-mark"},
         "filter: active"},
        {"names stored in UTF-16 without a mark",
         utf16le(kUtf16Settings),
         {"encoding", "inactive", "inactive"},
         "stored in UTF-16LE without a byte-order mark"},
        {"UTF-16 with its mark is read", "\xFF\xFE" + utf16le(kUtf16Settings), {}, "filter: active"},
        {"one key appended in UTF-8",
         std::string("[") + kSettingsSection + "]\r\n" + kAuthorizedReferersKey + "=" + kOurs +
             "\r\n文件类型=.jpg\r\n",
         {"encoding", "inactive"},
         "文件类型 is stored in UTF-8"},
        {"names lost to question marks",
         "[??]\r\n???"
         "?=http://ours.example/\r\n",
         {"lost-names", "inactive", "inactive"},
         "made only of \"?\""},
        {"no section",
         "[other]\r\nx=1\r\n",
         {"inactive", "inactive"},
         "filter: inactive, every request passes"},
        {"no protected suffixes",
         settings(kOurs, "", "/nolink.htm"),
         {"inactive"},
         "文件类型 (protected suffixes): no entries"},
        {"no authorized referers",
         settings("", ".jpg", ""),
         {"inactive"},
         "授权来路 (authorized referers) has no"},
        {"trailing separator adds no entry",
         settings("http://ours.example/|https://ours.example/|", ".jpg|", ""),
         {},
         "2 entries"},
        {"doubled separator in the authorized list",
         settings("http://ours.example/||https://ours.example/", ".jpg", ""),
         {"empty-entry"},
         "授权来路 entry 2 is empty (from two \"|\" in a row): it matches every Referer"},
        {"leading separator in the authorized list",
         settings("|http://ours.example/|https://ours.example/", ".jpg", ""),
         {"empty-entry"},
         "entry 1 is empty (from a \"|\" at the start)"},
        {"two trailing separators in the protected list",
         settings(kOurs, ".jpg||", ""),
         {"empty-entry"},
         "文件类型 entry 2 is empty (from two \"|\" in a row): it matches every URL"},
        {"blanks beside separators",
         settings("http://ours.example/ | https://ours.example/", ".jpg| .gif", ""),
         {"blanks", "blanks", "blanks"},
         "  2 [ https://ours.example/]"},
        {"protected entry without a dot", settings(kOurs, ".jpg|zip", ""), {"no-dot"}, "end in \"azip\""},
        {"prefix ends at the host name",
         settings("http://ours.example|https://ours.example/", ".jpg", ""),
         {"host-without-slash"},
         "also matches http://ours.example.evil.example/"},
        {"prefix ends at the port",
         settings("http://ours.example:8080|https://ours.example:8080/", ".jpg", ""),
         {"host-without-slash"},
         "also matches http://ours.example:80800/"},
        {"prefix with a path",
         settings("http://ours.example/|https://ours.example/pics/|https://ours.example/", ".jpg", ""),
         {"path-beyond-origin"},
         "only the origin https://ours.example/"},
        {"prefix without a scheme",
         settings("www.ours.example/|http://ours.example/|https://ours.example/", ".jpg", ""),
         {"no-scheme"},
         "so this entry never matches"},
        {"prefix that is only a scheme",
         settings("https://|http://ours.example/|https://ours.example/", ".jpg", ""),
         {"any-site"},
         "it matches every https:// Referer"},
        {"origin for http only",
         settings("http://ours.example/", ".jpg", ""),
         {"scheme-pair"},
         "for http:// but not for https://"},
        {"origin for https only",
         settings("https://ours.example/", ".jpg", ""),
         {"scheme-pair"},
         "for https:// but not for http://"},
        {"schemes and hosts in any case pair",
         settings("HTTP://OURS.EXAMPLE/|https://ours.example/", ".jpg", ""),
         {},
         "no warnings"},
        {"list longer than the filter reads",
         settings(kOurs, repeated(".jpg|", 2100), ""),
         {"too-long"},
         "文件类型 is 10500 bytes long and the filter reads only its first 10239: it keeps 2048 of 2100 "
         "entries [too-long]"},
        {"last entry cut short",
         settings(kOurs, ".x|" + repeated(".jpg|", 2100), ""),
         {"too-long"},
         "it keeps 2049 of 2101 entries, the last of them cut short"},
        {"redirect target longer than the filter reads",
         settings(kOurs, ".jpg", "/" + std::string(10239, 'a')),
         {"too-long"},
         "重定向到 is 10240 bytes long"},
        {"redirect target of exactly the limit",
         settings(kOurs, ".jpg", "/" + std::string(10238, 'a')),
         {},
         "no warnings"},
        {"redirect target that is protected",
         settings(kOurs, ".jpg|.gif", "/nolink.GIF"),
         {"protected-target"},
         "重定向到 [/nolink.GIF] ends in protected 文件类型 entry 2 [.gif]"},
        {"redirect target with a query after the suffix",
         settings(kOurs, ".jpg", "/nolink.jpg?x=1"),
         {},
         "no warnings"},
    };
}

TEST(QuorvaneCheck, WarnsAboutWhatMakesTheFilterSilentlyWrong) {
    for (const CheckCase& c : checkCases()) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        dir.write("settings.ini", c.file);
        const ProgramRun run = runQuorvane({"check", "settings.ini"}, dir.path());
        EXPECT_EQ(run.status, c.tags.empty() ? 0 : 1);
        EXPECT_EQ(warningTags(run.out), c.tags) << run.out;
        EXPECT_NE(run.out.find(c.shows), std::string::npos) << run.out;
    }
}

struct ShowCase {
    const char* name;
    std::string_view bytes;  // code page 936, as the redirect target
    const char* shown;
};

const ShowCase kShowCases[] = {
    {"two-byte characters as themselves", "/\xB7\xC0\xB5\xC1.htm", "/防盗.htm"},
    {"tab inside a value", "/a\tb", "/a\\x09b"},
    {"backslash doubled, so escapes stay readable", "/a\\x", "/a\\\\x"},
    {"euro sign, the single byte 80", "/\x80", "/€"},
    {"a pair only the private use area holds", "/\xAA\xA1", "/\\xAA\\xA1"},
    {"the single byte FF", "/\xFF", "/\\xFF"},
};

TEST(QuorvaneCheck, ShowsBytesThatAreNoCharacterAsEscapes) {
    for (const ShowCase& c : kShowCases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        dir.write("Quorvane.ini", settingsFileBytes(kOurs, ".jpg", c.bytes));
        const ProgramRun run = runQuorvane({"check"}, dir.path());
        EXPECT_NE(run.out.find("重定向到 (redirect target): [" + std::string(c.shown) + "]\n"),
                  std::string::npos)
            << run.out;
    }
}

TEST(QuorvaneCheck, NumbersEntriesToTheWidthOfTheCount) {
    const TempDir dir;
    dir.write("Quorvane.ini", settingsFileBytes(kOurs, repeated(".jpg|", 9) + ".gif|.zip", ""));
    const ProgramRun run = runQuorvane({"check"}, dir.path());
    EXPECT_NE(run.out.find("11 entries\n   1 [.jpg]\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n  11 [.zip]\n"), std::string::npos) << run.out;
}

TEST(QuorvaneCheck, AFileItCannotReadIsAnError) {
    const TempDir dir;
    ProgramRun run = runQuorvane({"check"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quorvane: cannot read Quorvane.ini: No such file or directory\n");
    EXPECT_EQ(run.out, "");

    run = runQuorvane({"check", "."}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quorvane: cannot read .: Is a directory\n");
}

}  // namespace
}  // namespace quorvane::test
