// fuzz/reference_decision.cpp -- the reference decision, one rule at a time.
#include "fuzz/reference_decision.h"

#include <locale.h>
#include <wctype.h>

#include <cstdio>
#include <cstdlib>

#include "policy/cp936.h"

namespace quorvane {
namespace {

// The system's texts stop at their first zero byte.
std::string asText(std::string_view bytes) { return std::string(bytes.substr(0, bytes.find('\0'))); }

// The C library's case mapping for the locale of code page 936. Found once; without it the
// oracle would be wrong, so it stops the program instead.
locale_t chineseLocale() {
    static const locale_t locale = [] {
        for (const char* name : {"zh_CN.UTF-8", "zh_CN.utf8", "C.UTF-8"}) {
            if (const locale_t found = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr))) {
                return found;
            }
        }
        std::fputs("reference decision: no zh_CN.UTF-8 or C.UTF-8 locale (script/bootstrap makes one)\n",
                   stderr);
        std::abort();
    }();
    return locale;
}

enum class Step { Character, End, NotACharacter };

// Reads the character at `at` into `folded`, in its compared form, and moves past it.
Step readCharacter936(const std::string& text, std::size_t& at, std::string& folded) {
    const auto byte = static_cast<unsigned char>(text.c_str()[at]);
    if (byte == 0) return Step::End;
    if (!isCp936LeadByte(byte)) {
        folded.assign(1, static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte));
        at += 1;
        return Step::Character;
    }
    const auto trail = static_cast<unsigned char>(text.c_str()[at + 1]);
    if (trail == 0) return Step::End;  // a lead byte before the terminating zero takes no part
    at += 2;
    folded = referenceUpperForm(byte, trail);
    return folded.empty() ? Step::NotACharacter : Step::Character;
}

bool equalsIgnoreCase936(const std::string& a, const std::string& b) {
    std::size_t atA = 0;
    std::size_t atB = 0;
    for (;;) {
        std::string charA;
        std::string charB;
        const Step stepA = readCharacter936(a, atA, charA);
        const Step stepB = readCharacter936(b, atB, charB);
        if (stepA == Step::NotACharacter || stepB == Step::NotACharacter) return false;
        if (stepA == Step::End || stepB == Step::End) return stepA == stepB;
        if (charA != charB) return false;
    }
}

bool equalsIgnoreCaseSingleByte(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        const bool sameLetter = x >= 'A' && x <= 'Z'   ? y == x || y == x - 'A' + 'a'
                                : x >= 'a' && x <= 'z' ? y == x || y == x - 'a' + 'A'
                                                       : y == x;
        if (!sameLetter) return false;
    }
    return true;
}

}  // namespace

std::string referenceLeftBytes(std::string_view text, std::int32_t count) {
    const std::string whole = asText(text);
    if (count <= 0) return {};
    std::size_t n = static_cast<std::size_t>(count);
    if (n > whole.size()) n = whole.size();
    return whole.substr(0, n);
}

std::string referenceRightBytes(std::string_view text, std::int32_t count) {
    const std::string whole = asText(text);
    if (count <= 0) return {};
    std::size_t n = static_cast<std::size_t>(count);
    if (n > whole.size()) n = whole.size();
    return whole.substr(whole.size() - n);
}

std::string referenceUpperForm(unsigned char lead, unsigned char trail) {
    const char16_t unit = cp936PairToUnicode(lead, trail);
    if (unit == 0) return {};
    const wint_t upper = towupper_l(unit, chineseLocale());
    unsigned char bytes[2] = {0, 0};
    const int count = upper <= 0xFFFF ? unicodeToCp936(static_cast<char16_t>(upper), bytes) : 0;
    if (count == 0) return std::string{static_cast<char>(lead), static_cast<char>(trail)};
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
}

bool referenceEqualsIgnoreCase(std::string_view a, std::string_view b, const CodePage& codePage) {
    if (!codePage.doubleByte) return equalsIgnoreCaseSingleByte(asText(a), asText(b));
    if (codePage.number != 936) {
        std::fputs("reference decision: no data for this double-byte code page\n", stderr);
        std::abort();
    }
    return equalsIgnoreCase936(asText(a), asText(b));
}

RequestOutcome referenceDecision(const std::vector<std::string>& referers,
                                 const std::vector<std::string>& suffixes, std::string_view redirect,
                                 std::string_view referer, std::string_view url, const CodePage& codePage) {
    if (referers.empty() || suffixes.empty()) return RequestOutcome::Pass;
    if (asText(url).empty()) return RequestOutcome::Pass;
    for (const std::string& entry : referers) {
        const std::string prefix = asText(entry);
        const std::string start = referenceLeftBytes(referer, static_cast<std::int32_t>(prefix.size()));
        if (referenceEqualsIgnoreCase(start, prefix, codePage)) return RequestOutcome::Pass;
    }
    for (const std::string& entry : suffixes) {
        const std::string suffix = asText(entry);
        const std::string end = referenceRightBytes(url, static_cast<std::int32_t>(suffix.size()));
        if (referenceEqualsIgnoreCase(end, suffix, codePage)) {
            return asText(redirect).empty() ? RequestOutcome::Refuse : RequestOutcome::Redirect;
        }
    }
    return RequestOutcome::Pass;
}

std::string referenceRefusalPage(std::string_view clientAddress) {
    static const unsigned char head[] = {0xB6, 0xD4, 0xB2, 0xBB, 0xC6, 0xF0, 0x20, 0x3A, 0x3C, 0x62, 0x3E};
    static const unsigned char tail[] = {
        0x3C, 0x2F, 0x62, 0x3E, 0x20, 0x2C, 0x20, 0xD3, 0xC9, 0xD3, 0xDA, 0xC4, 0xFA, 0xB5, 0xC4, 0xC0, 0xB4,
        0xC2, 0xB7, 0xB2, 0xBB, 0xBA, 0xCF, 0xB7, 0xA8, 0x20, 0xB7, 0xFE, 0xCE, 0xF1, 0xC6, 0xF7, 0xBE, 0xDC,
        0xBE, 0xF8, 0xCF, 0xEC, 0xD3, 0xA6, 0xB1, 0xBE, 0xB4, 0xCE, 0xC7, 0xEB, 0xC7, 0xF3, 0x20, 0x2E, 0x20,
        0x3C, 0x62, 0x72, 0x3E, 'Q',  'u',  'o',  'r',  'v',  'a',  'n',  'e',  ' ',  'v',  '1',  '.',  '0'};
    static_assert(sizeof head == 11 && sizeof tail == 68);
    std::string page(reinterpret_cast<const char*>(head), sizeof head);
    page += asText(clientAddress);
    page.append(reinterpret_cast<const char*>(tail), sizeof tail);
    return page;
}

}  // namespace quorvane
