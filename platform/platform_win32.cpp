// platform/platform_win32.cpp -- the platform seam on Windows: the process heap, the
// platform's INI reader, the ANSI code page with its case mapping, and the module's path.
#include <windows.h>

#include <cstring>
#include <new>
#include <string_view>

#include "platform/platform.h"
#include "policy/settings.h"

namespace quorvane::platform {
namespace {

// Both are written once, at attach, and only read afterwards.
HANDLE processHeap = nullptr;
CodePage ansi;

// The locale whose case mapping goes with a double-byte code page.
LCID localeOfCodePage(UINT codePage) {
    switch (codePage) {
        case 932:
            return 0x0411;  // Japanese
        case 949:
            return 0x0412;  // Korean
        case 950:
            return 0x0404;  // Chinese, Taiwan
        default:
            return 0x0804;  // Chinese, PRC (code page 936)
    }
}

// The platform's upper-case form of one two-byte character, as (lead << 8 | trail) or a
// single byte; 0 when the pair is not a character. Where the upper-case form does not
// convert back to exactly that character (the platform would give its default "?" or a
// best-fit look-alike), the character keeps its own form, so two different characters
// never compare equal.
std::uint16_t platformUpperPair(UINT codePage, LCID locale, unsigned char lead, unsigned char trail) {
    const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    wchar_t unit[2];
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, pair, 2, unit, 2) != 1) return 0;
    const auto own = static_cast<std::uint16_t>(lead << 8 | trail);
    wchar_t upper[2];
    if (LCMapStringW(locale, LCMAP_UPPERCASE, unit, 1, upper, 2) != 1) return own;

    char back[4];
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(codePage, 0, upper, 1, back, sizeof back, nullptr, &usedDefault);
    if (bytes < 1 || bytes > 2 || usedDefault) return own;
    wchar_t again[2];
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, back, bytes, again, 2) != 1 ||
        again[0] != upper[0]) {
        return own;
    }
    const auto first = static_cast<unsigned char>(back[0]);
    return bytes == 1 ? first : static_cast<std::uint16_t>(first << 8 | static_cast<unsigned char>(back[1]));
}

// Fills `page` in place: the record is too large for a worker thread's stack.
void fillAnsiCodePage(CodePage& page) {
    const UINT codePage = GetACP();
    page.number = codePage;
    CPINFO info{};
    // UTF-8 and the single-byte code pages take the single-byte rule.
    if (GetCPInfo(codePage, &info) == FALSE || info.MaxCharSize != 2) return;
    page.doubleByte = true;
    const LCID locale = localeOfCodePage(codePage);
    for (unsigned lead = 0; lead < 256; ++lead) {
        page.leadByte[lead] = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(lead)) != FALSE;
        if (!page.leadByte[lead]) continue;
        for (unsigned trail = 0; trail < 256; ++trail) {
            page.pairUpper[lead << 8 | trail] = platformUpperPair(
                codePage, locale, static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
        }
    }
}

}  // namespace

void prepareBlockAllocator() noexcept { processHeap = GetProcessHeap(); }

void prepareAnsiCodePage() noexcept { fillAnsiCodePage(ansi); }

void* allocateBlock(std::size_t bytes) {
    void* block = HeapAlloc(processHeap != nullptr ? processHeap : GetProcessHeap(), 0, bytes);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void releaseBlock(void* block) noexcept {
    if (block != nullptr) HeapFree(processHeap != nullptr ? processHeap : GetProcessHeap(), 0, block);
}

void readProfileString(const char* section, const char* key, const char* path, char* buffer,
                       std::size_t bufferSize) noexcept {
    const auto size = static_cast<DWORD>(bufferSize > MAXDWORD ? MAXDWORD : bufferSize);
    GetPrivateProfileStringA(section, key, nullptr, buffer, size, path);
}

const CodePage& ansiCodePage() noexcept { return ansi; }

Text queryModulePath() {
    // 2048 blanks and a zero: when the platform writes nothing, the blanks are the answer.
    char buffer[2049];
    std::memset(buffer, ' ', 2048);
    buffer[2048] = '\0';
    // kModuleFileName views a literal, so its bytes end in a zero.
    const HMODULE module = GetModuleHandleA(kModuleFileName.data());
    GetModuleFileNameA(module, buffer, 2048);
    return Text(std::string_view(buffer));
}

void setSettingsDirectory(const char* /*directory*/) {}

}  // namespace quorvane::platform
