// tools/quorvane/convert_command.cpp -- UTF-8 to code page 936 through the code page table.
#include "tools/quorvane/convert_command.h"

#include <algorithm>
#include <cstdio>

#include "policy/cp936.h"
#include "tools/quorvane/display.h"
#include "tools/quorvane/output.h"
#include "tools/quorvane/system.h"
#include "tools/quorvane/utf8.h"

namespace quorvane::cli {

bool convertToCp936(std::string_view utf8, std::string& cp936, ConversionError& error) {
    if (utf8.starts_with(kUtf8ByteOrderMark)) utf8.remove_prefix(kUtf8ByteOrderMark.size());
    cp936.clear();
    cp936.reserve(utf8.size());
    std::size_t line = 1;
    std::size_t column = 1;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t codePoint = 0;
        std::size_t length = 0;
        if (!decodeUtf8(utf8, pos, codePoint, length)) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned char>(utf8[pos]));
            error = {line, column,
                     std::string("byte ") + byte + " is not UTF-8 (is the file in code page 936 already?)"};
            return false;
        }
        unsigned char bytes[2];
        const int size = codePoint <= 0xFFFF ? unicodeToCp936(static_cast<char16_t>(codePoint), bytes) : 0;
        if (size == 0) {
            error = {line, column,
                     "\"" + std::string(utf8.substr(pos, length)) + "\" (" + codePointName(codePoint) +
                         ") has no code page 936 form"};
            return false;
        }
        cp936.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
        pos += length;
        if (codePoint == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return true;
}

int runConvert(const std::string& in, const std::string& out) {
    if (in == out || sameFile(in, out)) {
        printError(out + " is " + in + " itself: convert never overwrites its input");
        return 2;
    }
    std::string utf8;
    std::string reason;
    if (!readFileBytes(in, utf8, reason)) {
        printError("cannot read " + in + ": " + reason);
        return 2;
    }
    if (utf8.starts_with("\xFF\xFE") || utf8.starts_with("\xFE\xFF")) {
        printError(in + " is UTF-16 (it starts with a UTF-16 byte-order mark): save it as UTF-8 first");
        return 2;
    }
    std::string cp936;
    ConversionError error;
    if (!convertToCp936(utf8, cp936, error)) {
        printError(in + ":" + std::to_string(error.line) + ":" + std::to_string(error.column) + ": " +
                   error.message + "; " + out + " not written");
        return 2;
    }
    if (!replaceFile(out, cp936, reason)) {
        printError("cannot write " + out + ": " + reason);
        return 2;
    }
    const auto lines = static_cast<std::size_t>(std::count(cp936.begin(), cp936.end(), '\n')) +
                       (!cp936.empty() && cp936.back() != '\n' ? 1 : 0);
    Printer(stdout).line("wrote " + out + " in code page 936: " + std::to_string(lines) +
                         (lines == 1 ? " line, " : " lines, ") + std::to_string(cp936.size()) + " bytes");
    return 0;
}

}  // namespace quorvane::cli
