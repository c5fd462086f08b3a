// tests/support/fake_server.cpp -- the fake server's callbacks.
#include "support/fake_server.h"

#include <cstring>

namespace quorvane::test {
namespace {

using isapi::BOOL;
using isapi::DWORD;

FakeServer& serverOf(isapi::HTTP_FILTER_CONTEXT* pfc) {
    return *static_cast<FakeServer*>(pfc->ServerContext);
}

BOOL answerRead(FakeServer& server, const std::map<std::string, std::string>& values, const char* callback,
                char* name, void* buffer, DWORD* size) {
    server.calls.push_back({callback, name, buffer != nullptr, *size, {}});
    const auto found = values.find(name);
    if (found == values.end()) return isapi::kFalse;
    const std::string& value = found->second;
    const auto how = server.misbehaviour.count(name) ? server.misbehaviour.at(name) : Misbehaviour::None;
    const auto needed = static_cast<DWORD>(value.size() + 1);
    if (buffer == nullptr) {
        switch (how) {
            case Misbehaviour::LeaveSizeZero:
                return isapi::kTrue;
            case Misbehaviour::ReportLargerSize:
                *size = needed + 10;
                break;
            case Misbehaviour::NoZeroByte:
                *size = needed - 1;
                break;
            case Misbehaviour::NegativeSize:
                *size = 0x80000000u;
                return isapi::kTrue;
            default:
                *size = needed;
                break;
        }
        return isapi::kFalse;  // as a real server: no buffer is "insufficient buffer"
    }
    if (how == Misbehaviour::FailSecondCall) return isapi::kFalse;
    if (how == Misbehaviour::NoZeroByte) {
        std::memcpy(buffer, value.data(), value.size());
        return isapi::kTrue;
    }
    if (*size < needed) {
        *size = needed;
        return isapi::kFalse;
    }
    std::memcpy(buffer, value.c_str(), needed);
    *size = needed;
    return isapi::kTrue;
}

BOOL QUORVANE_WINAPI getHeader(isapi::HTTP_FILTER_CONTEXT* pfc, char* name, void* buffer, DWORD* size) {
    FakeServer& server = serverOf(pfc);
    return answerRead(server, server.headers, "GetHeader", name, buffer, size);
}

BOOL QUORVANE_WINAPI getServerVariable(isapi::HTTP_FILTER_CONTEXT* pfc, char* name, void* buffer,
                                       DWORD* size) {
    FakeServer& server = serverOf(pfc);
    return answerRead(server, server.variables, "GetServerVariable", name, buffer, size);
}

BOOL QUORVANE_WINAPI setHeader(isapi::HTTP_FILTER_CONTEXT* pfc, char* name, char* value) {
    FakeServer& server = serverOf(pfc);
    server.calls.push_back({"SetHeader", name, value != nullptr, 0, value});
    if (std::strcmp(name, "Url") == 0) server.setUrl = value;
    return server.setHeaderResult;
}

BOOL QUORVANE_WINAPI writeClient(isapi::HTTP_FILTER_CONTEXT* pfc, void* buffer, DWORD* bytes,
                                 DWORD /*reserved*/) {
    FakeServer& server = serverOf(pfc);
    const std::string data(static_cast<const char*>(buffer), *bytes);
    server.calls.push_back({"WriteClient", "", buffer != nullptr, *bytes, data});
    server.written += data;
    return server.writeClientResult;
}

}  // namespace

FakeServer::FakeServer() {
    context.cb = sizeof context;
    context.Revision = 0x10000;  // unread by the filter
    context.ServerContext = this;
    context.GetServerVariable = &getServerVariable;
    context.WriteClient = &writeClient;
    record.GetHeader = &getHeader;
    record.SetHeader = &setHeader;
    record.AddHeader = &setHeader;
}

std::string FakeServer::callSummary() const {
    std::string summary;
    for (const RecordedCall& call : calls) {
        if (!summary.empty()) summary += ", ";
        summary += call.callback;
        if (!call.name.empty()) summary += " " + call.name;
    }
    return summary;
}

}  // namespace quorvane::test
