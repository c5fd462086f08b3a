// tests/windows/checks.h -- the Windows test programs' harness: named checks, every
// failure printed with what was expected and what came, and a closing count.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quorvane::test {

// A Linux path from the build (/...) as Wine sees it: its root is the drive Z:.
inline std::string windowsPath(const char* path) {
    return path[0] == '/' ? std::string("Z:") + path : std::string(path);
}

// Bytes as printable ASCII: other bytes as \xNN.
inline std::string printable(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        }
    }
    return out;
}

// A value for a failure message: whole when short, else its ends and its length.
inline std::string shown(std::string_view value) {
    std::string text = "\"";
    if (value.size() <= 64) {
        text += printable(value);
        text += '"';
        return text;
    }
    text += printable(value.substr(0, 16));
    text += "...\" (" + std::to_string(value.size()) + " bytes, ending \"";
    text += printable(value.substr(value.size() - 8));
    text += "\")";
    return text;
}

inline std::string hex(unsigned long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%lX", value);
    return text;
}

class Checks {
public:
    // Counts one check; a failure is printed at once, so a crash later still shows it.
    bool expect(bool ok, const std::string& name, const std::string& detail = {}) {
        if (ok) {
            ++passed_;
        } else {
            ++failed_;
            std::printf("FAIL %s%s%s\n", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
            std::fflush(stdout);
        }
        return ok;
    }

    bool expectBytes(std::string_view got, std::string_view want, const std::string& name) {
        return expect(got == want, name, "got " + shown(got) + ", want " + shown(want));
    }

    bool expectNumber(unsigned long got, unsigned long want, const std::string& name) {
        return expect(got == want, name, "got " + hex(got) + ", want " + hex(want));
    }

    // Prints the closing line and gives the exit code.
    int finish() const {
        std::printf("%d passed, %d failed\n", passed_, failed_);
        return failed_ == 0 ? 0 : 1;
    }

private:
    int passed_ = 0;
    int failed_ = 0;
};

}  // namespace quorvane::test
