// tools/quorvane/system_posix.cpp -- files and terminals through POSIX.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tools/quorvane/system.h"

namespace quorvane::cli {
namespace {

std::string reason(int error) { return std::strerror(error); }

// Closes the descriptor on every path out.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool readFileBytes(const std::string& path, std::string& bytes, std::string& error) {
    Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
        error = reason(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(file.fd, &status) != 0) {
        error = reason(errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        error = reason(EISDIR);
        return false;
    }
    bytes.clear();
    char block[65536];
    for (;;) {
        const ssize_t got = ::read(file.fd, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = reason(errno);
            return false;
        }
        if (got == 0) return true;
        if (bytes.size() + static_cast<std::size_t>(got) > kLargestFile) {
            error =
                "larger than " + std::to_string(kLargestFile >> 20) + " MiB, too large for a settings file";
            return false;
        }
        bytes.append(block, static_cast<std::size_t>(got));
    }
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool replaceFile(const std::string& path, std::string_view bytes, std::string& error) {
    mode_t mode = 0;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    std::string temporary = path + ".XXXXXX";
    Descriptor file{::mkstemp(temporary.data())};
    if (file.fd < 0) {
        error = reason(errno);
        return false;
    }
    const bool written = ::fchmod(file.fd, mode) == 0 && writeAll(file.fd, bytes) && ::fsync(file.fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(file.fd) == 0;
    file.fd = -1;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = reason(written && closed ? errno : writeError);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool showsColour(std::FILE* stream) {
    const char* noColour = std::getenv("NO_COLOR");
    return ::isatty(::fileno(stream)) == 1 && (noColour == nullptr || *noColour == '\0');
}

}  // namespace quorvane::cli
