// tests/settings_test.cpp -- settings path, list splitting, value reading and loading from files.
#include "policy/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/settings_builder.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

using test::entriesOf;
using test::settingsFileBytes;
using test::TempDir;

struct PathCase {
    const char* name;
    std::string_view modulePath, settingsPath;
};

const PathCase kPathCases[] = {
    {"module beside its settings", "D:\\web\\filters\\Quorvane.dll", "D:\\web\\filters\\Quorvane.ini"},
    {"name in upper case", "D:\\web\\filters\\QUORVANE.DLL", "D:\\web\\filters\\Quorvane.ini"},
    {"name twice, once as a directory", "D:\\Quorvane.dll\\Quorvane.dll", "D:\\\\Quorvane.ini"},
    {"another module name", "C:\\server\\host.exe", "C:\\server\\host.exeQuorvane.ini"},
    {"empty path", "", "Quorvane.ini"},
    {"name shorter than the rest", "uorvane.dll", "uorvane.dllQuorvane.ini"},
    {"two-byte character ending in Q keeps the name", "D:\\\x81Quorvane.dll",
     "D:\\\x81Quorvane.dllQuorvane.ini"},
    {"two-byte character before the name", "D:\\\xB0\xA1Quorvane.dll", "D:\\\xB0\xA1Quorvane.ini"},
    {"blanks only", "   ", "   Quorvane.ini"},
    {"Linux directory", "/srv/quorvane/", "/srv/quorvane/Quorvane.ini"},
};

TEST(SettingsFilePath, RemovesEveryModuleNameAndAppendsTheSettingsName) {
    for (const PathCase& c : kPathCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(settingsFilePath(c.modulePath).view(), c.settingsPath);
    }
}

struct SplitCase {
    const char* name;
    std::string_view value;
    std::vector<std::string> entries;
};

const SplitCase kSplitCases[] = {
    {"empty", "", {}},
    {"one entry", "a", {"a"}},
    {"two entries", "a|b", {"a", "b"}},
    {"trailing separator adds nothing", "a|b|", {"a", "b"}},
    {"leading separator", "|a", {"", "a"}},
    {"doubled separator", "a||b", {"a", "", "b"}},
    {"one separator", "|", {""}},
    {"two separators", "||", {"", ""}},
    {"two trailing separators", "a|b||", {"a", "b", ""}},
    {"blanks belong to entries", " a | b ", {" a ", " b "}},
    {"7C as a trail byte does not separate", "a\x81|b", {"a\x81|b"}},
    {"lone lead byte at the end stays", "a|b\x81", {"a", "b\x81"}},
    {"lone lead byte right after a separator", "a|\x81", {"a", "\x81"}},
};

TEST(SplitSettingsList, CutsAtSeparatorsOutsideTwoByteCharacters) {
    for (const SplitCase& c : kSplitCases) {
        SCOPED_TRACE(c.name);
        const TextList list = splitSettingsList(c.value);
        EXPECT_TRUE(list.exists());
        EXPECT_EQ(entriesOf(list), c.entries);
    }
}

TEST(SplitSettingsList, SeparatorsOnlyGiveThatManyEmptyEntries) {
    for (int n = 1; n < 40; ++n) {
        const TextList list = splitSettingsList(std::string(static_cast<std::size_t>(n), '|'));
        EXPECT_EQ(list.size(), n);
    }
}

class SettingsFileTest : public ::testing::Test {
protected:
    std::string modulePath() const { return dir.file("Quorvane.dll"); }
    void writeSettings(std::string_view bytes) const { dir.write("Quorvane.ini", bytes); }
    FilterSettings loaded() const {
        FilterSettings settings;
        initFilterSettings(settings);
        loadFilterSettings(modulePath(), settings);
        return settings;
    }
    TempDir dir;
};

TEST_F(SettingsFileTest, LoadsTheThreeValues) {
    writeSettings(settingsFileBytes("http://a.example/|http://b.example/", ".jpg|.gif|.zip", "/nolink.htm"));
    const FilterSettings settings = loaded();
    EXPECT_EQ(entriesOf(settings.authorizedReferers),
              (std::vector<std::string>{"http://a.example/", "http://b.example/"}));
    EXPECT_EQ(settings.authorizedRefererCount, 2);
    EXPECT_EQ(entriesOf(settings.protectedSuffixes), (std::vector<std::string>{".jpg", ".gif", ".zip"}));
    EXPECT_EQ(settings.protectedSuffixCount, 3);
    EXPECT_EQ(settings.redirectTarget.view(), "/nolink.htm");
}

TEST_F(SettingsFileTest, MissingFileGivesEmptySettings) {
    const FilterSettings settings = loaded();
    EXPECT_TRUE(settings.authorizedReferers.exists());
    EXPECT_EQ(settings.authorizedRefererCount, 0);
    EXPECT_EQ(settings.protectedSuffixCount, 0);
    EXPECT_TRUE(settings.redirectTarget.empty());
}

TEST_F(SettingsFileTest, MissingKeyEmptiesOnlyItsField) {
    writeSettings(std::string("[") + kSettingsSection + "]\n" + kAuthorizedReferersKey + "=http://a/\n" +
                  kRedirectTargetKey + "=/x.htm\n");
    const FilterSettings settings = loaded();
    EXPECT_EQ(settings.authorizedRefererCount, 1);
    EXPECT_EQ(settings.protectedSuffixCount, 0);
    EXPECT_TRUE(settings.protectedSuffixes.exists());
    EXPECT_EQ(settings.redirectTarget.view(), "/x.htm");
}

TEST_F(SettingsFileTest, SecondLoadReplacesEveryField) {
    writeSettings(settingsFileBytes("http://a/|http://b/", ".jpg", "/first.htm"));
    FilterSettings settings = loaded();
    writeSettings(settingsFileBytes("http://c/", ".png|.zip", ""));
    loadFilterSettings(modulePath(), settings);
    EXPECT_EQ(entriesOf(settings.authorizedReferers), (std::vector<std::string>{"http://c/"}));
    EXPECT_EQ(settings.authorizedRefererCount, 1);
    EXPECT_EQ(entriesOf(settings.protectedSuffixes), (std::vector<std::string>{".png", ".zip"}));
    EXPECT_EQ(settings.protectedSuffixCount, 2);
    EXPECT_TRUE(settings.redirectTarget.empty());
}

TEST_F(SettingsFileTest, LongValueIsCutAt10239Bytes) {
    const std::string longValue = std::string(10230, 'a') + "|.jpg|.gif";  // 10240 bytes
    writeSettings(settingsFileBytes("http://a/", longValue, std::string(20000, 't')));
    const FilterSettings settings = loaded();
    ASSERT_EQ(settings.protectedSuffixCount, 3);
    EXPECT_EQ(settings.protectedSuffixes[2].view(), ".gi");  // the cut falls inside an entry
    EXPECT_EQ(settings.redirectTarget.size(), kSettingsValueLimit);
}

TEST_F(SettingsFileTest, NamesStoredInUtf8FindNothing) {
    writeSettings(
        "[\xE8\xAE\xBE\xE7\xBD\xAE]\n"                                  // 设置
        "\xE6\x8E\x88\xE6\x9D\x83\xE6\x9D\xA5\xE8\xB7\xAF=http://a/\n"  // 授权来路
        "\xE6\x96\x87\xE4\xBB\xB6\xE7\xB1\xBB\xE5\x9E\x8B=.jpg\n");     // 文件类型
    const FilterSettings settings = loaded();
    EXPECT_EQ(settings.authorizedRefererCount, 0);
    EXPECT_EQ(settings.protectedSuffixCount, 0);
}

struct ReadCase {
    const char* name;
    std::string pathPrefix;
    const char* section;
    const char* key;
    std::string_view value;
};

TEST_F(SettingsFileTest, ReadSkipsLeadingControlBytesOnly) {
    writeSettings(settingsFileBytes("http://a/", ".jpg", " /x.htm "));
    const std::string path = dir.file("Quorvane.ini");
    const ReadCase cases[] = {
        {"plain", "", kSettingsSection, kRedirectTargetKey, "/x.htm"},
        {"blanks and controls before the path", " \t\x01", kSettingsSection, kRedirectTargetKey, "/x.htm"},
        {"blank before the key", "", kSettingsSection, " \xD6\xD8\xB6\xA8\xCF\xF2\xB5\xBD", "/x.htm"},
        {"empty section", "", "", kRedirectTargetKey, ""},
        {"section of blanks only", "", "  \t", kRedirectTargetKey, ""},
        {"empty key", "", kSettingsSection, "", ""},
        {"unknown key", "", kSettingsSection, "nope", ""},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readSettingsValue((c.pathPrefix + path).c_str(), c.section, c.key).view(), c.value);
    }
    EXPECT_EQ(readSettingsValue("  \t", kSettingsSection, kRedirectTargetKey).view(), "");
}

TEST(FilterSettingsLife, InitCreatesEmptyListsAndReleaseFreesThem) {
    FilterSettings settings;
    EXPECT_FALSE(settings.authorizedReferers.exists());
    initFilterSettings(settings);
    EXPECT_TRUE(settings.authorizedReferers.exists());
    EXPECT_TRUE(settings.protectedSuffixes.exists());
    EXPECT_FALSE(settings.redirectTarget.holdsBlock());
    releaseFilterSettings(settings);
    EXPECT_FALSE(settings.authorizedReferers.exists());
    EXPECT_FALSE(settings.protectedSuffixes.exists());
}

}  // namespace
}  // namespace quorvane
