// host/apache/server_callbacks.h -- the server's side of the filter interface for one Apache
// request: a context and a preprocessed-headers record whose callbacks act on it.
#pragma once

#include <httpd.h>

#include "filter/isapi.h"

namespace quorvane::apache {

// What HttpFilterProc is handed for one request. The callbacks find the request through
// context.ServerContext and touch nothing else, so concurrent requests share nothing.
//  GetHeader "Url": the URL as it stands in the request line (undecoded, query included);
//  GetHeader "Name:": that request header. SetHeader "Url": the request goes on under the
//  new URL (an internal rewrite; the client keeps its URL); SetHeader "Name:": sets or,
//  with an empty value, removes that header. GetServerVariable "REMOTE_ADDR": the client's
//  address. WriteClient: the bytes go to the client as they are, with no status line.
// Reads follow the two-call size protocol (the size counts the zero) and answer FALSE
// for an unknown name or a missing value.
struct FilterCall {
    explicit FilterCall(request_rec* request);
    FilterCall(const FilterCall&) = delete;
    FilterCall& operator=(const FilterCall&) = delete;

    isapi::HTTP_FILTER_CONTEXT context{};
    isapi::HTTP_FILTER_PREPROC_HEADERS headers{};
};

// Ends a request after the filter answered it itself: Apache sends nothing more (no
// status line, no response of its own) and closes the connection without reading a body.
void endRequestAnsweredByFilter(request_rec* request);

}  // namespace quorvane::apache
