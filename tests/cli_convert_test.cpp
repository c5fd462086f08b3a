// tests/cli_convert_test.cpp -- `quorvane convert`: UTF-8 settings files stored in code page 936.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli_runner.h"
#include "support/temp_dir.h"

namespace quorvane::test {
namespace {

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const char* const kSampleUtf8 =
    "[设置]\r\n"
    "授权来路=http://www.example.com/|https://www.example.com/\r\n"
    "文件类型=.jpg|.gif|.zip\r\n"
    "重定向到=/nolink.htm\r\n";

struct ConvertCase {
    const char* name;
    std::string in;
    std::string out;  // code page 936
};

std::vector<ConvertCase> convertCases() {
    const std::string sample = settingsFileBytes("http://www.example.com/|https://www.example.com/",
                                                 ".jpg|.gif|.zip", "/nolink.htm");
    return {
        {"sample settings, CRLF kept", kSampleUtf8, sample},
        {"byte-order mark dropped", std::string("\xEF\xBB\xBF") + kSampleUtf8, sample},
        {"LF kept, no line end at the end", "a=1\nb=2", "a=1\nb=2"},
        {"Chinese value and the euro sign", "x=/防盗链€.htm\n", "x=/\xB7\xC0\xB5\xC1\xC1\xB4\x80.htm\n"},
        {"empty file", "", ""},
    };
}

TEST(QuorvaneConvert, StoresUtf8InCodePage936) {
    for (const ConvertCase& c : convertCases()) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        dir.write("in.ini", c.in);
        const ProgramRun run = runQuorvane({"convert", "in.ini", "out.ini"}, dir.path());
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(run.out.starts_with("wrote out.ini in code page 936: ")) << run.out;
        EXPECT_EQ(readBytes(dir.file("out.ini")), c.out);
        EXPECT_EQ(readBytes(dir.file("in.ini")), c.in);
    }
}

TEST(QuorvaneConvert, TheConvertedSampleIsCleanForCheck) {
    const TempDir dir;
    dir.write("sample.ini", kSampleUtf8);
    const ProgramRun converted = runQuorvane({"convert", "sample.ini", "Quorvane.ini"}, dir.path());
    EXPECT_EQ(converted.out, "wrote Quorvane.ini in code page 936: 4 lines, 114 bytes\n");
    const ProgramRun checked = runQuorvane({"check"}, dir.path());
    EXPECT_EQ(checked.status, 0);
    EXPECT_NE(
        checked.out.find("文件类型 (protected suffixes): 3 entries\n  1 [.jpg]\n  2 [.gif]\n  3 [.zip]\n"),
        std::string::npos)
        << checked.out;
}

struct RefusalCase {
    const char* name;
    std::string in;
    const char* err;
};

std::vector<RefusalCase> refusalCases() {
    return {
        {"Hangul, which code page 936 lacks", "[设置]\n重定向到=/한.htm\n",
         "quorvane: in.ini:2:7: \"한\" (U+D55C) has no code page 936 form; out.ini not written\n"},
        {"beyond the basic plane", "a=😀",
         "quorvane: in.ini:1:3: \"😀\" (U+1F600) has no code page 936 form; out.ini not written\n"},
        {"columns count after a byte-order mark", "\xEF\xBB\xBF\xED\x95\x9C",
         "quorvane: in.ini:1:1: \"한\" (U+D55C) has no code page 936 form; out.ini not written\n"},
        {"a file already in code page 936", "[\xC9\xE8\xD6\xC3]\r\n",
         "quorvane: in.ini:1:2: byte C9 is not UTF-8 (is the file in code page 936 already?); out.ini not "
         "written\n"},
        {"sequence cut short by the end of the file", "a=\xE6\x96",
         "quorvane: in.ini:1:3: byte E6 is not UTF-8 (is the file in code page 936 already?); out.ini not "
         "written\n"},
        {"overlong form of \"/\"", "a=\xC0\xAF",
         "quorvane: in.ini:1:3: byte C0 is not UTF-8 (is the file in code page 936 already?); out.ini not "
         "written\n"},
        {"surrogate", "a=\xED\xA0\x80",
         "quorvane: in.ini:1:3: byte ED is not UTF-8 (is the file in code page 936 already?); out.ini not "
         "written\n"},
        {"UTF-16", std::string("\xFF\xFE[\0", 4),
         "quorvane: in.ini is UTF-16 (it starts with a UTF-16 byte-order mark): save it as UTF-8 first\n"},
    };
}

TEST(QuorvaneConvert, RefusesWithLineAndColumnAndLeavesOutAlone) {
    for (const RefusalCase& c : refusalCases()) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        dir.write("in.ini", c.in);
        ProgramRun run = runQuorvane({"convert", "in.ini", "out.ini"}, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, c.err);
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.ini")));

        dir.write("out.ini", "old");
        run = runQuorvane({"convert", "in.ini", "out.ini"}, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(readBytes(dir.file("out.ini")), "old");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
            << "a temporary file is left";
    }
}

TEST(QuorvaneConvert, NeverOverwritesItsInput) {
    const TempDir dir;
    dir.write("in.ini", kSampleUtf8);
    std::filesystem::create_symlink("in.ini", dir.file("link.ini"));
    for (const char* out : {"in.ini", "./in.ini", "link.ini"}) {
        SCOPED_TRACE(out);
        const ProgramRun run = runQuorvane({"convert", "in.ini", out}, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.ends_with(": convert never overwrites its input\n")) << run.err;
        EXPECT_EQ(readBytes(dir.file("in.ini")), kSampleUtf8);
    }
}

TEST(QuorvaneConvert, ReplacesAnExistingOutputKeepingItsPermissions) {
    const TempDir dir;
    dir.write("in.ini", "a=1\n");
    dir.write("out.ini", "old contents\n");
    ASSERT_EQ(::chmod(dir.file("out.ini").c_str(), 0640), 0);
    const ProgramRun run = runQuorvane({"convert", "in.ini", "out.ini"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(readBytes(dir.file("out.ini")), "a=1\n");
    struct stat status {};
    ASSERT_EQ(::stat(dir.file("out.ini").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(QuorvaneConvert, ReportsFilesItCannotReadOrWrite) {
    const TempDir dir;
    dir.write("in.ini", "a=1\n");
    ProgramRun run = runQuorvane({"convert", "none.ini", "out.ini"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quorvane: cannot read none.ini: No such file or directory\n");
    run = runQuorvane({"convert", "in.ini", "no/such/dir/out.ini"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quorvane: cannot write no/such/dir/out.ini: No such file or directory\n");
}

}  // namespace
}  // namespace quorvane::test
