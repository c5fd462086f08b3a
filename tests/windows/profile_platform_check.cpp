// tests/windows/profile_platform_check.cpp -- the portable INI reader (what the Linux build
// uses) against the platform's GetPrivateProfileStringA, on the corpus of tricky settings
// files in tests/profile_corpus and on long values written here: every file, every section
// and key of a fixed list, a 10240-byte buffer as the filter uses. Runs under code page 936.
//
//   profile_platform_check CORPUS-DIRECTORY
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "policy/profile_reader.h"
#include "support/temp_dir.h"
#include "tests/windows/checks.h"

namespace quorvane::test {
namespace {

constexpr std::size_t kBufferSize = 10240;

// The names the corpus uses, and some it does not.
const char* const kSections[] = {
    "\xC9\xE8\xD6\xC3",  // 设置
    "Main",
    "main ",
    "MAIN",
    "Other",
    "Ma]in",
    "Missing",
    "\xA3\xCD"
    "ain",  // fullwidth M, then ain
};
const char* const kKeys[] = {
    "\xCA\xDA\xC8\xA8\xC0\xB4\xC2\xB7",  // 授权来路
    "\xCE\xC4\xBC\xFE\xC0\xE0\xD0\xCD",  // 文件类型
    "\xD6\xD8\xB6\xA8\xCF\xF2\xB5\xBD",  // 重定向到
    "k1",
    "k2",
    "k3",
    "k4",
    "k5",
    "k6",
    "k7",
    "k8",
    "k9",
    "k10",
    "k11",
    "k12",
    "k 5",
    "k1 ",
    "key",
    "KEY",
    "noeq",
    ";c",
    "#c",
    "\xA3\xCB"
    "ey",  // fullwidth K, then ey
};

// The value as the platform reads it into a buffer that held `fill` in every byte.
std::string platformValue(const std::string& path, const char* section, const char* key, char fill) {
    std::vector<char> buffer(kBufferSize, fill);
    GetPrivateProfileStringA(section, key, nullptr, buffer.data(), kBufferSize, path.c_str());
    return std::string(buffer.data(), strnlen(buffer.data(), kBufferSize));
}

std::string portableValue(const std::string& path, const char* section, const char* key) {
    std::vector<char> buffer(kBufferSize, '\0');
    readProfileValue(section, key, path.c_str(), buffer.data(), kBufferSize);
    return std::string(buffer.data(), strnlen(buffer.data(), kBufferSize));
}

// Long values around the buffer's size, the last ones quoted or ending in a two-byte character.
std::string longValuesFile() {
    const auto line = [](const char* key, const std::string& value) {
        return std::string(key) + "=" + value + "\r\n";
    };
    std::string text = "[Main]\r\n";
    text += line("k1", std::string(10239, 'a'));
    text += line("k2", std::string(10240, 'b'));
    text += line("k3", std::string(20000, 'c'));
    text += line("k4", std::string(10238, 'd') + "\xB0\xA1");  // the pair straddles the cut
    text += line("k5", std::string(10237, 'e') + "\xB0\xA1");  // the pair ends at the cut
    const auto quoted = [](char quote, std::size_t size, char filler) {
        std::string value(size + 2, filler);
        value.front() = value.back() = quote;
        return value;
    };
    text += line("k6", quoted('"', 10238, 'f'));
    text += line("k7", quoted('"', 10239, 'g'));
    text += line("k8", quoted('"', 10240, 'h'));
    text += line("k9", quoted('\'', 10241, 'i'));
    return text;
}

struct Tally {
    long queries = 0, differences = 0, fillDependent = 0;
};

void compareFile(Checks& checks, Tally& tally, const std::string& name, const std::string& path) {
    const long before = tally.differences;
    for (const char* section : kSections) {
        for (const char* key : kKeys) {
            ++tally.queries;
            const std::string where = name + " [" + printable(section) + "] " + printable(key);
            const std::string platform = platformValue(path, section, key, '\0');
            // Noted, not a difference: readSettingsValue clears its buffer for this reason.
            if (platformValue(path, section, key, '#') != platform) {
                ++tally.fillDependent;
                std::printf("  note: %s: the platform's answer keeps a byte of the buffer's old contents\n",
                            where.c_str());
            }
            const std::string portable = portableValue(path, section, key);
            if (portable != platform) {
                ++tally.differences;
                std::printf("  %s: platform %s, portable %s\n", where.c_str(), shown(platform).c_str(),
                            shown(portable).c_str());
            }
        }
    }
    checks.expect(tally.differences == before, name + ": same values as the platform");
}

}  // namespace
}  // namespace quorvane::test

int main(int argc, char** argv) {
    using namespace quorvane::test;
    if (argc != 2) {
        std::fprintf(stderr, "usage: profile_platform_check CORPUS-DIRECTORY\n");
        return 2;
    }
    std::printf("GetACP() = %u, expected 936\n", GetACP());
    if (GetACP() != 936) {
        std::printf("FAIL the ANSI code page is not 936 (is the zh_CN.UTF-8 locale installed?)\n");
        return 1;
    }
    const std::string corpus = windowsPath(argv[1]);
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((corpus + "\\*.ini").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do names.emplace_back(found.cFileName);
        while (FindNextFileA(search, &found) != FALSE);
        FindClose(search);
    }

    Checks checks;
    checks.expect(names.size() >= 20, "corpus found", std::to_string(names.size()) + " files in " + corpus);
    Tally tally;
    for (const std::string& name : names) compareFile(checks, tally, name, corpus + "\\" + name);
    const TempDir work;
    compareFile(checks, tally, "long values", work.write("long-values.ini", longValuesFile()));
    compareFile(checks, tally, "no such file", work.file("missing.ini"));
    std::printf("%zu files, %ld queries, %ld differences; %ld answers keep an old byte of the buffer\n",
                names.size() + 2, tally.queries, tally.differences, tally.fillDependent);
    return checks.finish();
}
