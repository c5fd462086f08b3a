// policy/profile_reader.cpp -- readProfileValue, the platform's profile reader in standard C++.
// Portable. The contract is in profile_reader.h; each rule below is one small piece, named
// after what it does, so that a difference found against the platform is mended in one place.
#include "policy/profile_reader.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "policy/cp936.h"

namespace quorvane {
namespace {

constexpr int kEnd = -1;
constexpr char16_t kReplacement = 0xFFFD;  // malformed UTF-8
constexpr char16_t kQuestionMark = u'?';

// ---- Bytes in ----

// The bytes of a file, read in blocks. A read error ends the bytes and is remembered.
class FileBytes {
public:
    explicit FileBytes(const char* path) : file_(std::fopen(path, "rb")) {}
    ~FileBytes() {
        if (file_ != nullptr) std::fclose(file_);
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    bool opened() const { return file_ != nullptr; }
    bool failed() const { return failed_; }

    // Byte `ahead` places on (0..3), or kEnd past the end.
    int peek(std::size_t ahead = 0) {
        if (pos_ + ahead >= end_ && !fill(ahead + 1)) return kEnd;
        return block_[pos_ + ahead];
    }
    int next() {
        const int byte = peek();
        if (byte != kEnd) ++pos_;
        return byte;
    }
    // Drops the rest: the input is over.
    void finish() {
        pos_ = end_ = 0;
        done_ = true;
    }

private:
    // Makes at least `want` bytes available if the file has them.
    bool fill(std::size_t want) {
        if (done_ || file_ == nullptr) return false;
        if (block_.empty()) block_.resize(kBlockSize);
        std::size_t kept = end_ - pos_;
        for (std::size_t i = 0; i < kept; ++i) block_[i] = block_[pos_ + i];
        pos_ = 0;
        end_ = kept;
        while (end_ < want) {
            const std::size_t got = std::fread(block_.data() + end_, 1, block_.size() - end_, file_);
            end_ += got;
            if (got == 0) {
                failed_ = std::ferror(file_) != 0;
                done_ = true;
                break;
            }
        }
        return end_ >= want;
    }

    static constexpr std::size_t kBlockSize = 1 << 16;
    std::FILE* file_;
    std::vector<unsigned char> block_;
    std::size_t pos_ = 0, end_ = 0;
    bool done_ = false, failed_ = false;
};

// The bytes of a name given by the caller.
class TextBytes {
public:
    explicit TextBytes(std::string_view text) : text_(text) {}
    int peek(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? static_cast<unsigned char>(text_[pos_ + ahead]) : kEnd;
    }
    int next() {
        const int byte = peek();
        if (byte != kEnd) ++pos_;
        return byte;
    }
    void finish() { pos_ = text_.size(); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// ---- Bytes to UTF-16 ----

enum class Encoding { Cp936, Utf8, Utf16LE, Utf16BE };

// Reads and drops a byte-order mark. Without one the file is code page 936, even if it
// happens to be valid UTF-8.
Encoding detectEncoding(FileBytes& bytes) {
    if (bytes.peek(0) == 0xEF && bytes.peek(1) == 0xBB && bytes.peek(2) == 0xBF) {
        bytes.next(), bytes.next(), bytes.next();
        return Encoding::Utf8;
    }
    if (bytes.peek(0) == 0xFF && bytes.peek(1) == 0xFE) {
        bytes.next(), bytes.next();
        return Encoding::Utf16LE;
    }
    if (bytes.peek(0) == 0xFE && bytes.peek(1) == 0xFF) {
        bytes.next(), bytes.next();
        return Encoding::Utf16BE;
    }
    return Encoding::Cp936;
}

// One character of code page 936. A lead byte takes the next byte whatever it is, unless
// there is none or it is zero: an invalid pair, or a lone lead byte, reads as '?'.
template <class Bytes>
char16_t decodeCp936(int byte, Bytes& bytes) {
    const auto lead = static_cast<unsigned char>(byte);
    if (!isCp936LeadByte(lead)) return cp936ByteToUnicode(lead);
    const int trail = bytes.peek();
    if (trail == kEnd || trail == 0) return kQuestionMark;
    bytes.next();
    const char16_t unit = cp936PairToUnicode(lead, static_cast<unsigned char>(trail));
    return unit != 0 ? unit : kQuestionMark;
}

// How many continuation bytes a UTF-8 lead byte announces; 0 for a byte that cannot lead.
int utf8Continuations(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF4) return 3;
    return 0;
}

// One code point of UTF-8 from its first byte (0x80 or above), or kReplacement. A malformed
// sequence consumes its lead byte and the continuation bytes that were still plausible; a
// sequence longer than what is left consumes the rest.
template <class Bytes>
char32_t decodeUtf8(int first, Bytes& bytes) {
    const auto lead = static_cast<unsigned char>(first);
    const int more = utf8Continuations(lead);
    if (more == 0) return kReplacement;
    if (bytes.peek(static_cast<std::size_t>(more - 1)) == kEnd) {
        bytes.finish();
        return kReplacement;
    }
    char32_t code = lead & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
        const int next = bytes.peek();
        if ((next & 0xC0) != 0x80) return kReplacement;
        const char32_t grown = code << 6 | (static_cast<unsigned>(next) & 0x3F);
        // Reject as soon as the prefix already decides: too large, a surrogate, overlong.
        const int left = more - 1 - i;
        if (left == 1 && grown >= (0x110000 >> 6)) return kReplacement;
        bytes.next();
        code = grown;
        if (left == 2 && code < 0x10) return kReplacement;
        if (left == 1 && (code < 0x20 || (code >= (0xD800 >> 6) && code <= (0xDFFF >> 6)))) {
            return kReplacement;
        }
        if (left == 0 && code < 0x80) return kReplacement;
    }
    return code;
}

// UTF-16 code units of a file or a name, one at a time.
template <class Bytes>
class UnitReader {
public:
    UnitReader(Bytes& bytes, Encoding encoding) : bytes_(bytes), encoding_(encoding) {}

    // The next unit; false at the end.
    bool next(char16_t& unit) {
        if (pendingLow_ != 0) {
            unit = pendingLow_;
            pendingLow_ = 0;
            return true;
        }
        const int byte = bytes_.next();
        if (byte == kEnd) return false;
        switch (encoding_) {
            case Encoding::Cp936:
                unit = decodeCp936(byte, bytes_);
                return true;
            case Encoding::Utf8:
                return nextUtf8(byte, unit);
            case Encoding::Utf16LE:
            case Encoding::Utf16BE: {
                const int second = bytes_.next();
                if (second == kEnd) return false;  // a last odd byte
                unit = encoding_ == Encoding::Utf16LE ? static_cast<char16_t>(second << 8 | byte)
                                                      : static_cast<char16_t>(byte << 8 | second);
                return true;
            }
        }
        return false;
    }

private:
    bool nextUtf8(int byte, char16_t& unit) {
        if (byte < 0x80) {
            unit = static_cast<char16_t>(byte);
            return true;
        }
        const char32_t code = decodeUtf8(byte, bytes_);
        if (code < 0x10000) {
            unit = static_cast<char16_t>(code);
        } else {
            unit = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            pendingLow_ = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
        return true;
    }

    Bytes& bytes_;
    Encoding encoding_;
    char16_t pendingLow_ = 0;
};

// ---- Lines ----

bool isBlank(char16_t unit) { return (unit >= 0x09 && unit <= 0x0D) || unit == 0x1A || unit == u' '; }

std::u16string_view trimBlanks(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Reads the next line into `line`, without its end: any run of CR and LF. False at the end.
template <class Bytes>
bool readLine(UnitReader<Bytes>& units, std::u16string& line) {
    line.clear();
    char16_t unit = 0;
    bool any = false;
    while (units.next(unit)) {
        any = true;
        if (unit == u'\r' || unit == u'\n') break;
        line.push_back(unit);
    }
    return any;  // the rest of the run of line ends reads as empty lines, which are skipped
}

// A zero unit ends a name or a value: the platform stores what follows but never reads it.
std::u16string_view cutAtZero(std::u16string_view text) { return text.substr(0, text.find(u'\0')); }

struct Line {
    enum Kind { Empty, Section, Key } kind = Empty;
    std::u16string_view name;
    std::optional<std::u16string_view> value;  // keys only; none without '='
};

// A trimmed line starting with '[' and holding a ']' (searched from the end) opens a section.
std::optional<std::u16string_view> sectionName(std::u16string_view line) {
    if (line.empty() || line.front() != u'[') return std::nullopt;
    const std::size_t close = line.rfind(u']');
    if (close == 0 || close == std::u16string_view::npos) return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

Line parseLine(std::u16string_view raw) {
    const std::u16string_view line = trimBlanks(raw);
    if (line.empty()) return {};
    if (const auto name = sectionName(line)) return {Line::Section, *name, std::nullopt};
    const std::size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) return {Line::Key, line, std::nullopt};
    return {Line::Key, trimBlanks(line.substr(0, equals)), trimBlanks(line.substr(equals + 1))};
}

// ---- Lookup ----

char16_t foldAscii(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit; }

// Only A..Z fold: the platform compares names with an ASCII-only case rule.
bool sameName(std::u16string_view inFile, std::u16string_view wanted) {
    inFile = cutAtZero(inFile);
    if (inFile.size() != wanted.size()) return false;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (foldAscii(inFile[i]) != foldAscii(wanted[i])) return false;
    }
    return true;
}

// A name the caller gave, as the file's names are read: Unicode, blanks around it ignored.
std::u16string wantedName(const char* bytes) {
    TextBytes text{std::string_view(bytes)};
    UnitReader<TextBytes> units(text, Encoding::Cp936);
    std::u16string name;
    for (char16_t unit = 0; units.next(unit);) name.push_back(unit);
    return std::u16string(trimBlanks(name));
}

// The value of the first key `key` in the first section `section`; none when either is
// missing or the key has no '='. Stops reading at the end of that section.
std::optional<std::u16string> findValue(FileBytes& bytes, std::u16string_view section,
                                        std::u16string_view key) {
    UnitReader<FileBytes> units(bytes, detectEncoding(bytes));
    bool inSection = section.empty();  // lines before any section line have the empty name
    std::u16string line;
    while (readLine(units, line)) {
        const Line parsed = parseLine(line);
        if (parsed.kind == Line::Section) {
            if (inSection) return std::nullopt;  // only the first section of the name counts
            inSection = sameName(parsed.name, section);
        } else if (parsed.kind == Line::Key && inSection && sameName(parsed.name, key)) {
            if (!parsed.value) return std::nullopt;
            return std::u16string(cutAtZero(*parsed.value));
        }
    }
    return std::nullopt;
}

// ---- Value out ----

bool isQuote(char16_t unit) { return unit == u'"' || unit == u'\''; }

// The value as the platform copies it into a buffer of `capacity` units: a matching pair of
// quotes dropped, the rest cut to capacity - 1 units. The platform cuts first and then drops
// the last unit kept as the closing quote whenever the text after the opening quote is at most
// `capacity` units long, so at exactly `capacity` a real last character goes instead.
std::u16string_view copyAsPlatform(std::u16string_view value, std::size_t capacity) {
    const bool quoted = value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
    if (quoted) value.remove_prefix(1);
    std::u16string_view kept = value.substr(0, capacity - 1);
    if (quoted && capacity >= value.size() && !kept.empty()) kept.remove_suffix(1);
    return kept;
}

// Code page 936 bytes of `units` into buffer, whole characters only, zero-terminated.
// A unit that code page 936 cannot hold becomes '?'.
void writeCp936(std::u16string_view units, char* buffer, std::size_t bufferSize) {
    std::size_t used = 0;
    for (const char16_t unit : units) {
        unsigned char bytes[2] = {0, 0};
        int count = unicodeToCp936(unit, bytes);
        if (count == 0) {
            bytes[0] = static_cast<unsigned char>(kQuestionMark);
            count = 1;
        }
        if (used + static_cast<std::size_t>(count) > bufferSize - 1) break;
        for (int i = 0; i < count; ++i) buffer[used++] = static_cast<char>(bytes[i]);
    }
    buffer[used] = '\0';
}

}  // namespace

void readProfileValue(const char* section, const char* key, const char* path, char* buffer,
                      std::size_t bufferSize) noexcept {
    if (buffer == nullptr || bufferSize == 0) return;
    buffer[0] = '\0';
    if (section == nullptr || key == nullptr || path == nullptr) return;
    try {
        FileBytes bytes(path);
        if (!bytes.opened()) return;
        const std::optional<std::u16string> value = findValue(bytes, wantedName(section), wantedName(key));
        if (!value || bytes.failed()) return;
        writeCp936(copyAsPlatform(*value, bufferSize), buffer, bufferSize);
    } catch (...) {
        buffer[0] = '\0';  // out of memory: as if unreadable
    }
}

}  // namespace quorvane
