// tests/filter_test.cpp -- the three entry points driven through a fake server, in process.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "filter/host_api.h"
#include "filter/isapi.h"
#include "filter/module.h"
#include "filter/request_handler.h"
#include "support/fake_server.h"
#include "support/request_cases.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

using isapi::DWORD;
using test::FakeServer;
using test::RequestCase;

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(QuorvaneSetSettingsDirectory(dir.path().c_str()), 1); }
    void TearDown() override { QuorvaneSetSettingsDirectory(nullptr); }

    isapi::BOOL registerWith(std::string_view referers, std::string_view suffixes, std::string_view redirect,
                             DWORD serverVersion = 0x00080000) {
        dir.write("Quorvane.ini", test::settingsFileBytes(referers, suffixes, redirect));
        version = {};
        version.dwServerFilterVersion = serverVersion;
        return GetFilterVersion(&version);
    }

    test::TempDir dir;
    isapi::HTTP_FILTER_VERSION version{};
};

TEST_F(FilterTest, RequestCases) {
    for (const RequestCase& c : test::kRequestCases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(registerWith(c.referers, c.suffixes, c.redirect), isapi::kTrue);
        FakeServer server;
        test::loadRequest(server, c);
        EXPECT_EQ(HttpFilterProc(&server.context, c.notification, &server.record), c.status);
        EXPECT_EQ(server.callSummary(), c.calls);
        EXPECT_EQ(server.setUrl, c.setUrl == nullptr ? "" : c.setUrl);
        if (c.pageAddress == nullptr) {
            EXPECT_EQ(server.written, "");
        } else {
            const std::string page = test::kPageHead + c.pageAddress + test::kPageTail;
            EXPECT_EQ(server.written, page);
            ASSERT_FALSE(server.calls.empty());
            ASSERT_EQ(server.calls.back().callback, "WriteClient");
            EXPECT_EQ(server.calls.back().size, 79 + std::strlen(c.pageAddress));
        }
    }
}

TEST_F(FilterTest, TwoCallReadAsksSizeFirstThenGivesThatSize) {
    ASSERT_EQ(registerWith("http://ours/", ".jpg", ""), isapi::kTrue);
    FakeServer server;
    server.headers["Referer:"] = "http://evil/";
    server.headers["Url"] = "/a.jpg";
    server.variables["REMOTE_ADDR"] = "10.1.2.3";
    HttpFilterProc(&server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record);
    ASSERT_GE(server.calls.size(), 6U);
    const struct {
        std::size_t index;
        bool hadBuffer;
        DWORD size;
    } expected[] = {{0, false, 0}, {1, true, 13}, {2, false, 0}, {3, true, 7}, {4, false, 0}, {5, true, 9}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.index);
        EXPECT_EQ(server.calls[e.index].hadBuffer, e.hadBuffer);
        EXPECT_EQ(server.calls[e.index].size, e.size);
    }
}

TEST_F(FilterTest, ResultsOfSetHeaderAndWriteClientAreIgnored) {
    FakeServer refused;
    refused.headers["Url"] = "/a.jpg";
    refused.writeClientResult = isapi::kFalse;
    ASSERT_EQ(registerWith("http://ours/", ".jpg", ""), isapi::kTrue);
    EXPECT_EQ(HttpFilterProc(&refused.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &refused.record),
              isapi::SF_STATUS_REQ_FINISHED);

    FakeServer redirected;
    redirected.headers["Url"] = "/a.jpg";
    redirected.setHeaderResult = isapi::kFalse;
    ASSERT_EQ(registerWith("http://ours/", ".jpg", "/x.htm"), isapi::kTrue);
    EXPECT_EQ(HttpFilterProc(&redirected.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &redirected.record),
              isapi::SF_STATUS_REQ_NEXT_NOTIFICATION);
    EXPECT_EQ(redirected.setUrl, "/x.htm");
}

TEST_F(FilterTest, BrokenServerRecordsLeaveTheRequestAlone) {
    ASSERT_EQ(registerWith("http://ours/", ".jpg", ""), isapi::kTrue);
    FakeServer server;
    server.headers["Url"] = "/a.jpg";
    EXPECT_EQ(HttpFilterProc(nullptr, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record),
              isapi::SF_STATUS_REQ_NEXT_NOTIFICATION);
    EXPECT_EQ(HttpFilterProc(&server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, nullptr),
              isapi::SF_STATUS_REQ_NEXT_NOTIFICATION);
    server.record.GetHeader = nullptr;  // every read fails: empty url passes
    EXPECT_EQ(HttpFilterProc(&server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record),
              isapi::SF_STATUS_REQ_NEXT_NOTIFICATION);
    EXPECT_TRUE(server.calls.empty());
}

TEST_F(FilterTest, RegistrationAcceptsEveryVersionButZero) {
    for (const DWORD serverVersion : {0x1u, 0x60000u, 0x80000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(serverVersion);
        dir.write("Quorvane.ini", test::settingsFileBytes("http://ours/", ".jpg", ""));
        std::memset(&version, 'z', sizeof version);
        version.dwServerFilterVersion = serverVersion;
        EXPECT_EQ(GetFilterVersion(&version), isapi::kTrue);
        EXPECT_EQ(version.dwFilterVersion, 0x70005u);
        EXPECT_STREQ(version.lpszFilterDesc, "Quorvane");
        EXPECT_EQ(version.lpszFilterDesc[9], 'z') << "bytes after the description stay";
        EXPECT_EQ(version.dwFlags, 0x84000u);
    }
}

TEST_F(FilterTest, VersionZeroIsRefusedAfterTheSettingsAreLoaded) {
    ASSERT_EQ(registerWith("http://ours/", ".jpg", ""), isapi::kTrue);
    dir.write("Quorvane.ini", test::settingsFileBytes("http://other/", ".zip|.rar", ""));
    std::memset(&version, 'z', sizeof version);
    version.dwServerFilterVersion = 0;
    EXPECT_EQ(GetFilterVersion(&version), isapi::kFalse);
    EXPECT_EQ(version.dwFilterVersion, 0x7A7A7A7Au);
    EXPECT_EQ(version.lpszFilterDesc[0], 'z');
    EXPECT_EQ(version.dwFlags, 0x7A7A7A7Au);
    EXPECT_EQ(moduleSettings().protectedSuffixCount, 2) << "the settings were loaded all the same";
    EXPECT_EQ(GetFilterVersion(nullptr), isapi::kFalse);
}

TEST_F(FilterTest, NoSettingsFileStillRegistersAnInactiveFilter) {
    version.dwServerFilterVersion = 0x80000;
    EXPECT_EQ(GetFilterVersion(&version), isapi::kTrue);
    FakeServer server;
    server.headers["Url"] = "/a.jpg";
    EXPECT_EQ(HttpFilterProc(&server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record),
              isapi::SF_STATUS_REQ_NEXT_NOTIFICATION);
    EXPECT_TRUE(server.calls.empty());
}

TEST_F(FilterTest, TerminateFilterChangesNothing) {
    ASSERT_EQ(registerWith("http://ours/", ".jpg", ""), isapi::kTrue);
    for (const DWORD flags : {0u, 1u, 0xFFFFFFFFu}) EXPECT_EQ(TerminateFilter(flags), isapi::kTrue);
    FakeServer server;
    server.headers["Url"] = "/a.jpg";
    EXPECT_EQ(HttpFilterProc(&server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record),
              isapi::SF_STATUS_REQ_FINISHED);
}

TEST(RequestHandler, BeforeRegistrationEveryRequestPasses) {
    FilterSettings fresh;
    initFilterSettings(fresh);
    FakeServer server;
    server.headers["Url"] = "/a.jpg";
    EXPECT_EQ(handleNotification(fresh, &server.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &server.record),
              isapi::SF_STATUS_REQ_NEXT_NOTIFICATION);
    EXPECT_TRUE(server.calls.empty());
}

}  // namespace
}  // namespace quorvane
