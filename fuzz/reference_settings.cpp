// fuzz/reference_settings.cpp -- the settings path and the list split, one rule at a time.
#include "fuzz/reference_settings.h"

namespace quorvane {
namespace {

std::string asText(std::string_view bytes) { return std::string(bytes.substr(0, bytes.find('\0'))); }

bool sameIgnoringAsciiCase(char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
}

}  // namespace

std::string referenceSettingsFilePath(std::string_view modulePath) {
    const std::string path = asText(modulePath);
    const std::string name = "Quorvane.dll";
    std::string kept;
    std::size_t at = 0;
    while (at < path.size()) {
        if (path.size() - at < name.size()) {
            kept += path.substr(at);
            break;
        }
        bool isName = true;
        for (std::size_t i = 0; i < name.size(); ++i)
            isName = isName && sameIgnoringAsciiCase(path[at + i], name[i]);
        if (isName) {
            at += name.size();
            continue;
        }
        const std::size_t width = static_cast<unsigned char>(path[at]) >= 0x80 ? 2 : 1;
        kept += path.substr(at, width);
        at += width;
    }
    return kept + "Quorvane.ini";
}

std::vector<std::string> referenceSplitSettingsList(std::string_view value) {
    const std::string text = asText(value);
    std::vector<std::string> entries;
    if (text.empty()) return entries;
    const char* const bytes = text.c_str();
    std::size_t pieceStart = 0;
    std::size_t at = 0;
    while (bytes[at] != '\0') {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte == 0x7C) {
            entries.push_back(text.substr(pieceStart, at - pieceStart));
            at += 1;
            pieceStart = at;
        } else if (byte >= 0x80 && bytes[at + 1] == '\0') {
            break;
        } else if (byte >= 0x80) {
            at += 2;
        } else {
            at += 1;
        }
    }
    if (pieceStart < text.size()) entries.push_back(text.substr(pieceStart));
    return entries;
}

}  // namespace quorvane
