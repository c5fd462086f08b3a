// tools/quorvane/display.cpp -- showCp936 and typedToCp936 over the code page 936 table.
#include "tools/quorvane/display.h"

#include <cstdio>

#include "policy/cp936.h"
#include "tools/quorvane/utf8.h"

namespace quorvane::cli {
namespace {

constexpr bool isPrivateUse(char16_t unit) noexcept { return unit >= 0xE000 && unit <= 0xF8FF; }

void appendEscape(std::string& out, unsigned char byte) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
    out += escape;
}

int hexValue(char digit) noexcept {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
}

}  // namespace

std::string showCp936(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        if (byte < 0x20 || byte == 0x7F) {
            appendEscape(out, byte);
            ++pos;
        } else if (byte == '\\') {
            out += "\\\\";
            ++pos;
        } else if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            ++pos;
        } else if (!isCp936LeadByte(byte)) {  // 0x80 and 0xFF stand alone
            const char16_t unit = cp936ByteToUnicode(byte);
            if (isPrivateUse(unit)) {
                appendEscape(out, byte);
            } else {
                appendUtf8(out, unit);
            }
            ++pos;
        } else {
            const auto trail = pos + 1 < bytes.size() ? static_cast<unsigned char>(bytes[pos + 1]) : 0;
            const char16_t unit = cp936PairToUnicode(byte, trail);
            if (unit == 0) {
                appendEscape(out, byte);  // the next byte gets its own turn
                ++pos;
                continue;
            }
            if (isPrivateUse(unit)) {
                appendEscape(out, byte);
                appendEscape(out, trail);
            } else {
                appendUtf8(out, unit);
            }
            pos += 2;
        }
    }
    return out;
}

bool typedToCp936(std::string_view typed, std::string& bytes, std::string& error) {
    bytes.clear();
    std::size_t pos = 0;
    while (pos < typed.size()) {
        if (typed[pos] == '\\') {
            if (typed.substr(pos, 2) == "\\\\") {
                bytes.push_back('\\');
                pos += 2;
                continue;
            }
            const int high = pos + 3 < typed.size() && typed[pos + 1] == 'x' ? hexValue(typed[pos + 2]) : -1;
            const int low = high >= 0 ? hexValue(typed[pos + 3]) : -1;
            if (low < 0) {
                error = "unknown escape at \"" + std::string(typed.substr(pos, 4)) +
                        "\": write \\xNN for a byte and \\\\ for a backslash";
                return false;
            }
            bytes.push_back(static_cast<char>(high << 4 | low));
            pos += 4;
            continue;
        }
        char32_t codePoint = 0;
        std::size_t length = 0;
        if (!decodeUtf8(typed, pos, codePoint, length)) {
            error = "not UTF-8 text: byte " + std::to_string(pos + 1) + " cannot start a character";
            return false;
        }
        unsigned char out[2];
        const int size = codePoint <= 0xFFFF ? unicodeToCp936(static_cast<char16_t>(codePoint), out) : 0;
        if (size == 0) {
            error = "\"" + std::string(typed.substr(pos, length)) + "\" (" + codePointName(codePoint) +
                    ") has no code page 936 form";
            return false;
        }
        bytes.append(reinterpret_cast<const char*>(out), static_cast<std::size_t>(size));
        pos += length;
    }
    return true;
}

std::string codePointName(char32_t codePoint) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
    return name;
}

}  // namespace quorvane::cli
