// tests/windows/cp936_platform_check.cpp -- the generated code page 936 table (what the
// Linux build uses) against the platform's own answers, code by code: validity and Unicode
// form of every byte and pair, the Unicode-to-bytes direction, lead bytes, and the
// upper-case form that the Windows build takes from the platform at attach.
// Runs under ANSI code page 936; any difference is a failure, printed with both answers.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "policy/code_page.h"
#include "policy/cp936.h"
#include "tests/windows/checks.h"

namespace quorvane::test {
namespace {

constexpr UINT kCp936 = 936;

// Collects the differences of one kind, printing the first few.
class Differences {
public:
    explicit Differences(const char* kind) : kind_(kind) {}

    void compare(bool same, const std::string& what) {
        ++compared_;
        if (same) return;
        if (++differ_ <= 20) std::printf("  %s differs: %s\n", kind_, what.c_str());
    }

    void report(Checks& checks) const {
        std::printf("%s: %ld compared, %ld differences\n", kind_, compared_, differ_);
        checks.expect(differ_ == 0, kind_, std::to_string(differ_) + " differences");
    }

private:
    const char* kind_;
    long compared_ = 0, differ_ = 0;
};

std::string code(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

// The platform's Unicode form of `bytes`, or 0 when it refuses them or gives more than one unit.
// Pairs are converted strictly, as the comparison's validity test does. Single bytes go
// through the plain conversion that the platform's profile reader uses: the strict one
// refuses the byte FF, which the plain one maps to U+F8F5 and back.
wchar_t platformUnit(const char* bytes, int count) {
    wchar_t units[2];
    const DWORD flags = count == 2 ? MB_ERR_INVALID_CHARS : 0;
    return MultiByteToWideChar(kCp936, flags, bytes, count, units, 2) == 1 ? units[0] : 0;
}

void checkBytesToUnicode(Checks& checks) {
    Differences singles("single bytes to Unicode");
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (isCp936LeadByte(static_cast<unsigned char>(byte))) continue;
        const char one = static_cast<char>(byte);
        const unsigned platform = platformUnit(&one, 1);
        const unsigned ours = cp936ByteToUnicode(static_cast<unsigned char>(byte));
        // A zero byte converts to U+0000, which both sides give as 0.
        singles.compare(platform == ours,
                        "byte " + code(byte) + ": platform " + code(platform) + ", ours " + code(ours));
    }
    singles.report(checks);

    Differences pairs("pairs to Unicode");
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0; trail < 256; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const unsigned platform = platformUnit(pair, 2);
            const unsigned ours =
                cp936PairToUnicode(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            pairs.compare(platform == ours, "pair " + code(lead << 8 | trail) + ": platform " +
                                                code(platform) + ", ours " + code(ours));
        }
    }
    pairs.report(checks);
}

// Exact conversions only: the platform's best-fit look-alikes are no conversion.
void checkUnicodeToBytes(Checks& checks) {
    Differences units("Unicode to bytes");
    for (unsigned unit = 1; unit <= 0xFFFF; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        const wchar_t wide = static_cast<wchar_t>(unit);
        char bytes[4];
        BOOL usedDefault = FALSE;
        int count = WideCharToMultiByte(kCp936, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes, nullptr,
                                        &usedDefault);
        if (usedDefault || count < 1 || platformUnit(bytes, count) != wide) count = 0;
        unsigned platform = 0;
        for (int i = 0; i < count; ++i) platform = platform << 8 | static_cast<unsigned char>(bytes[i]);

        unsigned char out[2];
        const int ourCount = unicodeToCp936(static_cast<char16_t>(unit), out);
        const unsigned ours = ourCount == 0 ? 0 : ourCount == 1 ? out[0] : (out[0] << 8 | out[1]);
        units.compare(platform == ours,
                      "U+" + code(unit) + ": platform " + code(platform) + ", ours " + code(ours));
    }
    units.report(checks);
}

// The record the Windows build fills from the platform at attach, against the Linux one.
void checkCaseMapping(Checks& checks) {
    platform::prepareBlockAllocator();
    platform::prepareAnsiCodePage();
    const CodePage& platform = platform::ansiCodePage();
    const CodePage& ours = codePage936();
    checks.expectNumber(platform.number, 936, "code page record: number");
    checks.expect(platform.doubleByte, "code page record: double-byte");

    Differences leads("lead bytes");
    for (unsigned byte = 0; byte < 256; ++byte) {
        leads.compare(platform.leadByte[byte] == ours.leadByte[byte],
                      "byte " + code(byte) + ": platform " + std::to_string(platform.leadByte[byte]) +
                          ", ours " + std::to_string(ours.leadByte[byte]));
    }
    leads.report(checks);

    Differences upper("upper-case forms");
    int changed = 0;
    for (unsigned pair = 0x8100; pair <= 0xFEFF; ++pair) {
        upper.compare(platform.pairUpper[pair] == ours.pairUpper[pair],
                      "pair " + code(pair) + ": platform " + code(platform.pairUpper[pair]) + ", ours " +
                          code(ours.pairUpper[pair]));
        changed += platform.pairUpper[pair] != 0 && platform.pairUpper[pair] != pair;
    }
    upper.report(checks);
    std::printf("pairs whose upper-case form is another character on the platform: %d\n", changed);
}

}  // namespace
}  // namespace quorvane::test

int main() {
    using namespace quorvane::test;
    std::printf("GetACP() = %u, expected 936\n", GetACP());
    if (GetACP() != kCp936) {
        std::printf("FAIL the ANSI code page is not 936 (is the zh_CN.UTF-8 locale installed?)\n");
        return 1;
    }
    Checks checks;
    checkBytesToUnicode(checks);
    checkUnicodeToBytes(checks);
    checkCaseMapping(checks);
    return checks.finish();
}
