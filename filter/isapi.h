// filter/isapi.h -- the records, callbacks and codes of the server's filter interface that
// Quorvane uses, declared here from the interface's documented layout. One declaration
// serves 32-bit Windows (the offsets are checked below) and 64-bit targets (same member
// order, 8-byte pointers). No Windows header is needed.
#pragma once

#include <cstddef>
#include <cstdint>

// The interface's calling convention: __stdcall on 32-bit Windows (the callee removes the
// arguments), the platform's only convention everywhere else.
#if defined(_WIN32) && !defined(_WIN64)
#define QUORVANE_WINAPI __stdcall
#else
#define QUORVANE_WINAPI
#endif

namespace quorvane::isapi {

using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using ULONG_PTR = std::uintptr_t;
constexpr BOOL kTrue = 1;
constexpr BOOL kFalse = 0;

constexpr DWORD SF_NOTIFY_PREPROC_HEADERS = 0x00004000;
constexpr DWORD SF_NOTIFY_ORDER_HIGH = 0x00080000;
constexpr DWORD SF_STATUS_REQ_FINISHED = 0x08000000;
constexpr DWORD SF_STATUS_REQ_NEXT_NOTIFICATION = 0x08000002;
constexpr std::size_t SF_MAX_FILTER_DESC_LEN = 256 + 1;

struct HTTP_FILTER_CONTEXT;

// Read a value: called with no buffer and *size 0, the server stores the size the value
// needs, its zero included; called with a buffer of that size it stores the value.
using PFN_GET_VALUE = BOOL(QUORVANE_WINAPI*)(HTTP_FILTER_CONTEXT* pfc, char* name, void* buffer, DWORD* size);
using PFN_SET_HEADER = BOOL(QUORVANE_WINAPI*)(HTTP_FILTER_CONTEXT* pfc, char* name, char* value);
using PFN_ADD_RESPONSE_HEADERS = BOOL(QUORVANE_WINAPI*)(HTTP_FILTER_CONTEXT* pfc, char* headers,
                                                        DWORD reserved);
using PFN_WRITE_CLIENT = BOOL(QUORVANE_WINAPI*)(HTTP_FILTER_CONTEXT* pfc, void* buffer, DWORD* bytes,
                                                DWORD reserved);
using PFN_ALLOC_MEM = void*(QUORVANE_WINAPI*)(HTTP_FILTER_CONTEXT* pfc, DWORD size, DWORD reserved);
using PFN_SERVER_SUPPORT_FUNCTION = BOOL(QUORVANE_WINAPI*)(HTTP_FILTER_CONTEXT* pfc, DWORD request,
                                                           void* data, ULONG_PTR value1, ULONG_PTR value2);

struct HTTP_FILTER_VERSION {
    DWORD dwServerFilterVersion;
    DWORD dwFilterVersion;
    char lpszFilterDesc[SF_MAX_FILTER_DESC_LEN];
    DWORD dwFlags;
};

struct HTTP_FILTER_CONTEXT {
    DWORD cb;
    DWORD Revision;
    void* ServerContext;
    DWORD ulReserved;
    BOOL fIsSecurePort;
    void* pFilterContext;
    PFN_GET_VALUE GetServerVariable;
    PFN_ADD_RESPONSE_HEADERS AddResponseHeaders;
    PFN_WRITE_CLIENT WriteClient;
    PFN_ALLOC_MEM AllocMem;
    PFN_SERVER_SUPPORT_FUNCTION ServerSupportFunction;
};

struct HTTP_FILTER_PREPROC_HEADERS {
    PFN_GET_VALUE GetHeader;
    PFN_SET_HEADER SetHeader;
    PFN_SET_HEADER AddHeader;
    DWORD HttpStatus;
    DWORD dwReserved;
};

static_assert(offsetof(HTTP_FILTER_VERSION, dwFilterVersion) == 4);
static_assert(offsetof(HTTP_FILTER_VERSION, lpszFilterDesc) == 8);
static_assert(offsetof(HTTP_FILTER_VERSION, dwFlags) == 268);
static_assert(sizeof(HTTP_FILTER_VERSION) == 272);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(HTTP_FILTER_CONTEXT, ServerContext) == 8);
static_assert(offsetof(HTTP_FILTER_CONTEXT, pFilterContext) == 20);
static_assert(offsetof(HTTP_FILTER_CONTEXT, GetServerVariable) == 24);
static_assert(offsetof(HTTP_FILTER_CONTEXT, WriteClient) == 32);
static_assert(offsetof(HTTP_FILTER_CONTEXT, ServerSupportFunction) == 40);
static_assert(sizeof(HTTP_FILTER_CONTEXT) == 44);
static_assert(offsetof(HTTP_FILTER_PREPROC_HEADERS, SetHeader) == 4);
static_assert(offsetof(HTTP_FILTER_PREPROC_HEADERS, HttpStatus) == 12);
static_assert(sizeof(HTTP_FILTER_PREPROC_HEADERS) == 20);
#else
static_assert(offsetof(HTTP_FILTER_CONTEXT, ServerContext) == 8);
static_assert(offsetof(HTTP_FILTER_CONTEXT, ulReserved) == 16);
static_assert(offsetof(HTTP_FILTER_CONTEXT, pFilterContext) == 24);
static_assert(offsetof(HTTP_FILTER_CONTEXT, GetServerVariable) == 32);
static_assert(offsetof(HTTP_FILTER_CONTEXT, WriteClient) == 48);
static_assert(offsetof(HTTP_FILTER_CONTEXT, ServerSupportFunction) == 64);
static_assert(sizeof(HTTP_FILTER_CONTEXT) == 72);
static_assert(offsetof(HTTP_FILTER_PREPROC_HEADERS, SetHeader) == 8);
static_assert(offsetof(HTTP_FILTER_PREPROC_HEADERS, HttpStatus) == 24);
static_assert(sizeof(HTTP_FILTER_PREPROC_HEADERS) == 32);
#endif

}  // namespace quorvane::isapi

// The three entry points the server calls, with C linkage and the interface's convention.
extern "C" {
quorvane::isapi::BOOL QUORVANE_WINAPI GetFilterVersion(quorvane::isapi::HTTP_FILTER_VERSION* pVer);
quorvane::isapi::DWORD QUORVANE_WINAPI HttpFilterProc(quorvane::isapi::HTTP_FILTER_CONTEXT* pfc,
                                                      quorvane::isapi::DWORD notificationType,
                                                      void* pvNotification);
quorvane::isapi::BOOL QUORVANE_WINAPI TerminateFilter(quorvane::isapi::DWORD dwFlags);
}
