// tests/apache/apache_module_test.cpp -- mod_quorvane in a real Apache httpd, over HTTP on
// loopback: what clients receive, what the logs say, across restarts and connections.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "apache/apache_server.h"
#include "apache/http_client.h"
#include "support/request_cases.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace quorvane::test {
namespace {

constexpr const char* kForeign = "http://elsewhere.example/forum/thread?id=7";
constexpr const char* kAuthorized = "http://ours.example/gallery.html";
const std::string kPage = kPageHead + "127.0.0.1" + kPageTail;

std::string settings(std::string_view suffixes, std::string_view redirect = "") {
    return settingsFileBytes("http://ours.example/|https://ours.example/", suffixes, redirect);
}

// What a client must receive: the named file with its status, or exactly the refusal page
// with no status line before it and the connection closed after it.
struct Expect {
    const char* file;  // null: the refusal page
    int status;
};
constexpr Expect kPageExpected{nullptr, 0};
constexpr Expect served(const char* file, int status = 200) { return {file, status}; }

void expectAnswer(const HttpResponse& response, Expect expect) {
    if (expect.file == nullptr) {
        EXPECT_EQ(response.raw, kPage) << "the refusal page alone, no status line";
        EXPECT_TRUE(response.closed) << "the connection closes after the page";
    } else {
        EXPECT_EQ(response.status, expect.status) << response.raw.substr(0, 200);
        EXPECT_EQ(response.body, siteFile(expect.file));
    }
}

#define ASSERT_SERVING(server) ASSERT_EQ((server).startError(), "")

struct RequestRow {
    const char* name;
    std::string request;
    Expect expect;
};

TEST(ApacheModule, AnswersEachRequestAsTheSettingsSay) {
    const std::string file = settings(".jpg|.zip");
    // The server's own error page has a protected suffix: Apache fetches it on its own
    // account, so the filter leaves it alone.
    ApacheServer server({.settings = file.c_str(), .config = "ErrorDocument 404 /img/substitute.jpg"});
    ASSERT_SERVING(server);

    const std::string longForeign = "http://elsewhere.example/" + std::string(8000, 'x');
    const RequestRow rows[] = {
        {"authorized referer gets the file", getRequest("/img/photo.jpg", kAuthorized),
         served("img/photo.jpg")},
        {"authorized prefix in upper case", getRequest("/img/photo.jpg", "HTTP://OURS.EXAMPLE/g.html"),
         served("img/photo.jpg")},
        {"second authorized prefix", getRequest("/files/sample.zip", "https://ours.example/"),
         served("files/sample.zip")},
        {"foreign referer is refused", getRequest("/img/photo.jpg", kForeign), kPageExpected},
        {"suffix in upper case is refused", getRequest("/img/photo.JPG", kForeign), kPageExpected},
        {"no referer is refused", getRequest("/img/photo.jpg", nullptr), kPageExpected},
        {"protected download is refused", getRequest("/files/sample.zip", kForeign), kPageExpected},
        {"a missing protected file is refused too", getRequest("/img/none.jpg", kForeign), kPageExpected},
        {"long foreign referer is refused", getRequest("/img/photo.jpg", longForeign.c_str()), kPageExpected},
        {"query string after the suffix passes", getRequest("/img/photo.jpg?size=2", kForeign),
         served("img/photo.jpg")},
        {"unprotected suffix passes", getRequest("/img/logo.png", kForeign), served("img/logo.png")},
        {"error page of a protected type is served", getRequest("/img/none.png", kForeign),
         served("img/substitute.jpg", 404)},
        // The URL is judged as the request line has it: Apache decodes %2E to "." only later.
        {"encoded dot is not the suffix", getRequest("/img/photo%2Ejpg", kForeign), served("img/photo.jpg")},
        {"POST with an unread body is refused at once",
         "POST /img/photo.jpg HTTP/1.1\r\nHost: 127.0.0.1\r\nReferer: http://elsewhere.example/\r\n"
         "Content-Length: 100000\r\n\r\n",
         kPageExpected},
    };
    int refusals = 0;
    for (const RequestRow& row : rows) {
        SCOPED_TRACE(row.name);
        expectAnswer(fetch(server.port(), row.request), row.expect);
        refusals += row.expect.file == nullptr;
    }
    EXPECT_EQ(countLines(server.accessLog(), "\" 200 88 /"), refusals)
        << "each refusal is logged with the page's bytes:\n"
        << server.accessLog();
}

TEST(ApacheModule, KeepAliveCarriesPassesAndTheRefusalClosesTheConnection) {
    const std::string file = settings(".jpg");
    ApacheServer server({.settings = file.c_str()});
    ASSERT_SERVING(server);

    HttpConnection connection(server.port());
    for (const char* path : {"/img/photo.jpg", "/img/logo.png"}) {
        SCOPED_TRACE(path);
        connection.send(getRequest(path, kAuthorized, "127.0.0.1", false));
        const HttpResponse response = connection.readResponse();
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.body, siteFile(path + 1));
        ASSERT_FALSE(response.closed) << "a pass keeps the connection open";
    }
    // A request pipelined behind the refused one is never answered.
    connection.send(getRequest("/img/photo.jpg", kForeign, "127.0.0.1", false) +
                    getRequest("/img/logo.png", kAuthorized, "127.0.0.1", false));
    const HttpResponse refused = connection.readToClose();
    EXPECT_EQ(refused.raw, kPage);
    EXPECT_TRUE(refused.closed);
}

struct RedirectRow {
    const char* name;
    const char* target;
    const char* served;      // the file the client receives at its own URL
    const char* loggedPath;  // what Apache served, path and query, as the access log shows
};

TEST(ApacheModule, RedirectServesTheTargetAtTheClientsUrl) {
    const RedirectRow rows[] = {
        {"target with its own query string", "/substitute.gif?from=quorvane", "substitute.gif",
         "/substitute.gif?from=quorvane"},
        {"target of a protected type is served, not judged again", "/img/substitute.jpg",
         "img/substitute.jpg", "/img/substitute.jpg"},
    };
    for (const RedirectRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = settings(".jpg", row.target);
        ApacheServer server({.settings = file.c_str()});
        ASSERT_SERVING(server);

        const HttpResponse redirected = fetch(server.port(), getRequest("/img/photo.jpg", kForeign));
        EXPECT_EQ(redirected.status, 200) << "the client keeps its URL: no redirect status";
        EXPECT_EQ(redirected.body, siteFile(row.served));
        expectAnswer(fetch(server.port(), getRequest("/img/photo.jpg", kAuthorized)),
                     served("img/photo.jpg"));
        EXPECT_EQ(countLines(server.accessLog(), std::string("\"GET /img/photo.jpg HTTP/1.1\" 200 ") +
                                                     std::to_string(siteFile(row.served).size()) + " " +
                                                     row.loggedPath),
                  1)
            << server.accessLog();
    }
}

TEST(ApacheModule, GracefulRestartRegistersTheChangedSettings) {
    // Settings in a directory of their own, named by the directive.
    TempDir settingsDir;
    settingsDir.write("Quorvane.ini", settings(".jpg"));
    ApacheServer server({.config = "QuorvaneSettingsDirectory " + settingsDir.path()});
    ASSERT_SERVING(server);
    expectAnswer(fetch(server.port(), getRequest("/img/photo.jpg", kForeign)), kPageExpected);
    expectAnswer(fetch(server.port(), getRequest("/img/logo.png", kForeign)), served("img/logo.png"));

    settingsDir.write("Quorvane.ini", settings(".png"));
    ASSERT_TRUE(server.gracefulRestart()) << server.startError();
    expectAnswer(fetch(server.port(), getRequest("/img/photo.jpg", kForeign)), served("img/photo.jpg"));
    expectAnswer(fetch(server.port(), getRequest("/img/logo.png", kForeign)), kPageExpected);
}

// Apache unloads and reloads its modules at a restart. Should the module stay loaded (a
// symbol glibc never unloads, a no-delete flag), the old code would stay mapped and an
// upgrade made by replacing the file and restarting would not take.
TEST(ApacheModule, GracefulRestartLoadsTheModuleFileAnew) {
    const std::string file = settings(".jpg");
    ApacheServer server({.settings = file.c_str()});
    ASSERT_SERVING(server);
    const std::string module = server.root().file("mod_quorvane.so");
    std::filesystem::remove(module);
    std::filesystem::copy_file(QUORVANE_MODULE, module);  // a new file in the old one's place

    ASSERT_TRUE(server.gracefulRestart()) << server.startError();
    const std::string maps = readText("/proc/" + std::to_string(server.pid()) + "/maps");
    EXPECT_GT(countLines(maps, "mod_quorvane.so"), 0);
    EXPECT_EQ(countLines(maps, "mod_quorvane.so (deleted)"), 0) << maps;
    expectAnswer(fetch(server.port(), getRequest("/img/photo.jpg", kForeign)), kPageExpected);
}

// Apache loads modules with RTLD_GLOBAL: any other symbol of ours could bind in place of
// another module's, or theirs in place of ours.
TEST(ApacheModule, ModuleExportsOnlyItsRecord) {
    const ProgramRun nm = runProgram({QUORVANE_NM, "-D", "--defined-only", QUORVANE_MODULE}, ".");
    ASSERT_EQ(nm.status, 0) << nm.err;
    std::vector<std::string> names;
    std::istringstream lines(nm.out);
    for (std::string address, type, name; lines >> address >> type >> name;)
        names.push_back(type + " " + name);
    EXPECT_EQ(names, std::vector<std::string>{"D quorvane_module"}) << nm.out;
}

TEST(ApacheModule, FilterSwitchesPerVirtualHost) {
    const std::string file = settings(".jpg");
    ApacheServer server(
        {.settings = file.c_str(),
         .config = "QuorvaneFilter Off\n"
                   "<VirtualHost *>\n  ServerName inherits.example\n</VirtualHost>\n"
                   "<VirtualHost *>\n  ServerName on.example\n  QuorvaneFilter On\n</VirtualHost>\n"});
    ASSERT_SERVING(server);
    expectAnswer(fetch(server.port(), getRequest("/img/photo.jpg", kForeign, "on.example")), kPageExpected);
    expectAnswer(fetch(server.port(), getRequest("/img/photo.jpg", kForeign, "inherits.example")),
                 served("img/photo.jpg"));
}

TEST(ApacheModule, SettingsDirectoryIsOneForTheWholeServer) {
    std::string output;
    EXPECT_NE(checkConfiguration(
                  {.config = "<VirtualHost *>\n  QuorvaneSettingsDirectory /tmp\n</VirtualHost>\n"}, output),
              0);
    EXPECT_NE(output.find("QuorvaneSettingsDirectory cannot occur within <VirtualHost>"), std::string::npos)
        << output;
}

struct MisconfigurationRow {
    const char* name;
    ApacheSetup setup;
    const char* logged;  // the line the error log must hold, once
};

TEST(ApacheModule, UnusableSettingsAreReportedOnceAndEveryRequestPasses) {
    // The section and keys stored in UTF-8 rather than code page 936 match nothing.
    const std::string utf8 =
        "[\xE8\xAE\xBE\xE7\xBD\xAE]\r\n"
        "\xE6\x8E\x88\xE6\x9D\x83\xE6\x9D\xA5\xE8\xB7\xAF=http://ours.example/\r\n"
        "\xE6\x96\x87\xE4\xBB\xB6\xE7\xB1\xBB\xE5\x9E\x8B=.jpg\r\n";
    TempDir holdsDirectory;
    std::filesystem::create_directory(holdsDirectory.file("Quorvane.ini"));
    const MisconfigurationRow rows[] = {
        {"settings directory does not exist",
         {.config = "QuorvaneSettingsDirectory /nonexistent/quorvane"},
         "QuorvaneSettingsDirectory /nonexistent/quorvane is not a directory"},
        {"no settings file beside the module", {}, "cannot read the settings file"},
        {"settings file is a directory",
         {.config = "QuorvaneSettingsDirectory " + holdsDirectory.path()},
         "is not a file"},
        {"section and keys in UTF-8",
         {.settings = utf8.c_str()},
         "hold no authorized referers or no protected suffixes"},
    };
    for (const MisconfigurationRow& row : rows) {
        SCOPED_TRACE(row.name);
        ApacheServer server(row.setup);
        ASSERT_SERVING(server);
        expectAnswer(fetch(server.port(), getRequest("/img/photo.jpg", kForeign)), served("img/photo.jpg"));
        EXPECT_EQ(countLines(server.errorLog(), row.logged), 1) << server.errorLog();
    }
}

TEST(ApacheModule, ConcurrentClientsUnderTheWorkerMpm) {
    const std::string file = settings(".jpg");
    ApacheServer server({.settings = file.c_str(), .mpm = "worker"});
    ASSERT_SERVING(server);

    std::atomic<int> wrong{0};
    std::vector<std::thread> clients;
    for (int client = 0; client < 8; ++client) {
        clients.emplace_back([&, client] {
            for (int i = 0; i < 40; ++i) {
                const bool foreign = (i + client) % 2 == 0;
                const HttpResponse response =
                    fetch(server.port(), getRequest("/img/photo.jpg", foreign ? kForeign : kAuthorized));
                const bool right = foreign
                                       ? response.raw == kPage
                                       : response.status == 200 && response.body == siteFile("img/photo.jpg");
                wrong += right ? 0 : 1;
            }
        });
    }
    for (std::thread& client : clients) client.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace quorvane::test
