// tests/profile_reader_test.cpp -- readProfileValue against small files, one table per rule.
#include "policy/profile_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

namespace quorvane {
namespace {

using namespace std::string_literals;

// The settings file's names in code page 936.
const std::string kSection = "\xC9\xE8\xD6\xC3";                   // 设置
const std::string kReferers = "\xCA\xDA\xC8\xA8\xC0\xB4\xC2\xB7";  // 授权来路
const std::string kSuffixes = "\xCE\xC4\xBC\xFE\xC0\xE0\xD0\xCD";  // 文件类型
const std::string kRedirect = "\xD6\xD8\xB6\xA8\xCF\xF2\xB5\xBD";  // 重定向到
const std::string kHead = "[" + kSection + "]\r\n";

constexpr std::size_t kBufferSize = 10240;

// Calls readProfileValue with guard bytes after the buffer and checks that they survive and
// that the result is terminated inside the buffer.
std::string readValue(const std::string& path, const std::string& section, const std::string& key,
                      std::size_t bufferSize = kBufferSize) {
    constexpr char kGuard = '\x5A';
    std::vector<char> buffer(bufferSize + 16, kGuard);
    readProfileValue(section.c_str(), key.c_str(), path.c_str(), buffer.data(), bufferSize);
    for (std::size_t i = bufferSize; i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], kGuard) << "wrote past the buffer at " << i;
    }
    const std::string_view written(buffer.data(), bufferSize);
    const std::size_t end = written.find('\0');
    EXPECT_NE(end, std::string_view::npos) << "not terminated";
    return std::string(written.substr(0, end));
}

struct FileCase {
    const char* name;
    std::string file;
    std::string want;
    std::string section = kSection;
    std::string key = kReferers;
};

void expectAll(const std::vector<FileCase>& cases) {
    test::TempDir dir;
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.write("settings.ini", c.file);
        EXPECT_EQ(readValue(path, c.section, c.key), c.want);
    }
}

TEST(ReadProfileValue, LinesAndBlanks) {
    expectAll({
        {"CRLF", kHead + kReferers + "=a\r\n" + kSuffixes + "=b\r\n", "a"},
        {"LF", "[" + kSection + "]\n" + kReferers + "=a\n", "a"},
        {"CR", "[" + kSection + "]\r" + kReferers + "=a\r", "a"},
        {"no end on the last line", kHead + kReferers + "=a", "a"},
        {"blank lines and runs of line ends", "\r\n\n" + kHead + "\r\r\n\n" + kReferers + "=a", "a"},
        {"blanks around the section name", "  [ \t" + kSection + " \t]  \r\n" + kReferers + "=a", "a"},
        {"blanks around key, '=' and value", kHead + " \t" + kReferers + " \t= \t a  b \t\r\n", "a  b"},
        {"VT, FF and 0x1A are blanks too", kHead + kReferers + "=\v\fa\x1A\r\n", "a"},
        {"empty value", kHead + kReferers + "=\r\n", ""},
        {"later keys", kHead + kSuffixes + "=x\r\n" + kRedirect + "=y\r\n" + kReferers + "=a\r\n", "a"},
        {"third key", kHead + kReferers + "=x\r\n" + kRedirect + "=y\r\n", "y", kSection, kRedirect},
        {"a second '=' belongs to the value", kHead + kReferers + "=a=b", "a=b"},
        {"a blank inside the name is kept", kHead + "\xCA\xDA \xC8\xA8\xC0\xB4\xC2\xB7=a", ""},
    });
}

TEST(ReadProfileValue, SectionsAndKeys) {
    expectAll({
        {"no such section", "[other]\r\n" + kReferers + "=a\r\n", ""},
        {"no such key", kHead + kSuffixes + "=a\r\n", ""},
        {"key in another section", "[other]\r\n" + kReferers + "=a\r\n" + kHead, ""},
        {"key before any section", kReferers + "=a\r\n" + kHead, ""},
        {"empty section name reads keys before any section", kReferers + "=a\r\n" + kHead, "a", ""},
        {"ASCII case ignored", "[Settings]\r\nReferers=a\r\n", "a", "SETTINGS", "rEFERERS"},
        {"fullwidth letters keep their case", "[\xA3\xE1]\r\nk=a\r\n", "", "\xA3\xC1", "k"},
        {"Greek letters keep their case", "[\xA6\xC1]\r\nk=a\r\n", "", "\xA6\xA1", "k"},
        {"blanks around the names asked for", kHead + kReferers + "=a", "a", " " + kSection + "\t",
         " " + kReferers + " "},
        {"only the first section of the name", kHead + kSuffixes + "=x\r\n" + kHead + kReferers + "=a", ""},
        {"first key wins", kHead + kReferers + "=a\r\n" + kReferers + "=b\r\n", "a"},
        {"first key wins even when empty", kHead + kReferers + "=\r\n" + kReferers + "=b\r\n", ""},
        {"a line without '=' has no value", kHead + kReferers + "\r\n", ""},
        {"a line without '=' hides a later key", kHead + kReferers + "\r\n" + kReferers + "=b\r\n", ""},
        {"text after the last ']' ignored", "[" + kSection + "] ; note\r\n" + kReferers + "=a", "a"},
        {"section name up to the last ']'", "[" + kSection + "]x]\r\n" + kReferers + "=a", ""},
        {"'[' without ']' is a key line", "[" + kSection + "\r\n" + kReferers + "=a", ""},
        {"comment lines never match",
         kHead + ";" + kReferers + "=x\r\n#" + kReferers + "=y\r\n" + kReferers + "=a", "a"},
        {"commented-out section", ";" + kHead + kReferers + "=a\r\n", ""},
        {"a key line does not end the section", kHead + "junk\r\n" + kReferers + "=a", "a"},
    });
}

TEST(ReadProfileValue, Quotes) {
    expectAll({
        {"double quotes", kHead + kReferers + "=\"a b\"", "a b"},
        {"single quotes", kHead + kReferers + "='a b'", "a b"},
        {"blanks inside quotes kept", kHead + kReferers + "=\" a \"", " a "},
        {"empty quoted value", kHead + kReferers + "=\"\"", ""},
        {"a lone quote stays", kHead + kReferers + "=\"", "\""},
        {"opening quote only", kHead + kReferers + "=\"a", "\"a"},
        {"closing quote only", kHead + kReferers + "=a\"", "a\""},
        {"different quotes", kHead + kReferers + "=\"a'", "\"a'"},
        {"quotes inside", kHead + kReferers + "=a\"b\"c", "a\"b\"c"},
        {"only the outer pair goes", kHead + kReferers + "=\"\"a\"\"", "\"a\""},
    });
}

TEST(ReadProfileValue, ZeroBytes) {
    expectAll({
        {"ends a value", kHead + kReferers + "=ab\0cd\r\n"s, "ab"},
        {"ends a key name", kHead + kReferers + "\0junk=a\r\n"s, "a"},
        {"ends a section name", "[" + kSection + "\0junk]\r\n"s + kReferers + "=a", "a"},
        {"before the closing quote", kHead + kReferers + "=\"ab\0\"\r\n"s, "\"ab"},
    });
}

TEST(ReadProfileValue, CodePage936Bytes) {
    expectAll({
        {"two-byte characters", kHead + kReferers + "=\xB0\xA1z\xFE\xFE", "\xB0\xA1z\xFE\xFE"},
        {"private use characters", kHead + kReferers + "=\xAA\xA1\xA1\x40\xFE\x50",
         "\xAA\xA1\xA1\x40\xFE\x50"},
        {"single bytes 80 and FF", kHead + kReferers + "=\x80\xFF", "\x80\xFF"},
        {"trail byte 'a' is not a letter", kHead + kReferers + "=\x81\x61", "\x81\x61"},
        {"invalid pair reads as '?'", kHead + kReferers + "=a\x81\x30z", "a?z"},
        {"invalid pair swallows a line end", kHead + kReferers + "=a\x81\n" + kSuffixes + "=b",
         "a?" + kSuffixes + "=b"},
        {"lead byte before a zero byte", kHead + kReferers + "=a\x81\0b"s, "a?"},
        {"lead byte at the end of the file", kHead + kReferers + "=a\x81", "a?"},
        {"names in UTF-8 without a byte-order mark",
         "[\xE8\xAE\xBE\xE7\xBD\xAE]\r\n\xE6\x8E\x88\xE6\x9D\x83\xE6\x9D\xA5\xE8\xB7\xAF=a\r\n", ""},
    });
}

// Text as UTF-16 bytes, with a byte-order mark.
std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string utf8(std::u8string_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size()};
}

const std::u16string kUnicodeFile =
    u"[\u8BBE\u7F6E]\r\n\u6388\u6743\u6765\u8DEF = \u503C\u00C0\U0001F600\uE000\r\n";
const std::string kUnicodeWant =
    "\xD6\xB5?\?\?\xAA\xA1";  // 值, no character for U+00C0 nor the two surrogates

TEST(ReadProfileValue, UnicodeFiles) {
    const std::string utf8Bom = "\xEF\xBB\xBF";
    expectAll({
        {"UTF-8 with a byte-order mark",
         utf8Bom + utf8(u8"[\u8BBE\u7F6E]\r\n\u6388\u6743\u6765\u8DEF = "
                        u8"\u503C\u00C0\U0001F600\uE000\r\n"),
         kUnicodeWant},
        {"UTF-16LE", utf16(kUnicodeFile, false), kUnicodeWant},
        {"UTF-16BE", utf16(kUnicodeFile, true), kUnicodeWant},
        {"UTF-16LE, ASCII case ignored", utf16(u"[SET]\rKEY=a", false), "a", "set", "key"},
        {"UTF-16LE, last odd byte ignored", utf16(u"[s]\nk=ab", false) + "\x41", "ab", "s", "k"},
        {"UTF-16LE, lone surrogate", utf16(u"[s]\nk=a\xD800z", false), "a?z", "s", "k"},
        {"UTF-16LE, zero unit ends the value", utf16(u"[s]\nk=a\0b"s, false), "a", "s", "k"},
        {"UTF-8, malformed sequences", utf8Bom + "[s]\nk=a\xE4\xB8x\xC0\xAFz\x80z", "a?x??z?z", "s", "k"},
        {"UTF-8, sequence cut by the end of the file", utf8Bom + "[s]\nk=ab\xE5\x80", "ab?", "s", "k"},
        {"UTF-8, surrogate code point", utf8Bom + "[s]\nk=a\xED\xA0\x80z", "a??z", "s", "k"},
        {"mark alone", utf8Bom, ""},
        {"UTF-16 mark alone", "\xFF\xFE", ""},
    });
}

TEST(ReadProfileValue, CutsLongValues) {
    struct Row {
        const char* name;
        std::string value;
        std::size_t bufferSize;
        std::string want;
    };
    std::string chinese;
    for (int i = 0; i < 5120; ++i) chinese += "\xB0\xA1";  // 10240 bytes
    const std::vector<Row> rows = {
        {"10239 bytes fit", std::string(10239, 'a'), kBufferSize, std::string(10239, 'a')},
        {"10240 bytes lose one", std::string(10240, 'a'), kBufferSize, std::string(10239, 'a')},
        {"20000 bytes", std::string(20000, 'a'), kBufferSize, std::string(10239, 'a')},
        {"never half a character", chinese, kBufferSize, chinese.substr(0, 10238)},
        {"one-byte buffer", "abc", 1, ""},
        {"short buffer", "abcdef", 4, "abc"},
        {"quoted, fits", "\"abcdef\"", 8, "abcdef"},
        {"quoted, exactly the buffer after the opening quote", "\"abcdefg\"", 8, "abcdef"},
        {"quoted, longer", "\"abcdefgh\"", 8, "abcdefg"},
    };
    test::TempDir dir;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string path = dir.write("long.ini", kHead + kReferers + "=" + r.value + "\r\n");
        EXPECT_EQ(readValue(path, kSection, kReferers, r.bufferSize), r.want);
    }
}

TEST(ReadProfileValue, CharactersAcrossBlockBoundaries) {
    // Long values shifted byte by byte, so that characters straddle the reader's blocks.
    std::string chinese, utf8Chinese;
    std::u16string utf16Chinese;
    for (int i = 0; i < 50000; ++i) {
        chinese += "\xB0\xA1";
        utf8Chinese += "\xE5\x95\x8A";
        utf16Chinese += u'\u554A';
    }
    test::TempDir dir;
    for (int shift = 0; shift < 4; ++shift) {
        SCOPED_TRACE(shift);
        const std::string pad(static_cast<std::size_t>(shift), 'p');
        const std::size_t big = 200000;
        const std::string cp936File = kHead + pad + "\r\n" + kReferers + "=" + chinese + "\r\n";
        EXPECT_EQ(readValue(dir.write("a.ini", cp936File), kSection, kReferers, big), chinese);
        const std::string utf8File = "\xEF\xBB\xBF[s]\n" + pad + "\nk=" + utf8Chinese + "\n";
        EXPECT_EQ(readValue(dir.write("b.ini", utf8File), "s", "k", big), chinese);
        const std::u16string text =
            u"[s]\n" + std::u16string(static_cast<std::size_t>(shift), u'p') + u"\nk=" + utf16Chinese + u"\n";
        EXPECT_EQ(readValue(dir.write("c.ini", utf16(text, false)), "s", "k", big), chinese);
    }
}

TEST(ReadProfileValue, KeyAfterManyLines) {
    std::string file = kHead;
    for (int i = 0; i < 100000; ++i) file += "other" + std::to_string(i) + "=some value\r\n";
    file += kReferers + "=a\r\n";
    test::TempDir dir;
    EXPECT_EQ(readValue(dir.write("big.ini", file), kSection, kReferers), "a");
}

TEST(ReadProfileValue, FilesThatCannotBeRead) {
    test::TempDir dir;
    EXPECT_EQ(readValue(dir.file("missing.ini"), kSection, kReferers), "");
    EXPECT_EQ(readValue(dir.path(), kSection, kReferers), "");
    EXPECT_EQ(readValue(dir.write("empty.ini", ""), kSection, kReferers), "");
    EXPECT_EQ(readValue(dir.file("missing/settings.ini"), kSection, kReferers), "");
    EXPECT_EQ(readValue("", kSection, kReferers), "");
}

TEST(ReadProfileValue, BareFileNameIsTakenFromTheWorkingDirectory) {
    test::TempDir dir;
    dir.write("bare.ini", kHead + kReferers + "=a\r\n");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::string value = readValue("bare.ini", kSection, kReferers);
    std::filesystem::current_path(previous);
    EXPECT_EQ(value, "a");
}

TEST(ReadProfileValue, NullArgumentsGiveTheEmptyText) {
    test::TempDir dir;
    const std::string path = dir.write("s.ini", kHead + kReferers + "=a\r\n");
    char buffer[8] = "xxxxxxx";
    readProfileValue(nullptr, kReferers.c_str(), path.c_str(), buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");
    std::copy_n("xxxxxxx", 8, buffer);
    readProfileValue(kSection.c_str(), nullptr, path.c_str(), buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");
    std::copy_n("xxxxxxx", 8, buffer);
    readProfileValue(kSection.c_str(), kReferers.c_str(), nullptr, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");
    std::copy_n("xxxxxxx", 8, buffer);
    readProfileValue(kSection.c_str(), kReferers.c_str(), path.c_str(), buffer, 0);
    EXPECT_STREQ(buffer, "xxxxxxx") << "a zero-size buffer is not touched";
    readProfileValue(kSection.c_str(), kReferers.c_str(), path.c_str(), nullptr, 8);  // no crash
}

}  // namespace
}  // namespace quorvane
