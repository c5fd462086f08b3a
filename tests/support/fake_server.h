// tests/support/fake_server.h -- a server for the filter's callbacks: answers the two-call
// size protocol from maps, records every call, and misbehaves on demand. Portable: the
// Linux tests and the Windows test host both drive the filter with it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "filter/isapi.h"

namespace quorvane::test {

// Ways the server may answer a read of one name.
enum class Misbehaviour {
    None,
    FailSecondCall,    // reports the size, then answers FALSE
    LeaveSizeZero,     // first call leaves the size at 0, second answers TRUE
    ReportLargerSize,  // reports 10 bytes more than the value needs
    NoZeroByte,        // reports the value's length and fills the buffer without a zero
    NegativeSize,      // reports 0x80000000 as the size
};

struct RecordedCall {
    std::string callback;  // "GetHeader", "SetHeader", "GetServerVariable", "WriteClient"
    std::string name;      // the header or variable name; empty for WriteClient
    bool hadBuffer = false;
    isapi::DWORD size = 0;  // the size handed in (WriteClient: the byte count)
    std::string bytes;      // SetHeader's value or WriteClient's bytes
};

class FakeServer {
public:
    FakeServer();
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    std::map<std::string, std::string> headers;    // "Referer:", "Url"
    std::map<std::string, std::string> variables;  // "REMOTE_ADDR"
    std::map<std::string, Misbehaviour> misbehaviour;
    isapi::BOOL setHeaderResult = isapi::kTrue;
    isapi::BOOL writeClientResult = isapi::kTrue;

    std::vector<RecordedCall> calls;
    std::string written;  // every byte given to WriteClient
    std::string setUrl;   // the last value given to SetHeader("Url")

    isapi::HTTP_FILTER_CONTEXT context{};
    isapi::HTTP_FILTER_PREPROC_HEADERS record{};

    // "GetHeader Referer:, GetHeader Referer:, ..." for comparing call sequences.
    std::string callSummary() const;
};

}  // namespace quorvane::test
