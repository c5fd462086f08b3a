// host/apache/server_callbacks.cpp -- the callbacks of the filter interface over request_rec.
#include "host/apache/server_callbacks.h"

#include <apr_buckets.h>
#include <apr_strings.h>
#include <http_protocol.h>
#include <http_ssl.h>
#include <util_filter.h>

#include <cstring>
#include <string_view>

namespace quorvane::apache {
namespace {

using isapi::BOOL;
using isapi::DWORD;
using isapi::HTTP_FILTER_CONTEXT;

// The revision the interface reports in the context; the filter reads none of it.
constexpr DWORD kContextRevision = 0x00060000;

request_rec* requestOf(HTTP_FILTER_CONTEXT* pfc) {
    return pfc != nullptr ? static_cast<request_rec*>(pfc->ServerContext) : nullptr;
}

bool isUrlName(const char* name) { return strcasecmp(name, "url") == 0; }

// "Referer:" names the header Referer; a name without the colon is no header.
const char* headerNameOf(request_rec* r, const char* name) {
    const std::size_t length = std::strlen(name);
    if (length < 2 || name[length - 1] != ':') return nullptr;
    return apr_pstrmemdup(r->pool, name, length - 1);
}

// The size protocol: with no buffer, or one too small, store the size needed (the zero
// included) and answer FALSE; otherwise copy the value with its zero.
BOOL answerRead(const char* value, void* buffer, DWORD* size) {
    if (value == nullptr) return isapi::kFalse;
    const std::size_t needed = std::strlen(value) + 1;
    if (needed > 0x7FFFFFFFu) return isapi::kFalse;
    if (buffer == nullptr || *size < needed) {
        *size = static_cast<DWORD>(needed);
        return isapi::kFalse;
    }
    std::memcpy(buffer, value, needed);
    *size = static_cast<DWORD>(needed);
    return isapi::kTrue;
}

BOOL QUORVANE_WINAPI getHeader(HTTP_FILTER_CONTEXT* pfc, char* name, void* buffer, DWORD* size) {
    request_rec* r = requestOf(pfc);
    if (r == nullptr || name == nullptr || size == nullptr) return isapi::kFalse;
    if (isUrlName(name)) return answerRead(r->unparsed_uri, buffer, size);
    const char* header = headerNameOf(r, name);
    return header != nullptr ? answerRead(apr_table_get(r->headers_in, header), buffer, size) : isapi::kFalse;
}

BOOL QUORVANE_WINAPI setHeader(HTTP_FILTER_CONTEXT* pfc, char* name, char* value) {
    request_rec* r = requestOf(pfc);
    if (r == nullptr || name == nullptr || value == nullptr) return isapi::kFalse;
    if (isUrlName(name)) {
        // As if the client had asked for `value`: Apache decodes, maps and serves it from
        // here on, while the request line and the client's view stay as they were.
        ap_parse_uri(r, apr_pstrdup(r->pool, value));
        return isapi::kTrue;
    }
    const char* header = headerNameOf(r, name);
    if (header == nullptr) return isapi::kFalse;
    if (*value == '\0') {
        apr_table_unset(r->headers_in, header);
    } else {
        apr_table_set(r->headers_in, header, value);
    }
    return isapi::kTrue;
}

BOOL QUORVANE_WINAPI addHeader(HTTP_FILTER_CONTEXT* pfc, char* name, char* value) {
    request_rec* r = requestOf(pfc);
    if (r == nullptr || name == nullptr || value == nullptr) return isapi::kFalse;
    const char* header = headerNameOf(r, name);
    if (header == nullptr) return isapi::kFalse;
    apr_table_add(r->headers_in, header, value);
    return isapi::kTrue;
}

BOOL QUORVANE_WINAPI getServerVariable(HTTP_FILTER_CONTEXT* pfc, char* name, void* buffer, DWORD* size) {
    request_rec* r = requestOf(pfc);
    if (r == nullptr || name == nullptr || size == nullptr) return isapi::kFalse;
    if (std::strcmp(name, "REMOTE_ADDR") == 0) return answerRead(r->useragent_ip, buffer, size);
    return isapi::kFalse;
}

BOOL QUORVANE_WINAPI writeClient(HTTP_FILTER_CONTEXT* pfc, void* buffer, DWORD* bytes, DWORD /*reserved*/) {
    request_rec* r = requestOf(pfc);
    if (r == nullptr || bytes == nullptr || (buffer == nullptr && *bytes != 0)) return isapi::kFalse;
    if (*bytes == 0) return isapi::kTrue;
    // Straight to the connection, around the request's filters, which would put a status
    // line and headers first. The heap bucket copies: the caller frees its buffer on return.
    conn_rec* c = r->connection;
    apr_bucket_brigade* brigade = apr_brigade_create(r->pool, c->bucket_alloc);
    APR_BRIGADE_INSERT_TAIL(
        brigade, apr_bucket_heap_create(static_cast<const char*>(buffer), *bytes, nullptr, c->bucket_alloc));
    APR_BRIGADE_INSERT_TAIL(brigade, apr_bucket_flush_create(c->bucket_alloc));
    const apr_status_t status = ap_pass_brigade(c->output_filters, brigade);
    apr_brigade_destroy(brigade);
    if (status != APR_SUCCESS) return isapi::kFalse;
    // So the access log counts the page, as the body it is to the client.
    r->sent_bodyct = 1;
    r->bytes_sent += *bytes;
    return isapi::kTrue;
}

BOOL QUORVANE_WINAPI addResponseHeaders(HTTP_FILTER_CONTEXT* /*pfc*/, char* /*headers*/, DWORD /*reserved*/) {
    return isapi::kFalse;
}

void* QUORVANE_WINAPI allocMem(HTTP_FILTER_CONTEXT* pfc, DWORD size, DWORD /*reserved*/) {
    request_rec* r = requestOf(pfc);
    return r != nullptr ? apr_palloc(r->pool, size) : nullptr;  // freed when the request ends
}

BOOL QUORVANE_WINAPI serverSupportFunction(HTTP_FILTER_CONTEXT* /*pfc*/, DWORD /*request*/, void* /*data*/,
                                           isapi::ULONG_PTR /*value1*/, isapi::ULONG_PTR /*value2*/) {
    return isapi::kFalse;
}

}  // namespace

FilterCall::FilterCall(request_rec* request) {
    context.cb = sizeof context;
    context.Revision = kContextRevision;
    context.ServerContext = request;
    context.fIsSecurePort = ap_ssl_conn_is_ssl(request->connection) ? isapi::kTrue : isapi::kFalse;
    context.GetServerVariable = getServerVariable;
    context.AddResponseHeaders = addResponseHeaders;
    context.WriteClient = writeClient;
    context.AllocMem = allocMem;
    context.ServerSupportFunction = serverSupportFunction;
    headers.GetHeader = getHeader;
    headers.SetHeader = setHeader;
    headers.AddHeader = addHeader;
}

void endRequestAnsweredByFilter(request_rec* request) {
    request->eos_sent = 1;
    request->connection->keepalive = AP_CONN_CLOSE;
}

}  // namespace quorvane::apache
