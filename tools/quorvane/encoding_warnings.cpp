// tools/quorvane/encoding_warnings.cpp -- the section and key names searched for in UTF-8 and
// UTF-16 forms, derived from their code page 936 bytes.
#include "tools/quorvane/encoding_warnings.h"

#include <string>

#include "policy/cp936.h"
#include "policy/settings.h"
#include "tools/quorvane/display.h"
#include "tools/quorvane/utf8.h"

namespace quorvane::cli {
namespace {

enum class Encoding { Utf8, Utf16Le, Utf16Be };

struct ForeignForm {
    Encoding encoding;
    const char* name;
    const char* advice;
};

constexpr ForeignForm kForeignForms[] = {
    {Encoding::Utf8, "UTF-8", "store the file in code page 936 with: quorvane convert IN OUT"},
    {Encoding::Utf16Le, "UTF-16LE without a byte-order mark",
     "save the file as UTF-8, then store it in code page 936 with: quorvane convert IN OUT"},
    {Encoding::Utf16Be, "UTF-16BE without a byte-order mark",
     "save the file as UTF-8, then store it in code page 936 with: quorvane convert IN OUT"},
};

struct SettingsName {
    const char* bytes;  // code page 936
    bool section;
};

constexpr SettingsName kNames[] = {{kSettingsSection, true},
                                   {kAuthorizedReferersKey, false},
                                   {kProtectedSuffixesKey, false},
                                   {kRedirectTargetKey, false}};

// The bytes of a code page 936 name (two-byte characters only) in another encoding.
std::string encodeName(std::string_view cp936, Encoding encoding) {
    std::string out;
    for (std::size_t i = 0; i + 1 < cp936.size(); i += 2) {
        const char16_t unit = cp936PairToUnicode(static_cast<unsigned char>(cp936[i]),
                                                 static_cast<unsigned char>(cp936[i + 1]));
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        switch (encoding) {
            case Encoding::Utf8:
                appendUtf8(out, unit);
                break;
            case Encoding::Utf16Le:
                out += {low, high};
                break;
            case Encoding::Utf16Be:
                out += {high, low};
                break;
        }
    }
    return out;
}

// Encoding a byte-order mark at the start announces; the reader then reads names in it.
bool markAnnounces(std::string_view bytes, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return bytes.starts_with(kUtf8ByteOrderMark);
        case Encoding::Utf16Le:
            return bytes.starts_with("\xFF\xFE");
        case Encoding::Utf16Be:
            return bytes.starts_with("\xFE\xFF");
    }
    return false;
}

std::string listNames(const std::vector<const SettingsName*>& names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += i + 1 == names.size() ? " and " : ", ";
        const std::string shown = showCp936(names[i]->bytes);
        out += names[i]->section ? "[" + shown + "]" : shown;
    }
    return out;
}

bool allQuestionMarks(std::string_view text) {
    return !text.empty() && text.find_first_not_of('?') == std::string_view::npos;
}

std::string_view trimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\v\f";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A section line "[??]", or a key line whose name is all "?": an editor without Chinese characters wrote "?"
// for them.
bool hasLostNames(std::string_view bytes) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = trimBlanks(bytes.substr(start, end - start));
        start = end + 1;
        const std::size_t close = line.rfind(']');
        if (line.starts_with('[') && close != std::string_view::npos) {
            if (allQuestionMarks(line.substr(1, close - 1))) return true;
        } else if (const std::size_t equals = line.find('='); equals != std::string_view::npos) {
            if (allQuestionMarks(trimBlanks(line.substr(0, equals)))) return true;
        }
    }
    return false;
}

}  // namespace

std::vector<Warning> encodingWarnings(std::string_view fileBytes) {
    std::vector<Warning> warnings;
    if (fileBytes.starts_with(kUtf8ByteOrderMark)) {
        warnings.push_back(
            {"the file starts with a UTF-8 byte-order mark: the filter reads it as UTF-8 only "
             "because of the mark, and a copy saved without it loses every setting; store it "
             "in code page 936 with: quorvane convert IN OUT",
             "utf8-mark"});
    }
    for (const ForeignForm& form : kForeignForms) {
        if (markAnnounces(fileBytes, form.encoding)) continue;
        std::vector<const SettingsName*> found;
        for (const SettingsName& name : kNames) {
            if (fileBytes.find(encodeName(name.bytes, form.encoding)) != std::string_view::npos) {
                found.push_back(&name);
            }
        }
        if (found.empty()) continue;
        warnings.push_back({listNames(found) + (found.size() == 1 ? " is" : " are") + " stored in " +
                                form.name + ", not in code page 936, so the filter finds " +
                                (found.size() == 1 ? "nothing there" : "none of them") + "; " + form.advice,
                            "encoding"});
    }
    if (hasLostNames(fileBytes)) {
        warnings.push_back(
            {"section or key names made only of \"?\" show that the file was saved in an "
             "encoding without Chinese characters, which lost them: type the names again and "
             "store the file in code page 936",
             "lost-names"});
    }
    return warnings;
}

}  // namespace quorvane::cli
