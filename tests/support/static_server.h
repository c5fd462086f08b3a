// tests/support/static_server.h -- a server that answers from fixed texts and allocates
// nothing, so that what a benchmark or an allocation count sees is the filter's own.
#pragma once

#include <cstring>

#include "filter/isapi.h"

namespace quorvane::test {

struct StaticServer {
    const char* referer = nullptr;  // nullptr: the request has none
    const char* url = nullptr;
    const char* address = nullptr;
    isapi::DWORD bytesWritten = 0;
    bool urlWasSet = false;
    isapi::HTTP_FILTER_CONTEXT context{};
    isapi::HTTP_FILTER_PREPROC_HEADERS record{};

    StaticServer(const char* refererValue, const char* urlValue, const char* addressValue)
        : referer(refererValue), url(urlValue), address(addressValue) {
        context.ServerContext = this;
        context.GetServerVariable = &getServerVariable;
        context.WriteClient = &writeClient;
        record.GetHeader = &getHeader;
        record.SetHeader = &setHeader;
    }
    StaticServer(const StaticServer&) = delete;
    StaticServer& operator=(const StaticServer&) = delete;

    static StaticServer& of(isapi::HTTP_FILTER_CONTEXT* pfc) {
        return *static_cast<StaticServer*>(pfc->ServerContext);
    }

    static isapi::BOOL answer(const char* value, void* buffer, isapi::DWORD* size) {
        if (value == nullptr) return isapi::kFalse;
        const auto needed = static_cast<isapi::DWORD>(std::strlen(value) + 1);
        if (buffer == nullptr || *size < needed) {
            *size = needed;
            return isapi::kFalse;
        }
        std::memcpy(buffer, value, needed);
        return isapi::kTrue;
    }
    static isapi::BOOL QUORVANE_WINAPI getHeader(isapi::HTTP_FILTER_CONTEXT* pfc, char* name, void* buffer,
                                                 isapi::DWORD* size) {
        const StaticServer& server = of(pfc);
        return answer(std::strcmp(name, "Url") == 0 ? server.url : server.referer, buffer, size);
    }
    static isapi::BOOL QUORVANE_WINAPI getServerVariable(isapi::HTTP_FILTER_CONTEXT* pfc, char*, void* buffer,
                                                         isapi::DWORD* size) {
        return answer(of(pfc).address, buffer, size);
    }
    static isapi::BOOL QUORVANE_WINAPI setHeader(isapi::HTTP_FILTER_CONTEXT* pfc, char*, char*) {
        of(pfc).urlWasSet = true;
        return isapi::kTrue;
    }
    static isapi::BOOL QUORVANE_WINAPI writeClient(isapi::HTTP_FILTER_CONTEXT* pfc, void*,
                                                   isapi::DWORD* bytes, isapi::DWORD) {
        of(pfc).bytesWritten += *bytes;
        return isapi::kTrue;
    }
};

}  // namespace quorvane::test
