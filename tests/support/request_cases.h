// tests/support/request_cases.h -- requests and what the filter must do with them, as data:
// the Linux adapter tests and the Windows test host run the same table.
#pragma once

#include <string>

#include "filter/isapi.h"
#include "support/fake_server.h"

namespace quorvane::test {

// The refusal page around the address, byte for byte as clients receive it.
inline const std::string kPageHead = "\xB6\xD4\xB2\xBB\xC6\xF0\x20\x3A\x3C\x62\x3E";
inline const std::string kPageTail =
    "\x3C\x2F\x62\x3E\x20\x2C\x20\xD3\xC9\xD3\xDA\xC4\xFA\xB5\xC4\xC0\xB4\xC2\xB7\xB2\xBB\xBA\xCF\xB7\xA8"
    "\x20\xB7\xFE\xCE\xF1\xC6\xF7\xBE\xDC\xBE\xF8\xCF\xEC\xD3\xA6\xB1\xBE\xB4\xCE\xC7\xEB\xC7\xF3\x20\x2E"
    "\x20\x3C\x62\x72\x3E"
    "Quorvane v1.0";

constexpr const char* kReadsBoth = "GetHeader Referer:, GetHeader Referer:, GetHeader Url, GetHeader Url";
constexpr const char* kRefuses =
    "GetHeader Referer:, GetHeader Referer:, GetHeader Url, GetHeader Url, "
    "GetServerVariable REMOTE_ADDR, GetServerVariable REMOTE_ADDR, WriteClient";
constexpr const char* kRedirects =
    "GetHeader Referer:, GetHeader Referer:, GetHeader Url, GetHeader Url, SetHeader Url";

struct RequestCase {
    const char* name;
    // The settings file's three values.
    const char* referers;
    const char* suffixes;
    const char* redirect;
    // The request; nullptr where the server has no such value.
    const char* referer;
    const char* url;
    const char* address;
    isapi::DWORD notification;
    Misbehaviour misbehaviour;  // applied to every read of this request
    // What must happen.
    isapi::DWORD status;
    const char* calls;
    const char* setUrl;             // value given to SetHeader, or nullptr
    const char* pageAddress;        // the address the page must hold, or nullptr for no page
    bool needsCodePage936 = false;  // the outcome holds under code page 936 only
};

constexpr isapi::DWORD kPreproc = isapi::SF_NOTIFY_PREPROC_HEADERS;
constexpr isapi::DWORD kNext = isapi::SF_STATUS_REQ_NEXT_NOTIFICATION;
constexpr isapi::DWORD kFinished = isapi::SF_STATUS_REQ_FINISHED;
constexpr const char* kOurs = "http://ours.example/|https://ours.example/";

inline const RequestCase kRequestCases[] = {
    {"other notification type", kOurs, ".jpg", "", "http://evil/", "/a.jpg", "192.0.2.7", 0x8000,
     Misbehaviour::None, kNext, "", nullptr, nullptr},
    {"inactive: no protected suffixes", kOurs, "", "", "http://evil/", "/a.jpg", "192.0.2.7", kPreproc,
     Misbehaviour::None, kNext, "", nullptr, nullptr},
    {"inactive: no authorized referers", "", ".jpg", "", "http://evil/", "/a.jpg", "192.0.2.7", kPreproc,
     Misbehaviour::None, kNext, "", nullptr, nullptr},
    {"authorized referer passes", kOurs, ".jpg|.zip", "", "https://ours.example/page", "/a.jpg", "192.0.2.7",
     kPreproc, Misbehaviour::None, kNext, kReadsBoth, nullptr, nullptr},
    {"unprotected suffix passes", kOurs, ".jpg|.zip", "", "http://evil/", "/a.png", "192.0.2.7", kPreproc,
     Misbehaviour::None, kNext, kReadsBoth, nullptr, nullptr},
    {"foreign referer is refused", kOurs, ".jpg|.zip", "", "http://evil/", "/a.JPG", "192.0.2.7", kPreproc,
     Misbehaviour::None, kFinished, kRefuses, nullptr, "192.0.2.7"},
    {"no referer is refused", kOurs, ".jpg", "", nullptr, "/a.jpg", "2001:db8::1", kPreproc,
     Misbehaviour::None, kFinished, kRefuses, nullptr, "2001:db8::1"},
    {"no address leaves the bold tags empty", kOurs, ".jpg", "", "http://evil/", "/a.jpg", nullptr, kPreproc,
     Misbehaviour::None, kFinished, kRefuses, nullptr, ""},
    {"redirect target rewrites the url", kOurs, ".jpg", "/nolink.htm", "http://evil/", "/a.jpg", "192.0.2.7",
     kPreproc, Misbehaviour::None, kNext, kRedirects, "/nolink.htm", nullptr},
    {"no url passes, both still read", kOurs, ".jpg", "", "http://evil/", nullptr, "192.0.2.7", kPreproc,
     Misbehaviour::None, kNext, kReadsBoth, nullptr, nullptr},
    {"query after the suffix passes", kOurs, ".jpg", "", "http://evil/", "/a.jpg?x=1", "192.0.2.7", kPreproc,
     Misbehaviour::None, kNext, kReadsBoth, nullptr, nullptr},
    {"fullwidth letters fold under 936", kOurs, "\xA3\xE1", "", "http://evil/", "/\xA3\xC1", "192.0.2.7",
     kPreproc, Misbehaviour::None, kFinished, kRefuses, nullptr, "192.0.2.7", true},
    {"failed second reads: empty url passes", kOurs, ".jpg", "", "http://ours.example/", "/a.jpg",
     "192.0.2.7", kPreproc, Misbehaviour::FailSecondCall, kNext, kReadsBoth, nullptr, nullptr},
    {"size left at 0 reads as empty", kOurs, ".jpg", "", "http://ours.example/", "/a.jpg", "192.0.2.7",
     kPreproc, Misbehaviour::LeaveSizeZero, kNext, kReadsBoth, nullptr, nullptr},
    {"negative size reads as empty", kOurs, ".jpg", "", "http://ours.example/", "/a.jpg", "192.0.2.7",
     kPreproc, Misbehaviour::NegativeSize, kNext, kReadsBoth, nullptr, nullptr},
    {"larger size: value ends at its zero", kOurs, ".jpg", "", "http://evil/", "/a.jpg", "192.0.2.7",
     kPreproc, Misbehaviour::ReportLargerSize, kFinished, kRefuses, nullptr, "192.0.2.7"},
    {"no zero byte: value ends at the buffer", kOurs, ".jpg", "", "http://evil/", "/a.jpg", "192.0.2.7",
     kPreproc, Misbehaviour::NoZeroByte, kFinished, kRefuses, nullptr, "192.0.2.7"},
    {"larger size keeps an authorized referer", kOurs, ".jpg", "", "http://ours.example/x", "/a.jpg",
     "192.0.2.7", kPreproc, Misbehaviour::ReportLargerSize, kNext, kReadsBoth, nullptr, nullptr},
};

// Puts a case's request into `server`.
inline void loadRequest(FakeServer& server, const RequestCase& c) {
    if (c.referer != nullptr) server.headers["Referer:"] = c.referer;
    if (c.url != nullptr) server.headers["Url"] = c.url;
    if (c.address != nullptr) server.variables["REMOTE_ADDR"] = c.address;
    for (const char* name : {"Referer:", "Url", "REMOTE_ADDR"}) server.misbehaviour[name] = c.misbehaviour;
}

}  // namespace quorvane::test
