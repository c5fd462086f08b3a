// platform/platform_posix.cpp -- the platform seam off Windows: the C++ heap, the
// portable INI reader, code page 936, and the path of the shared object holding the filter.
#include <dlfcn.h>

#include <cstring>
#include <new>
#include <string_view>

#include "platform/platform.h"
#include "policy/profile_reader.h"

namespace quorvane::platform {
namespace {

// The host's choice of settings directory; empty for the module's own directory.
Text& settingsDirectory() {
    static Text directory;
    return directory;
}

}  // namespace

void prepareBlockAllocator() noexcept {}

void prepareAnsiCodePage() noexcept {}

void* allocateBlock(std::size_t bytes) { return ::operator new(bytes); }

void releaseBlock(void* block) noexcept { ::operator delete(block); }

void readProfileString(const char* section, const char* key, const char* path, char* buffer,
                       std::size_t bufferSize) noexcept {
    readProfileValue(section, key, path, buffer, bufferSize);
}

const CodePage& ansiCodePage() noexcept { return codePage936(); }

Text queryModulePath() {
    const Text& directory = settingsDirectory();
    if (!directory.empty()) {
        Text path = Text::withSize(directory.size() + 1);
        std::memcpy(path.data(), directory.cString(), directory.size());
        path.data()[directory.size()] = '/';
        return path;
    }
    // The shared object's file name is not Quorvane.dll, so answer its directory: the
    // settings file path is then that directory followed by Quorvane.ini.
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&queryModulePath), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    const std::string_view file(info.dli_fname);
    const std::size_t slash = file.rfind('/');
    return slash == std::string_view::npos ? Text() : Text(file.substr(0, slash + 1));
}

void setSettingsDirectory(const char* directory) {
    settingsDirectory() = Text(directory == nullptr ? std::string_view() : std::string_view(directory));
}

}  // namespace quorvane::platform
