// platform/platform.h -- the seam: everything the filter takes from the operating system.
// One declaration each; platform_posix.cpp and platform_win32.cpp implement all of it and
// decide nothing: splitting, matching and path rules stay in portable code.
#pragma once

#include <cstddef>

#include "policy/code_page.h"
#include "policy/text.h"

namespace quorvane::platform {

// Makes the block allocator ready. Called once, first thing at module start-up,
// before any Text or TextList is created. Cannot fail.
void prepareBlockAllocator() noexcept;

// Fixes the ANSI code page for the life of the module. Called once at module start-up,
// after prepareBlockAllocator; ansiCodePage never changes afterwards. Windows: GetACP(),
// lead bytes and the upper-case form of every two-byte character from the platform.
// Cannot fail.
void prepareAnsiCodePage() noexcept;

// One block of `bytes` bytes (contents not cleared) from the module's allocator:
// the process heap on Windows, the C++ heap elsewhere. Never returns null: an
// exhausted allocator throws std::bad_alloc, which the exported entry points catch.
void* allocateBlock(std::size_t bytes);

// Gives a block back. Null does nothing.
void releaseBlock(void* block) noexcept;

// Reads one value of an INI file into buffer (bufferSize bytes, bufferSize >= 1):
// zero-terminated, cut to bufferSize - 1 bytes, the empty text when the file, the
// section or the key is missing. Windows: GetPrivateProfileStringA with a null default.
// Elsewhere: readProfileValue from policy/profile_reader.h, which documents the syntax.
void readProfileString(const char* section, const char* key, const char* path, char* buffer,
                       std::size_t bufferSize) noexcept;

// The ANSI code page, fixed for the life of the module. Off Windows it is code page 936.
// Windows: as prepareAnsiCodePage found it; a double-byte code page follows its own lead
// bytes and the platform's case mapping, any other (single-byte, or UTF-8) the single-byte
// rule.
const CodePage& ansiCodePage() noexcept;

// Where the settings file is looked for, as a path from which settingsFilePath removes
// "Quorvane.dll" and to which it appends "Quorvane.ini". Windows: the full path of the
// module loaded as Quorvane.dll, or of the process's executable when there is none.
// Elsewhere: the directory, with its final "/", of the shared object or program that holds
// this code, or the directory the host named with setSettingsDirectory.
Text queryModulePath();

// Off Windows only: makes queryModulePath answer `directory` followed by "/", so the
// settings file is looked for there. Null or empty returns to the default. Must be called
// before registration; the Windows build keeps to the module's own directory.
void setSettingsDirectory(const char* directory);

}  // namespace quorvane::platform
