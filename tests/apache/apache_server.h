// tests/apache/apache_server.h -- a real Apache httpd with mod_quorvane, in a private
// ServerRoot on a free loopback port, stopped by PID when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "support/temp_dir.h"

namespace quorvane::test {

struct ApacheSetup {
    // Quorvane.ini beside the module; null writes none.
    const char* settings = nullptr;
    // Lines added to httpd.conf after the module is loaded (directives, virtual hosts);
    // @ROOT@ stands for the ServerRoot.
    std::string config;
    std::string mpm = "event";
};

// The files every server serves, under its document root: small, and each names itself,
// so a body shows which file was served.
struct SiteFile {
    const char* path;
    const char* contents;
};
inline constexpr SiteFile kSiteFiles[] = {
    {"img/photo.jpg", "photo.jpg: a protected image\n"},
    {"img/logo.png", "logo.png: an image of an unprotected type\n"},
    {"files/sample.zip", "sample.zip: a protected download\n"},
    {"substitute.gif", "substitute.gif: served instead of a hotlinked file\n"},
    {"img/substitute.jpg", "substitute.jpg: a substitute of a protected type\n"},
};
std::string siteFile(std::string_view path);  // the contents of one of kSiteFiles

class ApacheServer {
public:
    explicit ApacheServer(const ApacheSetup& setup);
    ~ApacheServer();  // stops Apache and waits for it, whatever happened before
    ApacheServer(const ApacheServer&) = delete;
    ApacheServer& operator=(const ApacheServer&) = delete;

    // Empty once Apache serves; otherwise why it does not, with its error log.
    const std::string& startError() const { return startError_; }
    int port() const { return port_; }
    pid_t pid() const { return pid_; }
    const TempDir& root() const { return root_; }

    // Sends SIGUSR1 and waits until the new configuration serves. False on timeout.
    bool gracefulRestart();

    std::string errorLog() const;
    // One line a request: "%r" %>s %b %U%q
    std::string accessLog() const;

private:
    bool waitUntilServing(int generations);
    void stop();

    TempDir root_;
    int port_ = 0;
    pid_t pid_ = -1;
    std::string startError_;
};

// Runs `httpd -t` on a configuration with `setup`; returns its exit code and output.
int checkConfiguration(const ApacheSetup& setup, std::string& output);

// The whole contents of a file; empty when it cannot be read.
std::string readText(const std::string& path);

// Counts the lines of `text` that contain `fragment`.
int countLines(std::string_view text, std::string_view fragment);

}  // namespace quorvane::test
