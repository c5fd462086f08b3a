// tests/apache/apache_server.cpp -- starting and stopping a private Apache httpd.
#include "apache/apache_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "apache/http_client.h"

namespace quorvane::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr std::string_view kServing = "resuming normal operations";

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// A port nothing listens on now; Apache binds it a moment later.
int freeLoopbackPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(probe);
    return port;
}

// The ServerRoot: configuration, module, settings, site, logs. When Apache starts as root
// its children run as nobody, so everything they serve must be readable by others.
std::string prepareServerRoot(const TempDir& root, const ApacheSetup& setup, int port) {
    const std::string& dir = root.path();
    ::chmod(dir.c_str(), 0755);
    for (const char* sub : {"htdocs", "logs", "run"}) fs::create_directories(root.file(sub));
    for (const SiteFile& file : kSiteFiles) {
        fs::create_directories(fs::path(root.file("htdocs/" + std::string(file.path))).parent_path());
        root.write("htdocs/" + std::string(file.path), file.contents);
    }
    fs::copy_file(QUORVANE_MODULE, root.file("mod_quorvane.so"));
    if (setup.settings != nullptr) root.write("Quorvane.ini", setup.settings);

    std::string config =
        "ServerRoot \"@ROOT@\"\n"
        "Listen 127.0.0.1:" +
        std::to_string(port) +
        "\n"
        "ServerName 127.0.0.1\n"
        "PidFile \"@ROOT@/run/httpd.pid\"\n"
        "DefaultRuntimeDir \"@ROOT@/run\"\n"
        "Mutex default:@ROOT@/run\n"
        "ErrorLog \"@ROOT@/logs/error.log\"\n"
        "LogLevel notice\n"
        // One child, and no more spawned while idle: the children of a
        // configuration are then known once it serves.
        "StartServers 1\nMinSpareThreads 1\n"
        "LoadModule mpm_" +
        setup.mpm + "_module " QUORVANE_HTTPD_MODULES "/mod_mpm_" + setup.mpm +
        ".so\n"
        "LoadModule authz_core_module " QUORVANE_HTTPD_MODULES
        "/mod_authz_core.so\n"
        "LoadModule quorvane_module \"@ROOT@/mod_quorvane.so\"\n"
        "LogFormat \"\\\"%r\\\" %>s %b %U%q\" quorvane\n"
        "CustomLog \"@ROOT@/logs/access.log\" quorvane\n"
        "DocumentRoot \"@ROOT@/htdocs\"\n"
        "<Directory \"@ROOT@/htdocs\">\n  Require all granted\n</Directory>\n";
    if (::geteuid() == 0) config += "User nobody\nGroup nogroup\n";
    config += setup.config + "\n";
    replaceAll(config, "@ROOT@", dir);
    return root.write("httpd.conf", config);
}

// Starts httpd with `arguments`, its output into `output`. Apache gets SIGTERM should
// this process die first, so no test leaves one running.
pid_t spawnHttpd(const std::vector<std::string>& arguments, const std::string& output) {
    std::vector<char*> argv{const_cast<char*>(QUORVANE_HTTPD)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // Apache's children run as nobody: the reports go where they can write.
    const fs::path sanitizerDir = fs::path(output).parent_path().parent_path() / "sanitizer";
    fs::create_directories(sanitizerDir);
    fs::permissions(sanitizerDir, fs::perms::all);
    const std::string sanitizerLog = sanitizerDir / "report";
    // Apache's own allocator is never freed in a child that exits; that is not the module's.
    const std::string leakSuppressions = sanitizerDir.parent_path() / "leak-suppressions";
    std::ofstream(leakSuppressions) << "leak:libapr-1.so\n";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (*QUORVANE_HTTPD_PRELOAD != '\0') {
            // A sanitized module in an unsanitized httpd: the runtimes must come first.
            ::setenv("LD_PRELOAD", QUORVANE_HTTPD_PRELOAD, 1);
            ::setenv("ASAN_OPTIONS", ("log_path=" + sanitizerLog).c_str(), 1);
            ::setenv("UBSAN_OPTIONS", ("print_stacktrace=1:log_path=" + sanitizerLog).c_str(), 1);
            ::setenv("LSAN_OPTIONS", ("print_suppressions=0:suppressions=" + leakSuppressions).c_str(), 1);
        }
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// Waits up to `limit` for `pid` to exit; its exit status, or -1 if it is still running.
int waitForExit(pid_t pid, std::chrono::milliseconds limit) {
    for (auto waited = 0ms; waited <= limit; waited += 20ms) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        std::this_thread::sleep_for(20ms);
    }
    return -1;
}

// The processes `pid` has forked and not yet reaped.
std::vector<pid_t> childrenOf(pid_t pid) {
    std::istringstream list(
        readText("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children"));
    std::vector<pid_t> children;
    for (pid_t child; list >> child;) children.push_back(child);
    return children;
}

// True while `pid` runs: neither gone nor a zombie waiting to be reaped.
bool isRunning(pid_t pid) {
    const std::string stat = readText("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t state = stat.rfind(") ");
    return state != std::string::npos && stat[state + 2] != 'Z';
}

}  // namespace

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string siteFile(std::string_view path) {
    for (const SiteFile& file : kSiteFiles) {
        if (path == file.path) return file.contents;
    }
    return {};
}

int countLines(std::string_view text, std::string_view fragment) {
    int count = 0;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) count += line.find(fragment) != std::string::npos;
    return count;
}

ApacheServer::ApacheServer(const ApacheSetup& setup) {
    // Another process may take the probed port first; then Apache exits and we retry.
    for (int attempt = 0; attempt < 3; ++attempt) {
        stop();
        for (const auto& entry : fs::directory_iterator(root_.path())) fs::remove_all(entry.path());
        port_ = freeLoopbackPort();
        const std::string config = prepareServerRoot(root_, setup, port_);
        pid_ = spawnHttpd({"-d", root_.path(), "-f", config, "-DFOREGROUND"}, root_.file("logs/stderr.log"));
        if (waitUntilServing(1)) return;
        if (errorLog().find("Address already in use") == std::string::npos) break;
    }
}

ApacheServer::~ApacheServer() { stop(); }

void ApacheServer::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        if (waitForExit(pid_, 15s) < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    // Reports from a sanitized build, one file for each of Apache's processes that had one.
    std::error_code noReports;
    for (const auto& entry : fs::directory_iterator(root_.file("sanitizer"), noReports)) {
        ADD_FAILURE() << "sanitizer report from Apache:\n" << readText(entry.path());
        fs::remove(entry.path());
    }
}

bool ApacheServer::waitUntilServing(int generations) {
    for (auto waited = 0ms; waited < 15s; waited += 20ms) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            startError_ = "httpd exited at start:\n" + readText(root_.file("logs/stderr.log")) + errorLog();
            return false;
        }
        if (countLines(errorLog(), kServing) >= generations && !childrenOf(pid_).empty() &&
            HttpConnection(port_).connected()) {
            startError_.clear();
            return true;
        }
        std::this_thread::sleep_for(20ms);
    }
    startError_ = "httpd did not start serving in time:\n" + errorLog();
    return false;
}

bool ApacheServer::gracefulRestart() {
    const int generations = countLines(errorLog(), kServing);
    const std::vector<pid_t> oldChildren = childrenOf(pid_);
    if (pid_ <= 0 || ::kill(pid_, SIGUSR1) != 0 || !waitUntilServing(generations + 1)) return false;
    // The old generation accepts connections until each of its children has noticed the
    // restart; only once they are gone is every answer the new configuration's.
    for (auto waited = 0ms; waited < 15s; waited += 20ms) {
        if (std::none_of(oldChildren.begin(), oldChildren.end(), isRunning)) return true;
        std::this_thread::sleep_for(20ms);
    }
    startError_ = "the children of the old configuration did not stop in time";
    return false;
}

std::string ApacheServer::errorLog() const { return readText(root_.file("logs/error.log")); }

std::string ApacheServer::accessLog() const { return readText(root_.file("logs/access.log")); }

int checkConfiguration(const ApacheSetup& setup, std::string& output) {
    const TempDir root;
    const std::string config = prepareServerRoot(root, setup, freeLoopbackPort());
    const std::string outputFile = root.file("logs/stderr.log");
    const pid_t pid = spawnHttpd({"-d", root.path(), "-f", config, "-t"}, outputFile);
    int status = waitForExit(pid, 15s);
    if (status < 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    output = readText(outputFile);
    return status;
}

}  // namespace quorvane::test
